#pragma once

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace glimtap {

// A decoded 24- or 32-bit bitmap: 0x??RRGGBB pixels, top row first, stride == width.
struct DecodedBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// A well-formed bitmap whose depth is not 24 or 32 bits per pixel.
struct UnsupportedDepth {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;
};

// Not a bitmap this decoder can read: truncated, malformed, or an unknown layout.
struct InvalidBitmap {};

using BmpDecodeResult = std::variant<DecodedBitmap, UnsupportedDepth, InvalidBitmap>;

// Decodes a whole .bmp file held in memory. Never reads outside `file` and never
// allocates more than the file's pixel data can fill.
BmpDecodeResult DecodeBmp(std::span<const uint8_t> file);

}  // namespace glimtap
