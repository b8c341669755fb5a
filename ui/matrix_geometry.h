#pragma once
// Pure arithmetic of the address matrix: where a cell lies, which cell a point
// hits and where a keyboard step lands. No Windows types, so it tests natively.

namespace calderwynfell::matrix {

inline constexpr int kColumns = 16;
inline constexpr int kRows = 16;
inline constexpr int kCellsPerPage = kColumns * kRows;

struct CellBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend constexpr bool operator==(const CellBox&, const CellBox&) = default;
};

// Cell k of a page inside the area (left, top, width, height). Multiplying
// before dividing lets the columns share the width without drift.
constexpr CellBox cellBox(int left, int top, int width, int height, int cell, int inset) {
    const int col = cell % kColumns;
    const int row = cell / kColumns;
    return {left + (col * width) / kColumns + inset, top + (row * height) / kRows + inset,
            left + ((col + 1) * width) / kColumns - inset, top + ((row + 1) * height) / kRows - inset};
}

// Cell of the page under a client point, clamped into the grid; -1 for an
// area without width or height.
constexpr int hitCell(int x, int y, int width, int height) {
    if (width == 0 || height == 0) return -1;
    auto clamp = [](int v) { return v > kColumns - 1 ? kColumns - 1 : (v < 0 ? 0 : v); };
    const int col = clamp((x * kColumns) / width);
    const int row = clamp((y * kRows) / height);
    return row * kColumns + col;
}

// The view is walked as one flat sequence: a step past either end stops there.
constexpr int stepTarget(int position, int step, int count) {
    const int target = position + step;
    if (target > count - 1) return count - 1;
    if (target < 0) return 0;
    return target;
}

}  // namespace calderwynfell::matrix
