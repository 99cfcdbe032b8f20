#include "engine/screenshot_bmp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <tuple>

#include "engine/template_image.h"
#include "platform/image_screen.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

using namespace std::chrono;
using platform::ScreenRect;

size_t FileCount(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(ScreenshotFileName, CarriesUtcTimeWithSevenFractionDigitsAndBootMilliseconds) {
    const sys_days day = year{1999} / 12 / 31;
    const auto time = hours{23} + minutes{59} + seconds{59} + SnipClockReading::Ticks{9999999};
    EXPECT_EQ(ScreenshotFileName({day + time, 18446744073709551615u}),
              "Screenshot_19991231_235959.9999999_18446744073709551615.bmp");
    EXPECT_EQ(ScreenshotFileName({sys_days{year{2024} / 2 / 29} + SnipClockReading::Ticks{1}, 7}),
              "Screenshot_20240229_000000.0000001_7.bmp");
}

// The snip's pixels are checked on a real screen; here the clipping and every way it can fail.
TEST(CaptureScreenToBmp, ClipsToTheScreenOrWritesNothingAtAll) {
    TempDir base;
    std::vector<uint32_t> screen(64 * 48, 0x00123456);
    platform::ImageScreen capture(screen, 64, 48);
    for (int snip = 0; snip < 3; ++snip) {  // a name of its own each time
        const auto path = CaptureScreenToBmp(capture, {50, 40, 99999, 99999}, base.path());
        TemplateImage loaded;
        ASSERT_TRUE(path && LoadTemplateImage(loaded, *path));
        EXPECT_EQ(path->parent_path(), base.path());
        EXPECT_EQ(std::tie(loaded.width, loaded.height), std::tuple(14, 8));
    }
    EXPECT_EQ(FileCount(base.path()), 3u) << "no temporary file left";

    const std::filesystem::path folder = base / "templates";
    std::filesystem::create_directory(folder);
    WriteFile(base / "plain", {1, 2, 3});
    std::vector<uint32_t> none;
    platform::ImageScreen empty(none, 0, 0);
    LosingCapture lost(0);
    const ScreenRect area{0, 0, 8, 8};
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, base / "vanished"));
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, ""));
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, base / "plain"));
    EXPECT_FALSE(CaptureScreenToBmp(capture, {0, 0, 0, 8}, folder));
    EXPECT_FALSE(CaptureScreenToBmp(capture, {64, 0, 8, 8}, folder));
    EXPECT_FALSE(CaptureScreenToBmp(empty, area, folder));
    EXPECT_FALSE(CaptureScreenToBmp(lost, area, folder));
#ifndef _WIN32  // Windows has no folder that only its owner's rights keep shut
    if (::geteuid() != 0) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(CaptureScreenToBmp(capture, area, folder));
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
#endif
    EXPECT_EQ(FileCount(folder), 0u);
    EXPECT_FALSE(std::filesystem::exists(base / "vanished"));
}

}  // namespace
}  // namespace glimtap::test
