#include "support/bmp_writer.h"

#include <random>
#include <stdexcept>

#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kSrgbColourSpace = 0x73524742;  // 'sRGB'
constexpr uint32_t kPixelsPerMetre = 2835;         // 72 dpi
// Never zero, so padding mistaken for pixel data shows up in the decoded colours.
constexpr uint8_t kPaddingByte = 0xA5;

// The low `count` bytes of `value`, little-endian.
void Append(std::vector<uint8_t>& bytes, uint32_t value, int count = 4) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const BmpPicture& picture, const BmpLayout& layout) {
    const uint16_t bits = layout.bitsPerPixel;
    if (bits != 8 && bits != 24 && bits != 32) throw std::invalid_argument("bit count");
    if (layout.headerSize < 40) throw std::invalid_argument("header size");
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        throw std::invalid_argument("pixel count");

    const uint32_t width = static_cast<uint32_t>(picture.width), height = static_cast<uint32_t>(picture.height);
    const uint32_t dataBytes = width * bits / 8;
    const uint32_t rowSize = layout.padRows ? (width * bits + 31) / 32 * 4 : dataBytes;
    const bool masksAfterHeader = layout.bitfields && layout.headerSize == 40;
    const uint32_t paletteEntries = bits == 8 ? 256 : 0;
    const uint32_t pixelOffset =
        kFileHeaderSize + layout.headerSize + (masksAfterHeader ? 12 : 0) + paletteEntries * 4;

    // File size, reserved, pixel offset; header size, width, height, then 16-bit planes and bits.
    std::vector<uint8_t> bytes{'B', 'M'};
    for (const uint32_t field : {pixelOffset + rowSize * height, 0u, pixelOffset, layout.headerSize, width,
                                 layout.topDown ? static_cast<uint32_t>(-picture.height) : height})
        Append(bytes, field);
    Append(bytes, 1, 2);
    Append(bytes, bits, 2);
    // Compression, image size, resolution, colours used, colours important.
    for (const uint32_t field : {layout.bitfields ? kBiBitfields : kBiRgb, rowSize * height, kPixelsPerMetre,
                                 kPixelsPerMetre, paletteEntries, 0u})
        Append(bytes, field);
    if (layout.headerSize >= 52) for (uint32_t mask : layout.masks) Append(bytes, mask);
    if (layout.headerSize >= 56) Append(bytes, 0);  // alpha mask
    if (layout.headerSize >= 108) Append(bytes, kSrgbColourSpace);
    // The rest of a V4 or V5 header (end points, gamma, intent, profile) stays zero.
    bytes.resize(kFileHeaderSize + layout.headerSize, 0);
    if (masksAfterHeader) for (uint32_t mask : layout.masks) Append(bytes, mask);

    for (uint32_t i = 0; i < paletteEntries; ++i) Append(bytes, i * 0x010101);

    for (uint32_t stored = 0; stored < height; ++stored) {
        const uint32_t y = layout.topDown ? stored : height - 1 - stored;
        for (uint32_t x = 0; x < width; ++x) Append(bytes, picture.pixels[static_cast<size_t>(y) * width + x], bits / 8);
        bytes.insert(bytes.end(), rowSize - dataBytes, kPaddingByte);
    }
    return bytes;
}

void WriteBmp(const std::filesystem::path& path, const BmpPicture& picture,
              const BmpLayout& layout) {
    WriteFile(path, EncodeBmp(picture, layout));
}

void PutLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

BmpPicture RandomPicture(int32_t width, int32_t height, uint32_t seed) {
    std::mt19937 rng(seed);
    BmpPicture picture{width, height, {}};
    for (int32_t i = 0; i < width * height; ++i) picture.pixels.push_back(rng() & 0xFFFFFF);
    return picture;
}

BmpPicture Cut(const BmpPicture& from, int32_t x, int32_t y, int32_t w, int32_t h) {
    BmpPicture part{w, h, {}};
    for (int32_t row = y; row < y + h; ++row) {
        const auto begin = from.pixels.begin() + row * from.width + x;
        part.pixels.insert(part.pixels.end(), begin, begin + w);
    }
    return part;
}

}  // namespace glimtap::test
