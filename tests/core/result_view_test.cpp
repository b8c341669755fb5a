#include "results/result_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform.h"

namespace calderwynfell {
namespace {

constexpr std::uint32_t ip(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return a << 24 | b << 16 | c << 8 | d;
}

Result entry(std::uint32_t address, ProbeStatus status, std::uint32_t latency = 0, std::int32_t attempts = 0,
             std::wstring note = L"") {
    return {address, status, latency, attempts, std::move(note)};
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

constexpr auto NotChecked = ProbeStatus::NotChecked, Online = ProbeStatus::Online,
               NoResponse = ProbeStatus::NoResponse, Error = ProbeStatus::Error;

TEST(CompareForList, EveryColumnWithItsTieBreak) {
    const std::uint32_t low = ip(10, 0, 0, 1);
    const std::uint32_t high = ip(200, 0, 0, 1);  // above 2^31: a signed address compare would put it first
    const struct {
        const char* what;
        int column;
        Result a, b;
        int expected;  // sign of the comparison of a with b
    } cases[] = {
        {"address column ignores status", 0, entry(high, NotChecked), entry(low, Error), 1},
        {"address column, unsigned", 0, entry(low, Online), entry(high, Online), -1},
        {"status by number", 1, entry(high, NotChecked), entry(low, Online), -1},
        {"status: error last", 1, entry(low, Error), entry(high, NoResponse), 1},
        {"status tie goes to address", 1, entry(high, Online, 1), entry(low, Online, 9), 1},
        {"latency: status decides first", 2, entry(low, NoResponse, 0), entry(high, Online, 900), 1},
        {"latency within one status", 2, entry(high, Online, 2), entry(low, Online, 30), -1},
        {"latency unsigned", 2, entry(low, Online, 0xFFFFFFFFu), entry(high, Online, 1), 1},
        {"latency tie goes to address", 2, entry(high, Online, 5), entry(low, Online, 5), 1},
        {"attempts", 3, entry(high, Online, 0, 1), entry(low, Online, 0, 3), -1},
        {"attempts across statuses", 3, entry(low, Error, 0, 2), entry(high, Online, 0, 1), 1},
        {"attempts tie goes to address", 3, entry(high, NoResponse, 0, 2), entry(low, Online, 0, 2), 1},
        {"note prefix first", 4, entry(high, Online, 0, 0, L"收到"), entry(low, Online, 0, 0, L"收到 ICMP"),
         -1},
        {"note units unsigned", 4, entry(low, Online, 0, 0, L"\uFF01"), entry(high, Online, 0, 0, L"A"), 1},
        // A surrogate pair's first unit (U+D83D) is below U+FFFF in UTF-16, whatever the code point says.
        {"note surrogates", 4, entry(low, Online, 0, 0, L"\U0001F600"), entry(high, Online, 0, 0, L"\uFFFF"),
         -1},
        // Where wchar_t holds a whole code point, it counts as its leading surrogate (U+D801 for U+10400).
        {"note lead below a unit", 4, entry(low, Online, 0, 0, L"\U00010000"), entry(high, Online, 0, 0, L"\xD801"),
         -1},
        {"note lead above a unit", 4, entry(low, Online, 0, 0, L"\U00010400"), entry(high, Online, 0, 0, L"\xD800"),
         1},
        {"lone surrogate before the whole", 4, entry(low, Online, 0, 0, L"\U00010800"),
         entry(high, Online, 0, 0, L"\xD802"), 1},
        {"note tie to address", 4, entry(high, Online, 0, 0, L"same"), entry(low, Error, 0, 0, L"same"), 1},
        {"unknown column is address only", 7, entry(high, NotChecked), entry(low, Error), 1},
        {"negative column is address only", -1, entry(low, Error), entry(high, NotChecked), -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(compareForList(c.a, c.b, c.column)), c.expected) << c.what;
        EXPECT_EQ(sign(compareForList(c.b, c.a, c.column)), -c.expected) << c.what << " (swapped)";
    }
}

// Twelve entries with many equal keys, so every column needs the address tie-break.
std::vector<Result> mixedTable() {
    const ProbeStatus statuses[] = {Online,     NoResponse, Online, Error,  NotChecked, Online,
                                    NoResponse, Online,     Error,  Online, NotChecked, NoResponse};
    const std::uint32_t latencies[] = {3, 0, 3, 0, 0, 0, 0, 12, 0, 3, 0, 0};
    const std::int32_t attempts[] = {1, 2, 1, 1, 0, 2, 2, 1, 3, 1, 0, 2};
    const wchar_t* notes[] = {L"收到", L"超时", L"收到", L"不可达", L"尚未", L"收到",
                              L"超时", L"收到", L"网络", L"收到",   L"尚未", L"超时"};
    std::vector<Result> table;
    for (std::uint32_t i = 0; i < 12; ++i)  // crosses an octet boundary
        table.push_back(entry(ip(192, 168, 1, 250) + i, statuses[i], latencies[i], attempts[i], notes[i]));
    return table;
}

std::vector<std::int32_t> viewOf(const std::vector<Result>& table, ViewSettings settings) {
    std::vector<std::int32_t> view = {99, 98};  // stale content must go
    computeView(table, settings, view);
    return view;
}

TEST(ComputeView, DescendingIsTheExactReverseForEveryColumn) {
    const auto table = mixedTable();
    for (int column = 0; column <= 5; ++column) {
        for (bool onlineOnly : {false, true}) {
            const auto ascending = viewOf(table, {onlineOnly, true, column, true});
            auto descending = viewOf(table, {onlineOnly, true, column, false});
            std::reverse(descending.begin(), descending.end());
            EXPECT_EQ(ascending, descending) << "column " << column << " onlineOnly " << onlineOnly;
            EXPECT_EQ(ascending.size(), onlineOnly ? 5u : 12u);
            for (std::size_t i = 1; i < ascending.size(); ++i)
                EXPECT_LT(compareForList(table[ascending[i - 1]], table[ascending[i]], column), 0) << column;
        }
    }
}

TEST(ComputeView, FilterAndOrder) {
    const auto table = mixedTable();
    const std::pair<ViewSettings, std::vector<std::int32_t>> cases[] = {
        // Matrix mode keeps table order whatever the sort settings.
        {{false, false, 4, false}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {{true, false, 2, true}, {0, 2, 5, 7, 9}},
        // Latency: untested, online by time then address, no response, error.
        {{false, true, 2, true}, {4, 10, 5, 0, 2, 9, 7, 1, 6, 11, 3, 8}},
        {{true, true, 2, false}, {7, 9, 2, 0, 5}},
        {{false, true, 1, true}, {4, 10, 0, 2, 5, 7, 9, 1, 6, 11, 3, 8}},
        {{false, true, 3, true}, {4, 10, 0, 2, 3, 7, 9, 1, 5, 6, 11, 8}},
        {{false, true, 0, false}, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(viewOf(table, c.first), c.second) << "case " << (&c - cases);
}

TEST(ComputeView, EmptyTableAndNoneOnline) {
    EXPECT_TRUE(viewOf({}, {true, true, 4, true}).empty());
    const std::vector<Result> silent = {entry(1, NoResponse), entry(2, Error), entry(3, NotChecked)};
    EXPECT_TRUE(viewOf(silent, {true, false, 0, true}).empty());
    EXPECT_EQ(viewOf(silent, {false, false, 0, true}).size(), 3u);
}

TEST(Pages, ClampAndButtons) {
    const struct {
        std::size_t viewSize;
        int page;
        bool listMode;
        int clamped;
        bool previous, next;
    } cases[] = {
        {0, 3, false, 0, false, false},   {1, 0, false, 0, false, false},
        {256, 1, false, 0, false, false}, {257, 0, false, 0, false, true},
        {257, 9, false, 1, true, false},  {512, 1, false, 1, true, false},
        {513, 1, false, 1, true, true},   {4096, 16, false, 15, true, false},
        {4096, 7, false, 7, true, true},  {4096, 7, true, 7, false, false},
        {257, 1, true, 1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.viewSize << " entries, page " << c.page);
        const int page = clampPage(c.page, c.viewSize);
        EXPECT_EQ(page, c.clamped);
        EXPECT_EQ(hasPreviousPage(page, c.listMode), c.previous);
        EXPECT_EQ(hasNextPage(page, c.viewSize, c.listMode), c.next);
    }
    EXPECT_EQ(lastPage(0), 0);
    EXPECT_EQ(lastPage(256), 0);
    EXPECT_EQ(lastPage(257), 1);
}

// The view lists 10.0.0.12, .1, .11, .2 (a list order); typing searches it from a row on.
TEST(FindRowByAddress, PrefixOrWholeFromTheStartRowWrappingOnlyWhenAsked) {
    const std::vector<Result> table = {
        entry(0x0A000001, ProbeStatus::Online), entry(0x0A000002, ProbeStatus::Online),
        entry(0x0A00000B, ProbeStatus::Online), entry(0x0A00000C, ProbeStatus::Online)};
    const std::vector<std::int32_t> view = {3, 0, 2, 1};
    const struct {
        const wchar_t* typed;
        bool partial, wrap;
        int start, row;
    } cases[] = {
        {L"10.0.0.1", true, true, 0, 0},    {L"10.0.0.1", true, true, 1, 1},
        {L"10.0.0.1", true, true, 3, 0},    {L"10.0.0.1", true, false, 3, -1},
        {L"10.0.0.1", false, true, 0, 1},   {L"10.0.0.2", true, true, 2, 3},
        {L"10.0.0.3", true, true, 0, -1},   {L"10.0.0.11", true, true, 9, 2},
        {L"", true, false, 2, 2},           {L"10.0.0.12x", true, true, 0, -1},
        {L"10.0.0.12", false, false, 0, 0}, {L"10.0.0.2", false, false, 2, 3},
        {L"10.0.0.12", true, false, -1, 0}, {L"10.0.0.12", true, false, 4, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findRowByAddress(table, view, c.typed, c.partial, c.start, c.wrap), c.row)
            << toUtf8(c.typed) << " from " << c.start << (c.wrap ? " wrapping" : "");
    EXPECT_EQ(findRowByAddress(table, {}, L"1", true, 0, true), -1);
    EXPECT_EQ(findRowByAddress(table, {2}, L"10.0.0.11", false, 0, false), 0);
}

}  // namespace
}  // namespace calderwynfell
