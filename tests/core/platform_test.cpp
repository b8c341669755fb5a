#include "core/platform.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/result.h"

namespace calderwynfell {
namespace {

// The real SYSTEMTIME on Windows and our stand-in elsewhere must agree.
static_assert(sizeof(SYSTEMTIME) == 16);
static_assert(sizeof(SYSTEMTIME{}.wYear) == 2 && sizeof(SYSTEMTIME{}.wMilliseconds) == 2);
static_assert(offsetof(SYSTEMTIME, wYear) == 0);
static_assert(offsetof(SYSTEMTIME, wMonth) == 2);
static_assert(offsetof(SYSTEMTIME, wDayOfWeek) == 4);
static_assert(offsetof(SYSTEMTIME, wDay) == 6);
static_assert(offsetof(SYSTEMTIME, wHour) == 8);
static_assert(offsetof(SYSTEMTIME, wMinute) == 10);
static_assert(offsetof(SYSTEMTIME, wSecond) == 12);
static_assert(offsetof(SYSTEMTIME, wMilliseconds) == 14);

static_assert(static_cast<int>(ProbeStatus::NotChecked) == 0);
static_assert(static_cast<int>(ProbeStatus::Online) == 1);
static_assert(static_cast<int>(ProbeStatus::NoResponse) == 2);
static_assert(static_cast<int>(ProbeStatus::Error) == 3);
static_assert(sizeof(ProbeStatus) == 4);

// Wide literals are UTF-16 on Windows (astral characters as surrogate pairs) and
// UTF-32 elsewhere; the UTF-8 bytes must be the same on both.
TEST(ToUtf8, SameBytesOnEveryPlatform) {
    const struct {
        std::wstring text;
        std::string bytes;
    } cases[] = {
        {L"", ""},
        {L"IP 1.2.3.4,\r\n", "IP 1.2.3.4,\r\n"},
        {L"尚未检测", "\xE5\xB0\x9A\xE6\x9C\xAA\xE6\xA3\x80\xE6\xB5\x8B"},
        {L"\u00E9\u2014", "\xC3\xA9\xE2\x80\x94"},
        {L"\u007F\u0080", "\x7F\xC2\x80"},
        {L"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
        {L"\uFFFF", "\xEF\xBF\xBF"},
        {L"\U0001F600", "\xF0\x9F\x98\x80"},
        {L"a\U0010FFFFb",
         "a\xF4\x8F\xBF\xBF"
         "b"},
        {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        {std::wstring(5000, L'中'),
         [] {
             std::string s;
             for (int i = 0; i < 5000; ++i) s += "\xE4\xB8\xAD";
             return s;
         }()},
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(c.text), c.bytes) << (&c - cases);
}

TEST(ToUtf8, LoneSurrogateBecomesReplacementCharacter) {
    std::wstring text = L"a";
    text.push_back(static_cast<wchar_t>(0xD800));
    text += L"b";
    EXPECT_EQ(toUtf8(text),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(MakeUntestedResult, DefaultRecord) {
    const Result r = makeUntestedResult(0xC0A8010Au);
    EXPECT_EQ(r.address, 0xC0A8010Au);
    EXPECT_EQ(r.status, ProbeStatus::NotChecked);
    EXPECT_EQ(r.latencyMs, 0u);
    EXPECT_EQ(r.attempts, 0);
    EXPECT_EQ(r.note, L"尚未检测");
    EXPECT_EQ(r.note.size(), 4u);
    const SYSTEMTIME& t = r.checkedAt;
    EXPECT_EQ(t.wYear | t.wMonth | t.wDayOfWeek | t.wDay | t.wHour | t.wMinute | t.wSecond | t.wMilliseconds,
              0);
}

}  // namespace
}  // namespace calderwynfell
