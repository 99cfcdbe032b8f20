#include "engine/bmp_decoder.h"

#include <gtest/gtest.h>

#include <span>
#include <tuple>
#include <variant>

#include "engine/template_image.h"
#include "support/bmp_writer.h"
#include "support/temp_dir.h"

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
    for (uint32_t i = 1; i <= static_cast<uint32_t>(width * height); ++i) picture.pixels.push_back(i * 0x9E3779B1u);
    return picture;
}

std::vector<uint32_t> WithoutTopByte(std::vector<uint32_t> pixels) {
    for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
    return pixels;
}

TEST(BmpDecoder, ReadsEveryAcceptedLayoutAlike) {
    // Width 5: 24-bit rows carry a byte of padding.
    const BmpPicture picture = Numbered(5, 3);
    std::vector<uint8_t> gap = EncodeBmp(picture, {.bitsPerPixel = 32});
    gap.insert(gap.begin() + 54, 6, 0xEE);  // writers may leave a gap before the pixels
    PutLe32(gap, field::kPixelOffset, 60);
    std::vector<std::vector<uint8_t>> files = {gap};
    for (const BmpLayout layout : {BmpLayout{.bitsPerPixel = 24}, {.bitsPerPixel = 24, .topDown = true}, {.bitsPerPixel = 32},
                                   {.bitsPerPixel = 32, .topDown = true}, {.bitsPerPixel = 32, .bitfields = true},
                                   {.bitsPerPixel = 32, .headerSize = 52, .bitfields = true},
                                   {.bitsPerPixel = 32, .headerSize = 56, .bitfields = true},
                                   {.bitsPerPixel = 32, .headerSize = 108}, {.bitsPerPixel = 32, .headerSize = 124},
                                   {.bitsPerPixel = 32, .topDown = true, .headerSize = 124, .bitfields = true}}) {
        files.push_back(EncodeBmp(picture, layout));
    }
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const BmpDecodeResult result = DecodeBmp(files[i]);
        const auto* bitmap = std::get_if<DecodedBitmap>(&result);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->width, 5);
        EXPECT_EQ(bitmap->height, 3);
        EXPECT_EQ(bitmap->pixels, files[i][field::kBitCount] == 24 ? WithoutTopByte(picture.pixels) : picture.pixels);
    }
}

// Every truncated prefix is refused instead of filled, as are rows written without their
// padding: enough bytes for the pixels, short of the rows.
TEST(BmpDecoder, RefusesTruncatedFilesAndHostileHeaders) {
    const std::vector<uint8_t> whole = EncodeBmp(Numbered(5, 3));
    for (size_t size = 0; size < whole.size(); ++size)
        EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(DecodeBmp(std::span(whole.data(), size)))) << size;
    EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(DecodeBmp(EncodeBmp(Numbered(5, 3), {.padRows = false}))));
    using namespace field;
    const BmpLayout rgb32{.bitsPerPixel = 32};
    const BmpLayout fields40{.bitsPerPixel = 32, .bitfields = true};
    const BmpLayout fieldsV5{.bitsPerPixel = 32, .headerSize = 124, .bitfields = true};
    using Writes = std::vector<std::pair<size_t, uint32_t>>;
    const Writes swappedMasks = {{kMasks, 0x000000FF}, {kMasks + 8, 0x00FF0000}};
    // A bit count is written with the compression after it, which stays 0.
    const struct {
        const char* name;
        BmpLayout layout;
        Writes writes;
        size_t cutTo;  // 0: the whole file
    } cases[] = {
        {"offset past the end", rgb32, {{kPixelOffset, 0xFFFFFFF0}}, 0},
        {"offset at the end", rgb32, {{kPixelOffset, 14 + 40 + 4 * 4 * 3}}, 0},
        {"zero width", rgb32, {{kWidth, 0}}, 0}, {"negative width", rgb32, {{kWidth, 0xFFFFFFFC}}, 0},
        {"zero height", rgb32, {{kHeight, 0}}, 0}, {"most negative height", rgb32, {{kHeight, 0x80000000}}, 0},
        {"pixel count past 32 bits", rgb32, {{kWidth, 0x10000}, {kHeight, 0x10000}}, 0},
        {"largest dimensions", rgb32, {{kWidth, 0x7FFFFFFF}, {kHeight, 0x7FFFFFFF}}, 0},
        {"largest top-down dimensions", rgb32, {{kWidth, 0x7FFFFFFF}, {kHeight, 0x80000001}}, 0},
        {"huge height", rgb32, {{kHeight, 100'000'000}}, 0},
        {"zero bits", rgb32, {{kBitCount, 0}}, 0}, {"48 bits", rgb32, {{kBitCount, 48}}, 0},
        {"bits past a byte", rgb32, {{kBitCount, 0x0120}}, 0},
        {"RLE8", rgb32, {{kCompression, 1}}, 0}, {"JPEG", rgb32, {{kCompression, 4}}, 0},
        {"alpha bitfields", rgb32, {{kCompression, 6}}, 0},
        {"unknown compression", rgb32, {{kCompression, 0xFFFFFFFF}}, 0},
        {"swapped masks after header", fields40, swappedMasks, 0},
        {"swapped masks in V5", fieldsV5, swappedMasks, 0},
        {"zero masks", fields40, {{kMasks + 4, 0}}, 0},
        {"masks cut off", fields40, {}, kMasks + 8},
        {"24-bit bitfields", {.bitfields = true}, {}, 0},
        {"core header", rgb32, {{kHeaderSize, 12}}, 0}, {"header of 200", rgb32, {{kHeaderSize, 200}}, 0},
        {"header past the end", rgb32, {{kHeaderSize, 0xFFFFFFFF}}, 0},
        {"V5 header cut off", fieldsV5, {}, 100},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> file = EncodeBmp(Numbered(4, 3), c.layout);
        for (const auto& [offset, value] : c.writes) PutLe32(file, offset, value);
        if (c.cutTo != 0) file.resize(c.cutTo);
        EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(DecodeBmp(file))) << c.name;
    }
    std::vector<uint8_t> notBm = EncodeBmp(Numbered(4, 3), rgb32);
    notBm[1] = 'A';
    EXPECT_TRUE(std::holds_alternative<InvalidBitmap>(DecodeBmp(notBm)));
}

// What a file that is no template is, as the command line tells it; the record stays as it
// was but for the size of a bitmap of another depth.
TEST(TemplateImage, LoadsOrSaysWhyNotAndLeavesTheRecordAlone) {
    test::TempDir dir;
    test::WriteBmp(dir / "rgb.bmp", Numbered(5, 2));
    test::WriteBmp(dir / "palette.bmp", Numbered(3, 2), {.bitsPerPixel = 8});
    std::vector<uint8_t> truncated = EncodeBmp(Numbered(2, 2));
    truncated.pop_back();
    test::WriteFile(dir / "truncated.bmp", truncated);
    // A valid 32-bit header whose pixel data, left sparse, runs just past 1 GiB.
    std::vector<uint8_t> huge = EncodeBmp({1, 1, {0}}, {.bitsPerPixel = 32});
    huge.resize(huge.size() - 4);
    PutLe32(huge, field::kWidth, 16384);
    PutLe32(huge, field::kHeight, 16385);
    test::WriteFile(dir / "huge.bmp", huge);
    std::filesystem::resize_file(dir / "huge.bmp", huge.size() + uintmax_t{16384} * 16385 * 4);

    const struct {
        const char* name;
        std::string whyNot;
        int32_t width, height;
    } cases[] = {
        {"rgb.bmp", "", 5, 2}, {"palette.bmp", "8 bits per pixel; 24 or 32 are read", 3, 2},
        {"truncated.bmp", "not a bitmap", 99, 98}, {"missing.bmp", "no such file", 99, 98},
        {"huge.bmp", "larger than any bitmap read here (1 GiB)", 99, 98},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemplateImage image{7, 1, 12, 99, 98, {0xDEAD}};
        std::string whyNot;
        EXPECT_EQ(LoadTemplateImage(image, dir / c.name, &whyNot), c.whyNot.empty());
        EXPECT_EQ(whyNot, c.whyNot);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.pixels, c.whyNot.empty() ? WithoutTopByte(Numbered(5, 2).pixels) : std::vector<uint32_t>{0xDEAD});
        EXPECT_EQ(std::tie(image.maxMatches, image.scanByColumns, image.tolerance), std::tuple(7, 1, 12));
    }
}

}  // namespace
}  // namespace glimtap
