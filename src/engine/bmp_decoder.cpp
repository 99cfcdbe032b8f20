#include "engine/bmp_decoder.h"

#include <cstddef>
#include <limits>

#include "engine/bmp_layout.h"
#include "engine/little_endian.h"

namespace glimtap {
namespace {

using namespace bmp_layout;

constexpr size_t kMaskBytes = 12;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kRedMask = 0x00FF0000;
constexpr uint32_t kGreenMask = 0x0000FF00;
constexpr uint32_t kBlueMask = 0x000000FF;

bool IsKnownHeaderSize(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

struct Header {
    uint32_t pixelOffset = 0;
    int32_t width = 0;
    int32_t height = 0;  // negative: rows stored top row first
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
};

// Larger headers carry the masks at the same place the 40-byte header's trailing
// triple would start, so one offset serves both layouts.
bool HasStandardMasks(std::span<const uint8_t> file) {
    const size_t at = kFileHeaderSize + kInfoHeaderSize;
    if (file.size() < at + kMaskBytes) return false;
    return LoadLe32(file, at) == kRedMask && LoadLe32(file, at + 4) == kGreenMask &&
           LoadLe32(file, at + 8) == kBlueMask;
}

bool IsSupportedEncoding(std::span<const uint8_t> file, const Header& header) {
    if (header.compression == kBiRgb) return true;
    return header.bitsPerPixel == 32 && header.compression == kBiBitfields &&
           HasStandardMasks(file);
}

void ConvertRow(const uint8_t* source, int bitsPerPixel, uint32_t* target, int32_t width) {
    if (bitsPerPixel == 24) {
        for (int32_t x = 0; x < width; ++x, source += 3) {
            target[x] = static_cast<uint32_t>(source[2]) << 16 |
                        static_cast<uint32_t>(source[1]) << 8 | source[0];
        }
        return;
    }
    for (int32_t x = 0; x < width; ++x, source += 4) {
        target[x] = static_cast<uint32_t>(source[0]) | static_cast<uint32_t>(source[1]) << 8 |
                    static_cast<uint32_t>(source[2]) << 16 |
                    static_cast<uint32_t>(source[3]) << 24;
    }
}

}  // namespace

BmpDecodeResult DecodeBmp(std::span<const uint8_t> file) {
    if (file.size() < kFileHeaderSize + 4) return InvalidBitmap{};  // file too short
    if (file[0] != 'B' || file[1] != 'M') return InvalidBitmap{};  // no BM signature

    const uint32_t headerSize = LoadLe32(file, kFileHeaderSize);
    if (!IsKnownHeaderSize(headerSize)) return InvalidBitmap{};  // unknown header size
    if (file.size() < kFileHeaderSize + headerSize) return InvalidBitmap{};  // header cut off

    Header header;
    header.pixelOffset = LoadLe32(file, kPixelOffset);
    header.width = static_cast<int32_t>(LoadLe32(file, kWidth));
    header.height = static_cast<int32_t>(LoadLe32(file, kHeight));
    header.bitsPerPixel = LoadLe16(file, kBitCount);
    header.compression = LoadLe32(file, kCompression);

    if (header.width <= 0) return InvalidBitmap{};  // width not positive
    if (header.height == 0 || header.height == std::numeric_limits<int32_t>::min()) {
        return InvalidBitmap{};  // bad height
    }
    const int32_t rows = header.height < 0 ? -header.height : header.height;

    switch (header.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
        return UnsupportedDepth{header.width, rows, header.bitsPerPixel};
    case 24:
    case 32:
        break;
    default:
        return InvalidBitmap{};  // bad bit count
    }
    if (!IsSupportedEncoding(file, header)) return InvalidBitmap{};  // unsupported compression

    // The width fits 31 bits, so the row size fits 64 bits; the row count is then
    // checked by division so the product never overflows.
    const uint64_t rowSize =
        (static_cast<uint64_t>(header.width) * header.bitsPerPixel + 31) / 32 * 4;
    if (header.pixelOffset > file.size()) return InvalidBitmap{};  // pixel data outside the file
    const uint64_t available = file.size() - header.pixelOffset;
    if (static_cast<uint64_t>(rows) > available / rowSize) {
        return InvalidBitmap{};  // pixel data truncated
    }

    DecodedBitmap bitmap{header.width, rows, {}};
    bitmap.pixels.resize(static_cast<size_t>(header.width) * static_cast<size_t>(rows));
    const uint8_t* pixelData = file.data() + header.pixelOffset;
    const bool topDown = header.height < 0;
    for (int32_t y = 0; y < rows; ++y) {
        const int32_t storedRow = topDown ? y : rows - 1 - y;
        ConvertRow(pixelData + static_cast<size_t>(storedRow) * rowSize, header.bitsPerPixel,
                   bitmap.pixels.data() + static_cast<size_t>(y) * header.width, header.width);
    }
    return bitmap;
}

}  // namespace glimtap
