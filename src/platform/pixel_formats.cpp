#include "platform/pixel_formats.h"

#include <array>
#include <cstring>

namespace glimtap::platform {
namespace {

// Formats are little-endian: a 32-bit value read as the machine stores it.
uint32_t Word(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xff) << 16 | (g & 0xff) << 8 | (b & 0xff);
}

// Ten bits a channel, red high (XR30) or blue high (XB30): the top eight of each are kept.
uint32_t RedHigh30(const uint8_t* p) {
    const uint32_t v = Word(p);
    return Rgb(v >> 22, v >> 12, v >> 2);
}

uint32_t BlueHigh30(const uint8_t* p) {
    const uint32_t v = Word(p);
    return Rgb(v >> 2, v >> 12, v >> 22);
}

const std::array kFormats{
    PixelFormat{Fourcc("XR24"), 4, [](const uint8_t* p) { return Word(p) & 0xffffff; }},
    PixelFormat{Fourcc("AR24"), 4, [](const uint8_t* p) { return Word(p) & 0xffffff; }},
    PixelFormat{Fourcc("XB24"), 4, [](const uint8_t* p) { return Rgb(p[0], p[1], p[2]); }},
    PixelFormat{Fourcc("AB24"), 4, [](const uint8_t* p) { return Rgb(p[0], p[1], p[2]); }},
    PixelFormat{Fourcc("XR30"), 4, RedHigh30},
    PixelFormat{Fourcc("AR30"), 4, RedHigh30},
    PixelFormat{Fourcc("XB30"), 4, BlueHigh30},
    PixelFormat{Fourcc("AB30"), 4, BlueHigh30},
    PixelFormat{Fourcc("RG24"), 3, [](const uint8_t* p) { return Rgb(p[2], p[1], p[0]); }},
    PixelFormat{Fourcc("BG24"), 3, [](const uint8_t* p) { return Rgb(p[0], p[1], p[2]); }},
};

}  // namespace

uint32_t FourccOfWlShm(uint32_t code) {
    if (code == 0) return Fourcc("AR24");
    return code == 1 ? Fourcc("XR24") : code;
}

const PixelFormat* FindPixelFormat(uint32_t fourcc) {
    for (const PixelFormat& format : kFormats) {
        if (format.fourcc == fourcc) return &format;
    }
    return nullptr;
}

std::string PixelFormatName(uint32_t fourcc) {
    std::string name;
    for (int shift = 0; shift < 32; shift += 8) name += static_cast<char>((fourcc >> shift) & 0xff);
    return "format '" + name + "'";
}

}  // namespace glimtap::platform
