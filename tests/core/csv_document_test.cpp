#include "results/csv_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace calderwynfell {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "IP 地址,状态,延迟(ms),尝试次数,检测时间,说明\r\n";

Result record(std::uint32_t address, ProbeStatus status, std::uint32_t latencyMs, std::int32_t attempts,
              std::wstring note, SYSTEMTIME time = {}) {
    Result r;
    r.address = address;
    r.status = status;
    r.latencyMs = latencyMs;
    r.attempts = attempts;
    r.note = std::move(note);
    r.checkedAt = time;
    return r;
}

SYSTEMTIME at(std::uint16_t y, std::uint16_t mo, std::uint16_t d, std::uint16_t h, std::uint16_t mi,
              std::uint16_t s) {
    SYSTEMTIME t{};
    t.wYear = y;
    t.wMonth = mo;
    t.wDay = d;
    t.wHour = h;
    t.wMinute = mi;
    t.wSecond = s;
    t.wDayOfWeek = 4;
    t.wMilliseconds = 987;
    return t;
}

TEST(BuildCsvDocument, EmptyInputIsBomAndHeaderOnly) {
    const std::string bytes = buildCsvDocument({});
    EXPECT_EQ(bytes.size(), 65u);
    EXPECT_EQ(bytes, kBom + kHeader);
}

TEST(BuildCsvDocument, WholeDocumentByteForByte) {
    SYSTEMTIME yearZero = at(0, 3, 5, 8, 4, 9);
    const std::vector<Result> input = {
        record(0xC0A8010Au, ProbeStatus::Online, 3, 1, L"", at(2026, 3, 5, 8, 4, 9)),  // 192.168.1.10
        makeUntestedResult(0xC0A8010Bu),                                               // 192.168.1.11
        record(0xC0A80102u, ProbeStatus::NoResponse, 77, 3, L"等待 ICMP 回复超时",
               at(2026, 12, 31, 23, 59, 58)),
        record(0x0A000009u, ProbeStatus::Error, 5, 2, L"本机网络发送失败", at(2026, 3, 5, 8, 4, 10)),
        record(0x80000001u, ProbeStatus::Online, 0, 1, L"say \"hi\", then\r\nbye", at(2026, 3, 5, 8, 4, 9)),
        record(0x7FFFFFFFu, static_cast<ProbeStatus>(7), 9, -3, L"=SUM(A1)", at(2026, 1, 2, 3, 4, 5)),
        record(0x0A00000Au, ProbeStatus::Online, 1234, 1, L"-danger", yearZero),
        record(0x00000000u, ProbeStatus::NotChecked, 0, 0, L"a=b"),
    };
    const std::string expected =
        kBom + kHeader +
        "\"0.0.0.0\",\"未检测\",\"\",\"0\",\"\",\"a=b\"\r\n"
        "\"10.0.0.9\",\"检测错误\",\"\",\"2\",\"2026-03-05 08:04:10\",\"本机网络发送失败\"\r\n"
        "\"10.0.0.10\",\"在线\",\"1234\",\"1\",\"\",\"'-danger\"\r\n"
        "\"127.255.255.255\",\"未检测\",\"\",\"'-3\",\"2026-01-02 03:04:05\",\"'=SUM(A1)\"\r\n"
        "\"128.0.0.1\",\"在线\",\"0\",\"1\",\"2026-03-05 08:04:09\",\"say \"\"hi\"\", then\r\nbye\"\r\n"
        "\"192.168.1.2\",\"无响应\",\"\",\"3\",\"2026-12-31 23:59:58\",\"等待 ICMP 回复超时\"\r\n"
        "\"192.168.1.10\",\"在线\",\"3\",\"1\",\"2026-03-05 08:04:09\",\"\"\r\n"
        "\"192.168.1.11\",\"未检测\",\"\",\"0\",\"\",\"尚未检测\"\r\n";

    const std::vector<Result> before = input;
    EXPECT_EQ(buildCsvDocument(input), expected);

    // The caller's records and their order are left alone.
    ASSERT_EQ(input.size(), before.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
        EXPECT_EQ(input[i].address, before[i].address);
        EXPECT_EQ(input[i].note, before[i].note);
    }
}

TEST(BuildCsvDocument, SortsByUnsignedAddressWhateverTheInputOrder) {
    const std::uint32_t addresses[] = {0xC0A8010Au, 0x80000001u, 0xFFFFFFFFu, 0xC0A80102u, 0x7FFFFFFFu, 0u};
    std::vector<Result> input;
    for (auto a : addresses) input.push_back(makeUntestedResult(a));
    const std::string bytes = buildCsvDocument(input);
    const char* order[] = {"\"0.0.0.0\"",     "\"127.255.255.255\"", "\"128.0.0.1\"",
                           "\"192.168.1.2\"", "\"192.168.1.10\"",    "\"255.255.255.255\""};
    std::size_t previous = 0;
    for (const char* text : order) {
        const std::size_t at = bytes.find(std::string("\r\n") + text + ",");
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_GT(at, previous) << text;
        previous = at;
    }
}

TEST(QuoteCsvField, GuardAndQuoting) {
    const struct {
        std::wstring field;
        std::wstring quoted;
    } cases[] = {
        {L"", L"\"\""},
        {L"=", L"\"'=\""},
        {L"=1+2", L"\"'=1+2\""},
        {L"+1", L"\"'+1\""},
        {L"-1", L"\"'-1\""},
        {L"@x", L"\"'@x\""},
        {L"\tx", L"\"'\tx\""},
        {L"\rx", L"\"'\rx\""},
        {L"\nx", L"\"\nx\""},  // LF is not a formula starter
        {L" =x", L"\" =x\""},
        {L"a=b-c+d@e", L"\"a=b-c+d@e\""},  // only the first character counts
        {L"'x", L"\"'x\""},
        {L"\uFF1D1", L"\"\uFF1D1\""},  // full-width equals sign is not guarded
        {L"a\"b", L"\"a\"\"b\""},
        {L"\"", L"\"\"\"\""},
        {L"\"\"", L"\"\"\"\"\"\""},
        {L"=\"", L"\"'=\"\"\""},
        {L"\"=", L"\"\"\"=\""},
        {L"a,b\r\nc", L"\"a,b\r\nc\""},
        {L"中文,说明", L"\"中文,说明\""},
        {std::wstring(L"\0=", 2), std::wstring(L"\"\0=\"", 4)},
    };
    for (const auto& c : cases) EXPECT_EQ(quoteCsvField(c.field), c.quoted) << (&c - cases);
}

}  // namespace
}  // namespace calderwynfell
