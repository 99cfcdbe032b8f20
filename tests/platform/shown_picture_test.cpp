#include "platform/shown_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "platform/output_layout.h"
#include "support/geometry_printing.h"

namespace glimtap::platform {
namespace {

// 0xEEDDCC and 0x123456 as each format stores them, spare and alpha bits set (ignored).
const std::tuple<const char*, std::vector<uint8_t>, std::vector<uint8_t>> kFormats[] = {
    {"XR24", {0xCC, 0xDD, 0xEE, 0x7F}, {0x56, 0x34, 0x12, 0xFF}},
    {"AR24", {0xCC, 0xDD, 0xEE, 0x00}, {0x56, 0x34, 0x12, 0x80}},
    {"XB24", {0xEE, 0xDD, 0xCC, 0x7F}, {0x12, 0x34, 0x56, 0xFF}},
    {"AB24", {0xEE, 0xDD, 0xCC, 0x00}, {0x12, 0x34, 0x56, 0x80}},
    // Red, green, blue of 10 bits: 3BB 377 333 and 048 0D1 15A, under 2 spare or alpha bits.
    {"XR30", {0x33, 0xDF, 0xBD, 0xFB}, {0x5A, 0x45, 0x83, 0xC4}},
    {"AR30", {0x33, 0xDF, 0xBD, 0x3B}, {0x5A, 0x45, 0x83, 0x44}},
    {"XB30", {0xBB, 0xDF, 0x3D, 0xF3}, {0x48, 0x44, 0xA3, 0xD5}},
    {"AB30", {0xBB, 0xDF, 0x3D, 0x33}, {0x48, 0x44, 0xA3, 0x55}},
    {"RG24", {0xCC, 0xDD, 0xEE}, {0x56, 0x34, 0x12}},
    {"BG24", {0xEE, 0xDD, 0xCC}, {0x12, 0x34, 0x56}},
};

// Where blocks 1-6 of a buffer (3 x 2, row by row) show under each transform, row by row.
const char* const kTurned[] = {"123456", "415263", "654321", "362514",
                               "321654", "142536", "456123", "635241"};

// A 12 x 6 pixel output (blocks of 4 x 3) at layout position 5, 2: its layout size at each
// scale, and where its pixels go on the desktop.
const std::tuple<double, Size, Point> kScales[] = {
    {1, {12, 6}, {5, 2}}, {2, {6, 3}, {10, 4}}, {1.5, {8, 4}, {8, 3}}};

// Every format, transform, row order and scale: the marked block shows exactly where the
// user sees it, also in an area one pixel in from the output's corner, cut from a buffer of
// the whole output (whole units at scale 2, the whole output asked for at 1.5 or turned).
TEST(ShownPictureTest, EveryFormatTransformRowOrderAndScaleShowsWhatTheUserSees) {
    for (const auto& [fourcc, markColour, restColour] : kFormats) {
        uint32_t code;
        std::memcpy(&code, fourcc, 4);
        const PixelFormat* format = FindPixelFormat(code);
        ASSERT_NE(format, nullptr) << fourcc;
        const int32_t bytes = format->bytesPerPixel, stride = 12 * bytes + 5;
        for (int32_t transform = 0; transform < 8; ++transform) {
            const bool turned = transform % 2 == 1;
            for (const auto& [scale, layoutSize, origin] : kScales) {
                const Size units = turned ? Size{layoutSize.height, layoutSize.width} : layoutSize;
                const OutputGeometry output{{5, 2, units.width, units.height}, {12, 6}, transform};
                const ScreenRect placed = PlaceOutputs({output})[0];
                ASSERT_EQ(placed,
                          (ScreenRect{origin.x, origin.y, turned ? 6 : 12, turned ? 12 : 6}));
                const int32_t in = scale == 1 ? 0 : 1;
                const ScreenRect area{origin.x + in, origin.y + in, placed.width - in,
                                      placed.height - in};
                const CaptureRegion region = RegionToCapture(output, placed, area);
                EXPECT_EQ(region.whole, scale == 1.5 || transform != 0);
                ASSERT_EQ(region.shown, placed);
                for (int mark = 1; mark <= 12; ++mark) {
                    const bool yInvert = mark > 6;  // rows bottom first
                    SCOPED_TRACE(testing::Message() << fourcc << " transform " << transform
                                                    << " scale " << scale << " block " << mark);
                    std::vector<uint8_t> memory(size_t(stride) * 6);
                    for (int32_t i = 0; i < 72; ++i) {
                        const int32_t x = i % 12, y = i / 12;
                        const auto& colour =
                            y / 3 * 3 + x / 4 + 1 == (mark - 1) % 6 + 1 ? markColour : restColour;
                        std::memcpy(&memory[size_t((yInvert ? 5 - y : y) * stride + x * bytes)],
                                    colour.data(), size_t(bytes));
                    }
                    std::vector<uint32_t> storage;
                    const ScreenImage image =
                        ShownPicture({{{memory.data(), format, 12, 6, stride, yInvert, transform},
                                       region.shown}},
                                     area, storage);
                    ASSERT_EQ((ScreenRect{image.left, image.top, image.width, image.height}), area);
                    int wrong = 0;
                    for (int32_t i = 0; i < area.width * area.height; ++i) {
                        const int32_t x = in + i % area.width, y = in + i / area.width;
                        const int block =
                            kTurned[transform][turned ? y / 4 * 2 + x / 3 : y / 3 * 3 + x / 4] -
                            '0';
                        wrong += (image.pixels[i] & 0xFFFFFF) !=
                                 (block == (mark - 1) % 6 + 1 ? 0xEEDDCCu : 0x123456u);
                    }
                    EXPECT_EQ(wrong, 0);
                }
            }
        }
    }
    EXPECT_EQ(FindPixelFormat(0x36314752), nullptr);
    EXPECT_EQ(PixelFormatName(0x36314752), "format 'RG16'");
}

}  // namespace
}  // namespace glimtap::platform
