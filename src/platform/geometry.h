#pragma once

#include <cstdint>

namespace glimtap::platform {

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A pixel of the virtual screen.
struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle of the virtual screen in physical pixels; left/top may be negative.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

}  // namespace glimtap::platform
