#include "ui/accessibility/child_navigation.h"

#include <gtest/gtest.h>

#include <vector>

namespace calderwynfell::accessible {
namespace {

// Two cards that share a unit, a wide box below them, a hidden one beside it,
// and a far box down to the right. Off to the side counts only when nothing is in line.
const std::vector<ChildBox> kChildren = {
    {0, 0, 101, 40},            // 0
    {100, 0, 200, 40},          // 1
    {0, 60, 400, 80},           // 2
    {410, 60, 450, 80, false},  // 3, hidden
    {300, 200, 350, 220},       // 4
};

TEST(NavigateChildren, ReadingOrderAndTheNearestShownChildEachWay) {
    const struct {
        int from;
        Direction direction;
        int reached;
    } cases[] = {
        {0, Direction::Next, 1},        {3, Direction::Next, 4},     {4, Direction::Next, -1},
        {0, Direction::Previous, -1},   {4, Direction::Previous, 3}, {0, Direction::Right, 1},
        {1, Direction::Left, 0},        {1, Direction::Right, 4},    {0, Direction::Down, 2},
        {1, Direction::Down, 2},        {2, Direction::Up, 1},       {2, Direction::Right, -1},
        {2, Direction::Down, 4},        {4, Direction::Up, 2},       {4, Direction::Left, 1},
        {0, Direction::FirstChild, -1}, {7, Direction::Next, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(navigateChildren(kChildren, c.from, c.direction), c.reached)
            << "from " << c.from << " way " << static_cast<int>(c.direction);
}

// A page of `count` matrix cells, 16 to a row with a gap between them: a grid moves
// within its rows and columns only, and never off the page.
TEST(NavigateChildren, AGridMovesOnlyInItsRowOrColumn) {
    const auto grid = [](int count) {
        std::vector<ChildBox> cells;
        for (int k = 0; k < count; ++k)
            cells.push_back({k % 16 * 10 + 1, k / 16 * 10 + 1, k % 16 * 10 + 9, k / 16 * 10 + 9});
        return cells;
    };
    const struct {
        int from, count;
        Direction direction;
        int reached;
    } cases[] = {
        {16, 256, Direction::Left, -1},  {15, 256, Direction::Right, -1}, {17, 256, Direction::Left, 16},
        {17, 256, Direction::Right, 18}, {3, 256, Direction::Up, -1},     {19, 256, Direction::Up, 3},
        {240, 256, Direction::Down, -1}, {28, 44, Direction::Down, -1},   {27, 44, Direction::Down, 43},
        {43, 44, Direction::Next, -1},   {15, 256, Direction::Next, 16},  {0, 256, Direction::Previous, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(navigateChildren(grid(c.count), c.from, c.direction, true), c.reached)
            << "from " << c.from << " of " << c.count << " way " << static_cast<int>(c.direction);
}

}  // namespace
}  // namespace calderwynfell::accessible
