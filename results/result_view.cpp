#include "results/result_view.h"

#include <algorithm>

#include "results/text_forms.h"

namespace calderwynfell {

namespace {

template <typename T>
int threeWay(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// UTF-16 order of two differing characters. Where wchar_t is 32 bits wide a
// supplementary character counts as its leading surrogate against a BMP unit.
int compareUnits(wchar_t a, wchar_t b) {
    const auto first = static_cast<std::uint32_t>(a);
    const auto second = static_cast<std::uint32_t>(b);
    const auto leadingUnit = [](std::uint32_t c) { return c > 0xFFFF ? 0xD800 + ((c - 0x10000) >> 10) : c; };
    if ((first > 0xFFFF) == (second > 0xFFFF)) return threeWay(first, second);
    const int lead = threeWay(leadingUnit(first), leadingUnit(second));
    // A lone leading surrogate equal to the other's first unit is the shorter sequence.
    return lead != 0 ? lead : threeWay(first, second);
}

}  // namespace

int compareNotes(const std::wstring& a, const std::wstring& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (a[i] != b[i]) return compareUnits(a[i], b[i]);
    return threeWay(a.size(), b.size());
}

int compareForList(const Result& a, const Result& b, std::int32_t sortColumn) {
    const auto statusA = static_cast<std::int32_t>(a.status);
    const auto statusB = static_cast<std::int32_t>(b.status);
    int d = 0;
    switch (static_cast<ListColumn>(sortColumn)) {
        case ListColumn::Status: d = threeWay(statusA, statusB); break;
        case ListColumn::Latency:
            d = statusA == statusB ? threeWay(a.latencyMs, b.latencyMs) : threeWay(statusA, statusB);
            break;
        case ListColumn::Attempts: d = threeWay(a.attempts, b.attempts); break;
        case ListColumn::Note: d = compareNotes(a.note, b.note); break;
        default: break;
    }
    return d != 0 ? d : threeWay(a.address, b.address);
}

void computeView(const std::vector<Result>& results, const ViewSettings& settings,
                 std::vector<std::int32_t>& view) {
    view.clear();
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (settings.onlineOnly && results[i].status != ProbeStatus::Online) continue;
        view.push_back(static_cast<std::int32_t>(i));
    }
    if (!settings.listMode) return;
    // Only the indices move; the records stay where they are.
    std::stable_sort(view.begin(), view.end(), [&](std::int32_t left, std::int32_t right) {
        const int d = compareForList(results[static_cast<std::size_t>(left)],
                                     results[static_cast<std::size_t>(right)], settings.sortColumn);
        return settings.sortAscending ? d < 0 : d > 0;
    });
}

int lastPage(std::size_t viewSize) {
    return viewSize == 0 ? 0 : static_cast<int>((viewSize - 1) / kPageSize);
}

int clampPage(int page, std::size_t viewSize) {
    return std::min(page, lastPage(viewSize));
}

int findRowByAddress(const std::vector<Result>& results, const std::vector<std::int32_t>& view,
                     std::wstring_view typed, bool partial, int start, bool wrap) {
    const auto count = static_cast<int>(view.size());
    if (count == 0) return -1;
    if (start < 0 || start >= count) start = 0;
    const int rows = wrap ? count : count - start;
    for (int step = 0; step < rows; ++step) {
        const int row = (start + step) % count;
        const std::wstring text =
            addressText(results[static_cast<std::size_t>(view[static_cast<std::size_t>(row)])].address);
        if (partial ? text.starts_with(typed) : text == typed) return row;
    }
    return -1;
}

bool hasPreviousPage(int page, bool listMode) {
    return !listMode && page > 0;
}

bool hasNextPage(int page, std::size_t viewSize, bool listMode) {
    return !listMode && static_cast<long long>(page + 1) * kPageSize < static_cast<long long>(viewSize);
}

}  // namespace calderwynfell
