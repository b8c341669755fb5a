#include "core/platform.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/result.h"

namespace calderwynfell {
namespace {

// The real SYSTEMTIME on Windows and our stand-in elsewhere must agree.
static_assert(sizeof(SYSTEMTIME) == 16 && offsetof(SYSTEMTIME, wYear) == 0 &&
              offsetof(SYSTEMTIME, wMonth) == 2);
static_assert(offsetof(SYSTEMTIME, wDayOfWeek) == 4 && offsetof(SYSTEMTIME, wDay) == 6);
static_assert(offsetof(SYSTEMTIME, wHour) == 8 && offsetof(SYSTEMTIME, wMinute) == 10);
static_assert(offsetof(SYSTEMTIME, wSecond) == 12 && offsetof(SYSTEMTIME, wMilliseconds) == 14);
static_assert(static_cast<int>(ProbeStatus::NotChecked) == 0 && static_cast<int>(ProbeStatus::Online) == 1);
static_assert(static_cast<int>(ProbeStatus::NoResponse) == 2 && static_cast<int>(ProbeStatus::Error) == 3);

// Wide literals are UTF-16 on Windows (astral characters as surrogate pairs) and
// UTF-32 elsewhere; the UTF-8 bytes must be the same on both.
TEST(ToUtf8, SameBytesOnEveryPlatform) {
    const struct {
        std::wstring text;
        std::string bytes;
    } cases[] = {
        {L"", ""},
        {L"a", "a"},
        {L"尚未\u00E9\u2014", "\xE5\xB0\x9A\xE6\x9C\xAA\xC3\xA9\xE2\x80\x94"},
        {L"\u007F\u0080\u07FF\u0800\uFFFF", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
        {L"\U0001F600\U0010FFFF\U00010000", "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\xF0\x90\x80\x80"},
        {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        {std::wstring(5000, L'\u4E2D') + L"\u00E9",
         [] {
             std::string s;
             for (int i = 0; i < 5000; ++i) s += "\xE4\xB8\xAD";
             return s + "\xC3\xA9";
         }()},
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(c.text), c.bytes) << (&c - cases);
}

TEST(ToUtf8, LoneSurrogateBecomesReplacementCharacter) {
    const std::wstring text = {L'a', static_cast<wchar_t>(0xD800), L'b', static_cast<wchar_t>(0xDFFF)};
    EXPECT_EQ(toUtf8(text),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST(MakeUntestedResult, DefaultRecord) {
    const Result r = makeUntestedResult(0xC0A8010Au);
    EXPECT_EQ(r.address, 0xC0A8010Au);
    EXPECT_EQ(r.status, ProbeStatus::NotChecked);
    EXPECT_EQ(r.latencyMs, 0u);
    EXPECT_EQ(r.attempts, 0);
    EXPECT_EQ(r.note, L"尚未检测");
    const SYSTEMTIME& t = r.checkedAt;
    EXPECT_EQ(t.wYear | t.wMonth | t.wDayOfWeek | t.wDay | t.wHour | t.wMinute | t.wSecond | t.wMilliseconds,
              0);
}

}  // namespace
}  // namespace calderwynfell
