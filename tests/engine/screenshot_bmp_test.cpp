#include "engine/screenshot_bmp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/template_image.h"
#include "platform/image_screen.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

using namespace std::chrono;
using platform::ScreenRect;
using Ticks = SnipClockReading::Ticks;

size_t FileCount(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(ScreenshotFileName, CarriesUtcTimeWithSevenFractionDigitsAndBootMilliseconds) {
    const struct {
        sys_days day;
        Ticks time;
        uint64_t msSinceBoot;
        const char* name;
    } cases[] = {
        {year{2026} / 12 / 5, hours{1} + minutes{2} + seconds{3} + Ticks{4567891}, 98765432,
         "Screenshot_20261205_010203.4567891_98765432.bmp"},
        {year{1999} / 12 / 31, hours{23} + minutes{59} + seconds{59} + Ticks{9999999}, 18446744073709551615u,
         "Screenshot_19991231_235959.9999999_18446744073709551615.bmp"},
        {year{2024} / 2 / 29, Ticks{1}, 7, "Screenshot_20240229_000000.0000001_7.bmp"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScreenshotFileName({c.day + c.time, c.msSinceBoot}), c.name);
    // Readings in one second give different names; the boot clock is the system's uptime.
    const SnipClockReading first = ReadSnipClock();
    SnipClockReading second = ReadSnipClock();
    while (second.utc == first.utc) second = ReadSnipClock();
    EXPECT_NE(ScreenshotFileName(first), ScreenshotFileName(second));
    EXPECT_GT(first.msSinceBoot, 0u);
    EXPECT_LT(abs(first.utc - system_clock::now()), minutes{1});
}

TEST(EncodeScreenshotBmp, WritesHeadersAndRowsBottomRowFirst) {
    // The fourth byte of a pixel is kept as captured.
    const std::vector<uint32_t> pixels = {0x11223344, 0x55667788, 0x99AABBCC, 0x00010203, 0xFF040506, 0x80070809};
    const std::vector<uint8_t> expected = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                        // file header
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 24, 0, 0, 0,  // info header
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x03, 0x02, 0x01, 0x00, 0x06, 0x05, 0x04, 0xFF, 0x09, 0x08, 0x07, 0x80,  // bottom row
        0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0xCC, 0xBB, 0xAA, 0x99,  // top row
    };
    EXPECT_EQ(EncodeScreenshotBmp({pixels.data(), 3, 2}), expected);
}

TEST(CaptureScreenToBmp, WritesWhatTheTemplateLoaderReadsOrNothingAtAll) {
    TempDir base;
    std::vector<uint32_t> screen(64 * 48);
    for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    platform::ImageScreen capture(screen, 64, 48);
    const struct {
        ScreenRect area;
        ScreenRect written;  // what lies on the screen
    } snips[] = {{{10, 5, 40, 30}, {10, 5, 40, 30}}, {{50, 40, 99999, 99999}, {50, 40, 14, 8}}, {{0, 0, 1, 1}, {0, 0, 1, 1}}};
    for (const auto& [area, written] : snips) {
        const auto path = CaptureScreenToBmp(capture, area, base.path());
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(path->parent_path(), base.path());
        TemplateImage loaded;
        ASSERT_TRUE(LoadTemplateImage(loaded, *path));
        ASSERT_EQ(loaded.width, written.width);
        ASSERT_EQ(loaded.height, written.height);
        for (int32_t y = 0; y < written.height; ++y)
            for (int32_t x = 0; x < written.width; ++x)
                ASSERT_EQ(loaded.pixels[size_t(y * written.width + x)] & 0xFFFFFF,
                          screen[size_t((y + written.top) * 64 + x + written.left)]);
    }
    EXPECT_EQ(FileCount(base.path()), 3u) << "a name of its own each time, no temporary file left";

    // A vanished folder, no folder, a file for a folder, empty or off-screen areas, a folder
    // that may not be written, a failed capture and a lost screen.
    const std::filesystem::path folder = base / "templates";
    std::filesystem::create_directory(folder);
    WriteFile(base / "plain", {1, 2, 3});
    std::vector<uint32_t> none;
    platform::ImageScreen empty(none, 0, 0);
    struct Lost : platform::ScreenCapture {
        std::optional<platform::ScreenImage> Capture(const ScreenRect&) override { throw platform::ScreenLost("gone"); }
    } lost;
    const ScreenRect area{0, 0, 8, 8};
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, base / "vanished"));
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, ""));
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, base / "plain"));
    EXPECT_FALSE(CaptureScreenToBmp(capture, {0, 0, 0, 8}, folder));
    EXPECT_FALSE(CaptureScreenToBmp(capture, {64, 0, 8, 8}, folder));
    EXPECT_FALSE(CaptureScreenToBmp(empty, area, folder));
    EXPECT_FALSE(CaptureScreenToBmp(lost, area, folder));
    if (::geteuid() != 0) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(CaptureScreenToBmp(capture, area, folder));
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
    EXPECT_EQ(FileCount(folder), 0u);
    EXPECT_FALSE(std::filesystem::exists(base / "vanished"));
}

}  // namespace
}  // namespace glimtap::test
