#include "engine/template_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/bmp_writer.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

using test::BmpPicture;
using test::TempDir;
using test::WriteBmp;
using test::WriteFile;

// A record as the worker might hand it over, with every field recognisable.
TemplateImage Prepared() {
    TemplateImage image;
    image.maxMatches = 7;
    image.scanByColumns = 1;
    image.tolerance = 12;
    image.width = 99;
    image.height = 98;
    image.pixels = {0xDEAD, 0xBEEF};
    return image;
}

void ExpectSame(const TemplateImage& actual, const TemplateImage& expected) {
    EXPECT_EQ(actual.maxMatches, expected.maxMatches);
    EXPECT_EQ(actual.scanByColumns, expected.scanByColumns);
    EXPECT_EQ(actual.tolerance, expected.tolerance);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_EQ(actual.pixels, expected.pixels);
}

TEST(TemplateImage, LoadsPixelsAndLeavesTheMatchSettingsAlone) {
    TempDir dir;
    const BmpPicture picture{5, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F,
                                    0x101112, 0x131415, 0x161718, 0x191A1B, 0x1C1D1E}};
    WriteBmp(dir / "rgb.bmp", picture);
    WriteBmp(dir / "bgra.bmp", picture, {.bitsPerPixel = 32, .topDown = true, .headerSize = 124});

    for (const char* name : {"rgb.bmp", "bgra.bmp"}) {
        SCOPED_TRACE(name);
        TemplateImage image = Prepared();
        ASSERT_TRUE(LoadTemplateImage(image, dir / name));
        TemplateImage expected = Prepared();
        expected.width = 5;
        expected.height = 2;
        expected.pixels = picture.pixels;
        ExpectSame(image, expected);
    }
}

TEST(TemplateImage, OtherDepthsReportTheirSizeButLoadNoPixels) {
    TempDir dir;
    WriteBmp(dir / "palette.bmp", {3, 2, std::vector<uint32_t>(6, 0x40)}, {.bitsPerPixel = 8});
    TemplateImage image = Prepared();
    EXPECT_FALSE(LoadTemplateImage(image, dir / "palette.bmp"));
    TemplateImage expected = Prepared();
    expected.width = 3;
    expected.height = 2;
    ExpectSame(image, expected);
}

TEST(TemplateImage, FailedLoadsLeaveTheRecordUnchanged) {
    TempDir dir;
    std::vector<uint8_t> truncated = test::EncodeBmp({2, 2, {1, 2, 3, 4}});
    truncated.pop_back();
    WriteFile(dir / "truncated.bmp", truncated);
    WriteFile(dir / "text.bmp", {'h', 'e', 'l', 'l', 'o'});
    WriteFile(dir / "empty.bmp", {});
    std::filesystem::create_directory(dir / "folder.bmp");

    for (const char* name : {"truncated.bmp", "text.bmp", "empty.bmp", "missing.bmp",
                             "folder.bmp"}) {
        SCOPED_TRACE(name);
        TemplateImage image = Prepared();
        EXPECT_FALSE(LoadTemplateImage(image, dir / name));
        ExpectSame(image, Prepared());
    }
}

TEST(TemplateImage, RefusesFilesTooLargeForATemplateWithoutReadingThem) {
    TempDir dir;
    // A valid 32-bit header whose pixel data, left sparse, runs just past 1 GiB.
    std::vector<uint8_t> header = test::EncodeBmp({1, 1, {0}}, {.bitsPerPixel = 32});
    header.resize(header.size() - 4);
    test::PutLe32(header, test::bmp_field::kWidth, 16384);
    test::PutLe32(header, test::bmp_field::kHeight, 16385);
    const std::filesystem::path path = dir / "huge.bmp";
    WriteFile(path, header);
    std::filesystem::resize_file(path, header.size() + uintmax_t{16384} * 16385 * 4);

    TemplateImage image = Prepared();
    EXPECT_FALSE(LoadTemplateImage(image, path));
    ExpectSame(image, Prepared());
}

}  // namespace
}  // namespace glimtap
