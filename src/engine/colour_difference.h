#pragma once

#include <cstdint>

namespace glimtap {

// How far one colour channel of two pixels differs, 0..255: the channel at bit `shift`
// (16 red, 8 green, 0 blue).
constexpr int32_t ChannelDifference(uint32_t a, uint32_t b, int shift) {
    const int32_t x = (a >> shift) & 0xFF;
    const int32_t y = (b >> shift) & 0xFF;
    return x > y ? x - y : y - x;
}

// The largest of the three channel differences. Bits 24-31 never take part.
constexpr int32_t ColourDifference(uint32_t a, uint32_t b) {
    int32_t largest = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t difference = ChannelDifference(a, b, shift);
        if (difference > largest) largest = difference;
    }
    return largest;
}

// Colour test: every channel differs by at most `tolerance`; a negative tolerance acts as 0.
// It gives up at the first channel that differs too much: the scan's tails call it often.
constexpr bool PixelsAgree(uint32_t screen, uint32_t templ, int32_t tolerance) {
    if (((screen ^ templ) & 0xFFFFFF) == 0) return true;
    for (int shift = 16; shift >= 0; shift -= 8) {
        if (ChannelDifference(screen, templ, shift) > tolerance) return false;
    }
    return true;
}

}  // namespace glimtap
