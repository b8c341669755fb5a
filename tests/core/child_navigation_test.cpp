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

// From A = (100, 100)-(200, 200), whose middle is 150: where a child starts to
// count as ahead, as in line, and which of two is nearer.
TEST(NavigateChildren, BoundariesOfAheadInLineAndNearest) {
    const ChildBox a{100, 100, 200, 200};
    const struct {
        std::vector<ChildBox> others;
        Direction direction;
        int reached;  // index into others, -1 for none
    } cases[] = {
        {{{150, 100, 250, 200}}, Direction::Right, 0},   // near edge on the middle
        {{{150, 100, 200, 200}}, Direction::Right, -1},  // far edge not beyond A's
        {{{50, 100, 150, 200}}, Direction::Left, 0},
        {{{100, 100, 150, 200}}, Direction::Left, -1},
        {{{100, 150, 200, 250}}, Direction::Down, 0},
        {{{100, 150, 200, 200}}, Direction::Down, -1},
        {{{100, 120, 200, 250}}, Direction::Down, -1},  // starts above the middle
        {{{100, 50, 200, 150}}, Direction::Up, 0},
        {{{100, 100, 200, 150}}, Direction::Up, -1},
        {{{100, 50, 200, 180}}, Direction::Up, -1},  // ends below the middle
        // Touching A's row or column is not in line: the nearer child off to the side wins.
        {{{300, 200, 400, 300}, {250, 250, 350, 350}}, Direction::Right, 1},
        {{{300, 0, 400, 100}, {250, -50, 350, 50}}, Direction::Right, 1},
        {{{200, 300, 300, 400}, {250, 250, 350, 350}}, Direction::Down, 1},
        {{{0, 300, 100, 400}, {-50, 250, 50, 350}}, Direction::Down, 1},
        // In line wins over nearer off to the side; off to the side, the distance along
        // the way weighs 13 times the distance across.
        {{{400, 120, 450, 180}, {210, 205, 260, 255}}, Direction::Right, 0},
        {{{210, 201, 260, 251}, {190, 237, 240, 287}}, Direction::Right, 0},
        {{{210, 260, 260, 310}, {215, 220, 265, 270}}, Direction::Right, 1},
        // Overlapping along the way is nearer than a gap of one.
        {{{190, 60, 240, 180}, {201, 100, 251, 200}}, Direction::Right, 0},
        // In line at the same distance: the one whose middle is nearer, then the first.
        {{{250, 20, 300, 120}, {250, 60, 300, 240}}, Direction::Right, 1},
        {{{20, 250, 120, 300}, {60, 250, 240, 300}}, Direction::Down, 1},
        {{{250, 100, 300, 200}, {250, 100, 300, 200}}, Direction::Right, 0},
    };
    for (const auto& c : cases) {
        std::vector<ChildBox> children{a};
        children.insert(children.end(), c.others.begin(), c.others.end());
        EXPECT_EQ(navigateChildren(children, 0, c.direction), c.reached < 0 ? -1 : c.reached + 1)
            << "way " << static_cast<int>(c.direction) << ", first other at " << c.others[0].left << ","
            << c.others[0].top;
    }
    // Outside the list, and into children, nothing; the directions keep oleacc's NAVDIR values.
    EXPECT_EQ(navigateChildren(kChildren, -1, Direction::Next), -1);
    EXPECT_EQ(navigateChildren(kChildren, 5, Direction::Previous), -1);
    EXPECT_EQ(navigateChildren(kChildren, 2, Direction::FirstChild), -1);
    EXPECT_EQ(navigateChildren(kChildren, 2, Direction::LastChild), -1);
    EXPECT_EQ(static_cast<int>(Direction::LastChild), 8);
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
