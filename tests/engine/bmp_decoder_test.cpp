#include "engine/bmp_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "support/bmp_writer.h"

namespace glimtap {
namespace {

using test::BmpLayout;
using test::BmpPicture;
using test::EncodeBmp;
using test::PutLe32;
namespace field = test::bmp_field;

// Every byte of every pixel differs from its neighbours', alpha included.
BmpPicture Numbered(int32_t width, int32_t height) {
    BmpPicture picture{width, height, {}};
    for (uint32_t i = 1; i <= static_cast<uint32_t>(width * height); ++i) {
        picture.pixels.push_back(i * 0x9E3779B1u);
    }
    return picture;
}

std::vector<uint32_t> WithoutTopByte(std::vector<uint32_t> pixels) {
    for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
    return pixels;
}

std::string Describe(const BmpLayout& layout) {
    return std::to_string(layout.bitsPerPixel) + " bits, header " +
           std::to_string(layout.headerSize) + (layout.bitfields ? ", bitfields" : ", rgb") +
           (layout.topDown ? ", top-down" : ", bottom-up");
}

TEST(BmpDecoder, Converts24BitPixelsAndSkipsRowPadding) {
    // Width 5: 15 bytes of pixels and one byte of padding per row.
    const BmpPicture picture = Numbered(5, 3);
    const BmpDecodeResult result = DecodeBmp(EncodeBmp(picture));
    const auto* bitmap = std::get_if<DecodedBitmap>(&result);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width, 5);
    EXPECT_EQ(bitmap->height, 3);
    EXPECT_EQ(bitmap->pixels, WithoutTopByte(picture.pixels));

    // Blue, green, red in file order; nothing in the top byte.
    const BmpDecodeResult single = DecodeBmp(EncodeBmp({1, 1, {0xFF332211}}));
    const auto* pixel = std::get_if<DecodedBitmap>(&single);
    ASSERT_NE(pixel, nullptr);
    EXPECT_EQ(pixel->pixels, std::vector<uint32_t>{0x00332211});
}

TEST(BmpDecoder, PutsTheTopRowFirstWhateverTheStoredOrder) {
    const BmpPicture picture = Numbered(3, 4);
    for (uint16_t bits : {uint16_t{24}, uint16_t{32}}) {
        for (bool topDown : {false, true}) {
            const BmpLayout layout{.bitsPerPixel = bits, .topDown = topDown};
            SCOPED_TRACE(Describe(layout));
            const BmpDecodeResult result = DecodeBmp(EncodeBmp(picture, layout));
            const auto* bitmap = std::get_if<DecodedBitmap>(&result);
            ASSERT_NE(bitmap, nullptr);
            EXPECT_EQ(bitmap->height, 4);
            ASSERT_EQ(bitmap->pixels.size(), picture.pixels.size());
            EXPECT_EQ(WithoutTopByte(bitmap->pixels), WithoutTopByte(picture.pixels));
        }
    }
}

TEST(BmpDecoder, Reads32BitPixelsAlikeInEveryHeaderLayout) {
    const BmpPicture picture = Numbered(3, 2);
    const BmpLayout layouts[] = {
        {.bitsPerPixel = 32},
        {.bitsPerPixel = 32, .bitfields = true},
        {.bitsPerPixel = 32, .topDown = true, .bitfields = true},
        {.bitsPerPixel = 32, .headerSize = 52, .bitfields = true},
        {.bitsPerPixel = 32, .headerSize = 56, .bitfields = true},
        {.bitsPerPixel = 32, .headerSize = 108},
        {.bitsPerPixel = 32, .headerSize = 108, .bitfields = true},
        {.bitsPerPixel = 32, .headerSize = 124},
        {.bitsPerPixel = 32, .headerSize = 124, .bitfields = true},
        {.bitsPerPixel = 32, .topDown = true, .headerSize = 124, .bitfields = true},
    };
    for (const BmpLayout& layout : layouts) {
        SCOPED_TRACE(Describe(layout));
        const BmpDecodeResult result = DecodeBmp(EncodeBmp(picture, layout));
        const auto* bitmap = std::get_if<DecodedBitmap>(&result);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->width, 3);
        EXPECT_EQ(bitmap->height, 2);
        EXPECT_EQ(bitmap->pixels, picture.pixels);
    }
}

TEST(BmpDecoder, FourthByteOf32BitPixelsStaysOutOfTheColour) {
    BmpPicture opaque = Numbered(4, 2);
    BmpPicture clear = opaque;
    for (uint32_t& pixel : opaque.pixels) pixel |= 0xFF000000;
    for (uint32_t& pixel : clear.pixels) pixel &= 0x00FFFFFF;
    const BmpLayout layout{.bitsPerPixel = 32};
    const BmpDecodeResult first = DecodeBmp(EncodeBmp(opaque, layout));
    const BmpDecodeResult second = DecodeBmp(EncodeBmp(clear, layout));
    ASSERT_TRUE(std::holds_alternative<DecodedBitmap>(first));
    ASSERT_TRUE(std::holds_alternative<DecodedBitmap>(second));
    EXPECT_EQ(WithoutTopByte(std::get<DecodedBitmap>(first).pixels),
              WithoutTopByte(std::get<DecodedBitmap>(second).pixels));
}

TEST(BmpDecoder, TakesPixelDataFromTheOffsetInTheFileHeader) {
    const BmpPicture picture = Numbered(2, 2);
    std::vector<uint8_t> file = EncodeBmp(picture, {.bitsPerPixel = 32});
    // Writers may leave a gap (an ICC profile, alignment) before the pixels.
    const size_t pixelsAt = 14 + 40;
    file.insert(file.begin() + pixelsAt, 6, 0xEE);
    PutLe32(file, field::kPixelOffset, pixelsAt + 6);
    const BmpDecodeResult result = DecodeBmp(file);
    const auto* bitmap = std::get_if<DecodedBitmap>(&result);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->pixels, picture.pixels);
}

TEST(BmpDecoder, ReportsTheSizeOfBitmapsOfOtherDepths) {
    const BmpPicture picture = Numbered(7, 4);
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const BmpDecodeResult result =
            DecodeBmp(EncodeBmp(picture, {.bitsPerPixel = 8, .topDown = topDown}));
        const auto* refused = std::get_if<UnsupportedDepth>(&result);
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(refused->width, 7);
        EXPECT_EQ(refused->height, 4);
        EXPECT_EQ(refused->bitsPerPixel, 8);
    }
    for (uint16_t bits : {uint16_t{1}, uint16_t{4}, uint16_t{16}}) {
        SCOPED_TRACE(bits);
        std::vector<uint8_t> file = EncodeBmp(picture);
        file[field::kBitCount] = static_cast<uint8_t>(bits);
        const BmpDecodeResult result = DecodeBmp(file);
        const auto* refused = std::get_if<UnsupportedDepth>(&result);
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(refused->width, 7);
        EXPECT_EQ(refused->height, 4);
        EXPECT_EQ(refused->bitsPerPixel, bits);
    }
}

TEST(BmpDecoder, RefusesTruncatedPixelDataInsteadOfFillingIt) {
    const std::vector<uint8_t> whole = EncodeBmp(Numbered(5, 3));
    // Every shorter prefix lacks part of a header or of the last row's padding.
    for (size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        const std::span<const uint8_t> prefix(whole.data(), size);
        EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(DecodeBmp(prefix)));
    }
    // Rows written without their padding: enough bytes for the pixels, short of the rows.
    const std::vector<uint8_t> unpadded = EncodeBmp(Numbered(5, 3), {.padRows = false});
    EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(DecodeBmp(unpadded)));
}

TEST(BmpDecoder, RefusesHostileHeaders) {
    const BmpLayout rgb32{.bitsPerPixel = 32};
    const BmpLayout fields40{.bitsPerPixel = 32, .bitfields = true};
    const BmpLayout fieldsV5{.bitsPerPixel = 32, .headerSize = 124, .bitfields = true};
    const auto set = [](size_t offset, uint32_t value) {
        return [=](std::vector<uint8_t>& file) { PutLe32(file, offset, value); };
    };
    const auto setBits = [](uint16_t bits) {
        return [=](std::vector<uint8_t>& file) {
            file[field::kBitCount] = static_cast<uint8_t>(bits);
            file[field::kBitCount + 1] = static_cast<uint8_t>(bits >> 8);
        };
    };
    const auto both = [](auto first, auto second) {
        return [=](std::vector<uint8_t>& file) {
            first(file);
            second(file);
        };
    };
    const auto swappedMasks = [](std::vector<uint8_t>& file) {
        PutLe32(file, field::kMasks, 0x000000FF);
        PutLe32(file, field::kMasks + 8, 0x00FF0000);
    };
    struct Case {
        const char* name;
        BmpLayout layout;
        std::function<void(std::vector<uint8_t>&)> corrupt;
    };
    const Case cases[] = {
        {"not BM", rgb32, [](std::vector<uint8_t>& file) { file[1] = 'A'; }},
        {"offset past the end", rgb32, set(field::kPixelOffset, 0xFFFFFFF0)},
        {"offset at the end", rgb32, set(field::kPixelOffset, 14 + 40 + 4 * 4 * 3)},
        {"zero width", rgb32, set(field::kWidth, 0)},
        {"negative width", rgb32, set(field::kWidth, 0xFFFFFFFC)},
        {"most negative width", rgb32, set(field::kWidth, 0x80000000)},
        {"zero height", rgb32, set(field::kHeight, 0)},
        {"most negative height", rgb32, set(field::kHeight, 0x80000000)},
        {"pixel count past 32 bits",
         rgb32, both(set(field::kWidth, 0x10000), set(field::kHeight, 0x10000))},
        {"largest dimensions",
         rgb32, both(set(field::kWidth, 0x7FFFFFFF), set(field::kHeight, 0x7FFFFFFF))},
        {"largest top-down dimensions",
         rgb32, both(set(field::kWidth, 0x7FFFFFFF), set(field::kHeight, 0x80000001))},
        {"huge height", rgb32, set(field::kHeight, 100'000'000)},
        {"zero bits", rgb32, setBits(0)},
        {"2 bits", rgb32, setBits(2)},
        {"48 bits", rgb32, setBits(48)},
        {"bits past a byte", rgb32, setBits(0x0120)},
        {"RLE8", rgb32, set(field::kCompression, 1)},
        {"RLE4", rgb32, set(field::kCompression, 2)},
        {"JPEG", rgb32, set(field::kCompression, 4)},
        {"alpha bitfields", rgb32, set(field::kCompression, 6)},
        {"unknown compression", rgb32, set(field::kCompression, 0xFFFFFFFF)},
        {"swapped masks after header", fields40, swappedMasks},
        {"swapped masks in V5", fieldsV5, swappedMasks},
        {"zero masks", fields40, set(field::kMasks + 4, 0)},
        {"masks cut off", fields40,
         [](std::vector<uint8_t>& file) { file.resize(field::kMasks + 8); }},
        {"24-bit bitfields", {.bitfields = true}, nullptr},
        {"core header", rgb32, set(field::kHeaderSize, 12)},
        {"header of 200", rgb32, set(field::kHeaderSize, 200)},
        {"header of 64", rgb32, set(field::kHeaderSize, 64)},
        {"header past the end", rgb32, set(field::kHeaderSize, 0xFFFFFFFF)},
        {"V5 header cut off", fieldsV5, [](std::vector<uint8_t>& file) { file.resize(100); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = EncodeBmp(Numbered(4, 3), c.layout);
        if (c.corrupt) c.corrupt(file);
        const BmpDecodeResult result = DecodeBmp(file);
        EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(result));
    }
}

}  // namespace
}  // namespace glimtap
