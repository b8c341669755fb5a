#include "ui/matrix_geometry.h"

#include <gtest/gtest.h>

namespace calderwynfell::matrix {
namespace {

TEST(MatrixGeometry, CellBoxesShareTheWidthWithoutDrift) {
    struct Case {
        int left, top, width, height, cell, inset;
        CellBox box;
    };
    const Case cases[] = {
        {0, 0, 540, 348, 0, 1, {1, 1, 32, 20}},   // 540/16 = 33.75: first column 0..33
        {0, 0, 540, 348, 1, 1, {34, 1, 66, 20}},  // 33 + 1 .. 67 - 1
        {0, 0, 540, 348, kCellsPerPage - 1, 1, {507, 327, 539, 347}},  // a page's last cell: bottom right
        {0, 0, 540, 348, 17, 2, {35, 23, 65, 41}},    // row 1 col 1 at 192 DPI inset
        {10, 20, 160, 160, 16, 1, {11, 31, 19, 39}},  // offsets of the client origin are kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(cellBox(c.left, c.top, c.width, c.height, c.cell, c.inset), c.box) << "cell " << c.cell;
    // Neighbouring cells at inset 2 leave a 4-pixel gap.
    EXPECT_EQ(cellBox(0, 0, 640, 640, 1, 2).left - cellBox(0, 0, 640, 640, 0, 2).right, 4);
}

TEST(MatrixGeometry, HitCellTruncatesAndClamps) {
    struct Case {
        int x, y, width, height, cell;
    };
    const Case cases[] = {
        {33, 21, 540, 348, 0},     {34, 22, 540, 348, 17},    {539, 347, 540, 348, 255},
        {600, 400, 540, 348, 255}, {-40, 200, 540, 348, 144}, {10, 10, 0, 348, -1},
        {10, 10, 540, 0, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(hitCell(c.x, c.y, c.width, c.height), c.cell) << c.x << "," << c.y;
}

TEST(MatrixGeometry, StepsWalkAFlatSequenceAndStopAtTheEnds) {
    struct Case {
        int position, step, count, target;
    };
    const Case cases[] = {
        {512, 1, 600, 513}, {512, -1, 600, 511}, {240, 16, 300, 256}, {250, 16, 260, 259},
        {5, -16, 300, 0},   {599, 1, 600, 599},  {0, -1, 600, 0},     {16, -1, 600, 15},
    };
    for (const Case& c : cases) EXPECT_EQ(stepTarget(c.position, c.step, c.count), c.target);
}

}  // namespace
}  // namespace calderwynfell::matrix
