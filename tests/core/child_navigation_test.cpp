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

}  // namespace
}  // namespace calderwynfell::accessible
