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
    return {address, status, latencyMs, attempts, std::move(note), time};
}

SYSTEMTIME at(std::uint16_t y, std::uint16_t mo, std::uint16_t d, std::uint16_t h, std::uint16_t mi,
              std::uint16_t s) {
    SYSTEMTIME t{};
    t.wYear = y, t.wMonth = mo, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s;
    t.wDayOfWeek = 4, t.wMilliseconds = 987;
    return t;
}

TEST(BuildCsvDocument, EmptyInputIsBomAndHeaderOnly) {
    EXPECT_EQ(buildCsvDocument({}), kBom + kHeader);
    EXPECT_EQ(buildCsvDocument({}).size(), 65u);
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

    EXPECT_EQ(buildCsvDocument(input), expected);  // sorted by unsigned address, whatever the input order
}

TEST(QuoteCsvField, GuardAndQuoting) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"", L"\"\""},
        {L"=1+2", L"\"'=1+2\""},
        {L"+1", L"\"'+1\""},
        {L"-1", L"\"'-1\""},
        {L"@x", L"\"'@x\""},
        {L"\tx", L"\"'\tx\""},
        {L"\rx", L"\"'\rx\""},
        {L"\nx", L"\"\nx\""},  // LF does not start a formula
        {L" =x", L"\" =x\""},
        {L"a=b-c", L"\"a=b-c\""},      // only the first character counts
        {L"\uFF1D1", L"\"\uFF1D1\""},  // full-width equals is not guarded
        {L"a\"b", L"\"a\"\"b\""},
        {L"\"\"", L"\"\"\"\"\"\""},
        {L"=\"", L"\"'=\"\"\""},
        {L"a,b\r\nc", L"\"a,b\r\nc\""},
        {std::wstring(L"\0=", 2), std::wstring(L"\"\0=\"", 4)},
    };
    for (const auto& c : cases) EXPECT_EQ(quoteCsvField(c.first), c.second) << "case " << (&c - cases);
}

}  // namespace
}  // namespace calderwynfell
