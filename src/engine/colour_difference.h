#pragma once

#include <cstdint>

namespace glimtap {

// The largest difference between the red, green or blue channels of two pixels, 0..255.
// Bits 24-31 never take part.
constexpr int32_t ColourDifference(uint32_t a, uint32_t b) {
    int32_t largest = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t x = (a >> shift) & 0xFF;
        const int32_t y = (b >> shift) & 0xFF;
        const int32_t difference = x > y ? x - y : y - x;
        if (difference > largest) largest = difference;
    }
    return largest;
}

// Colour test: every channel differs by at most `tolerance`; a negative tolerance acts as 0.
constexpr bool PixelsAgree(uint32_t screen, uint32_t templ, int32_t tolerance) {
    return ((screen ^ templ) & 0xFFFFFF) == 0 || ColourDifference(screen, templ) <= tolerance;
}

}  // namespace glimtap
