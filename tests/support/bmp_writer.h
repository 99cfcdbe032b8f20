#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace glimtap::test {

// A picture to write: 0xAARRGGBB pixels, top row first, stride == width.
struct BmpPicture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// How the file lays the picture out.
struct BmpLayout {
    // 8 (a grey palette, each pixel's blue byte is its index), 24 (alpha dropped) or 32.
    uint16_t bitsPerPixel = 24;
    bool topDown = false;
    // 40, 52, 56, 108 (V4) or 124 (V5); masks sit inside headers of 52 bytes and more.
    uint32_t headerSize = 40;
    // BI_BITFIELDS; with a 40-byte header the masks follow it as 12 bytes.
    bool bitfields = false;
    std::array<uint32_t, 3> masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    // false leaves rows unpadded, which makes the pixel data short for odd row sizes.
    bool padRows = true;
};

// Byte offsets of header fields, for tests that corrupt a written file.
namespace bmp_field {
constexpr size_t kPixelOffset = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kBitCount = 28,
                 kCompression = 30, kMasks = 54;
}  // namespace bmp_field

// Random opaque colours, the same for the same seed.
BmpPicture RandomPicture(int32_t width, int32_t height, uint32_t seed);
// The w x h part of `from` at x, y.
BmpPicture Cut(const BmpPicture& from, int32_t x, int32_t y, int32_t w, int32_t h);

// Moves the channel at bit `shift` of `pixel` by exactly `k`, up or down, staying in 0..255.
inline void ShiftChannel(uint32_t& pixel, int shift, int32_t k) {
    const int32_t channel = (pixel >> shift) & 0xFF;
    pixel = (pixel & ~(0xFFu << shift)) | uint32_t(channel + k <= 255 ? channel + k : channel - k) << shift;
}

std::vector<uint8_t> EncodeBmp(const BmpPicture& picture, const BmpLayout& layout = {});
void WriteBmp(const std::filesystem::path& path, const BmpPicture& picture,
              const BmpLayout& layout = {});

// Overwrites four bytes of `bytes` at `offset` with `value`, little-endian.
void PutLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

}  // namespace glimtap::test
