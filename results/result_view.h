#pragma once
// What the two result views show: which table entries, in which order, and
// which matrix pages exist. Pure, so it is tested natively.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace calderwynfell {

// One matrix page: the 16 by 16 grid.
inline constexpr int kPageSize = 256;

// Columns of the detail list, also the values of the sort column.
enum class ListColumn : std::int32_t {
    Address = 0,
    Status = 1,
    Latency = 2,
    Attempts = 3,
    Note = 4,
};

struct ViewSettings {
    bool onlineOnly = false;
    bool listMode = false;
    std::int32_t sortColumn = 0;
    bool sortAscending = true;
};

// Negative, zero or positive as a sorts before, with or after b in ascending order
// of the column, ties broken by address; any unknown column sorts by address alone.
int compareForList(const Result& a, const Result& b, std::int32_t sortColumn);

// The note order: UTF-16 code units compared as unsigned numbers, a prefix first.
int compareNotes(const std::wstring& a, const std::wstring& b);

// Fills view (reusing its storage) with the visible indices of results in display
// order: table order in matrix mode, the list order in list mode.
void computeView(const std::vector<Result>& results, const ViewSettings& settings,
                 std::vector<std::int32_t>& view);

// Last page index for a view of viewSize entries; 0 for an empty view.
int lastPage(std::size_t viewSize);

// The page lowered to the last page when it is past it; never raised.
int clampPage(int page, std::size_t viewSize);

// Typing in the detail list: the first row, from `start` on (from row 0 when out of
// range) and wrapping round to row 0 only when `wrap`, whose address text begins
// with `typed` (or equals it when not `partial`); -1 when none does.
int findRowByAddress(const std::vector<Result>& results, const std::vector<std::int32_t>& view,
                     std::wstring_view typed, bool partial, int start, bool wrap);

bool hasPreviousPage(int page, bool listMode);
bool hasNextPage(int page, std::size_t viewSize, bool listMode);

}  // namespace calderwynfell
