#pragma once
// Moving among the children of an accessible container, as accNavigate does:
// in order (next, previous), or to the nearest shown child in a direction on
// screen (up, down, left, right). Pure, so it is tested natively.

#include <cstdlib>
#include <limits>
#include <vector>

namespace calderwynfell::accessible {

// With the values of oleacc's NAVDIR constants.
enum class Direction { Up = 1, Down, Left, Right, Next, Previous, FirstChild, LastChild };

struct ChildBox {
    long left = 0, top = 0, right = 0, bottom = 0;
    bool shown = true;
};

namespace detail {

// Lies `target` further in `direction` than `from`: its near edge past the middle
// of `from`, and its far edge beyond `from`'s? Neighbouring boxes may overlap a
// little (the summary cards share a unit), and a box barely sticking out is not ahead.
inline bool isAhead(const ChildBox& from, const ChildBox& target, Direction direction) {
    const long middleX = (from.left + from.right) / 2;
    const long middleY = (from.top + from.bottom) / 2;
    switch (direction) {
        case Direction::Right: return target.left >= middleX && target.right > from.right;
        case Direction::Left: return target.right <= middleX && target.left < from.left;
        case Direction::Down: return target.top >= middleY && target.bottom > from.bottom;
        default: return target.bottom <= middleY && target.top < from.top;
    }
}

inline bool horizontal(Direction direction) {
    return direction == Direction::Left || direction == Direction::Right;
}

// Does `target` share a row (or a column, moving up or down) with `from`?
inline bool inBeam(const ChildBox& from, const ChildBox& target, Direction direction) {
    return horizontal(direction) ? target.top < from.bottom && target.bottom > from.top
                                 : target.left < from.right && target.right > from.left;
}

// Distance weighted along the direction of travel, so that a child straight ahead
// wins over a nearer one off to the side; children in the same row or column are
// ranked by the gap ahead alone, then by how far their middles lie apart.
struct Distance {
    long long weighted;
    long long offCentre;
    bool operator<(const Distance& other) const {
        return weighted != other.weighted ? weighted < other.weighted : offCentre < other.offCentre;
    }
};

inline long long gapBetween(long firstEnd, long secondStart) {
    return secondStart > firstEnd ? secondStart - firstEnd : 0;
}

inline Distance distance(const ChildBox& from, const ChildBox& target, Direction direction) {
    long long major = 0;
    switch (direction) {
        case Direction::Right: major = gapBetween(from.right, target.left); break;
        case Direction::Left: major = gapBetween(target.right, from.left); break;
        case Direction::Down: major = gapBetween(from.bottom, target.top); break;
        default: major = gapBetween(target.bottom, from.top); break;
    }
    const bool across = horizontal(direction);
    const long long minor = across
                                ? gapBetween(from.bottom, target.top) + gapBetween(target.bottom, from.top)
                                : gapBetween(from.right, target.left) + gapBetween(target.right, from.left);
    const long long offCentre = across ? std::llabs((target.top + target.bottom) - (from.top + from.bottom))
                                       : std::llabs((target.left + target.right) - (from.left + from.right));
    return {13 * major * major + minor * minor, offCentre};
}

}  // namespace detail

// The child reached from child `from` (an index into `children`, which are in
// the order enumeration lists them), or -1 when there is none. Next and previous
// walk every child, shown or not; the spatial directions reach only shown
// children, those in the same row or column first, then the nearest; in a grid
// (`inLineOnly`) only those in the same row or column.
inline int navigateChildren(const std::vector<ChildBox>& children, int from, Direction direction,
                            bool inLineOnly = false) {
    const int count = static_cast<int>(children.size());
    if (from < 0 || from >= count) return -1;
    if (direction == Direction::Next) return from + 1 < count ? from + 1 : -1;
    if (direction == Direction::Previous) return from - 1;
    if (direction == Direction::FirstChild || direction == Direction::LastChild) return -1;
    const ChildBox& start = children[static_cast<std::size_t>(from)];
    int best = -1;
    bool bestInBeam = false;
    detail::Distance bestDistance{std::numeric_limits<long long>::max(), 0};
    for (int i = 0; i < count; ++i) {
        const ChildBox& target = children[static_cast<std::size_t>(i)];
        if (i == from || !target.shown || !detail::isAhead(start, target, direction)) continue;
        const bool beam = detail::inBeam(start, target, direction);
        if (inLineOnly && !beam) continue;
        const detail::Distance d = detail::distance(start, target, direction);
        if ((beam && !bestInBeam) || (beam == bestInBeam && d < bestDistance)) {
            best = i;
            bestInBeam = beam;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace calderwynfell::accessible
