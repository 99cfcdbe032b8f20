#pragma once

#include <cstdint>

namespace glimtap {

// Screen coordinates of a match's top-left corner.
struct MatchPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const MatchPoint&, const MatchPoint&) = default;
};

}  // namespace glimtap
