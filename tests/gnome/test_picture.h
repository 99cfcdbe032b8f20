#pragma once

#include <cstdint>

namespace glimtap::test {

// The GNOME test client's picture (0x00RRGGBB at pixel x, y): no two places alike.
inline uint32_t TestPicture(int32_t x, int32_t y) {
    return (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u >> 8;
}

}  // namespace glimtap::test
