#pragma once

#include <cstdint>

namespace glimtap {

// Colour test: every channel differs by at most `tolerance`. Identical low 24 bits always
// agree, so a negative tolerance demands exact equality. Bits 24-31 never take part.
constexpr bool PixelsAgree(uint32_t screen, uint32_t templ, int32_t tolerance) {
    if (((screen ^ templ) & 0xFFFFFF) == 0) return true;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int32_t a = (screen >> shift) & 0xFF;
        const int32_t b = (templ >> shift) & 0xFF;
        const int32_t diff = a > b ? a - b : b - a;
        if (diff > tolerance) return false;
    }
    return true;
}

}  // namespace glimtap
