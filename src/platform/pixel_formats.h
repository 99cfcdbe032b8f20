#pragma once

#include <cstdint>
#include <string>

namespace glimtap::platform {

// A pixel layout as compositors and displays hand buffers out, by its DRM fourcc code
// (wl_shm uses the same codes, but for ARGB8888 and XRGB8888, which it numbers 0 and 1).
struct PixelFormat {
    uint32_t fourcc = 0;
    int32_t bytesPerPixel = 0;
    // The pixel at `at` as 0x00RRGGBB; channels wider than 8 bits keep their top 8.
    uint32_t (*read)(const uint8_t* at) = nullptr;
};

// A DRM fourcc code from its four letters: Fourcc("XR24").
constexpr uint32_t Fourcc(const char (&code)[5]) {
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
           uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

// The fourcc of a wl_shm format code.
uint32_t FourccOfWlShm(uint32_t code);

// The format with that fourcc; null when it is not one this program reads.
const PixelFormat* FindPixelFormat(uint32_t fourcc);

// For messages: "format 'RG16'".
std::string PixelFormatName(uint32_t fourcc);

}  // namespace glimtap::platform
