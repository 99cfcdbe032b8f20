#include "engine/screenshot_bmp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <variant>
#include <vector>

#include "engine/bmp_decoder.h"
#include "engine/template_image.h"
#include "platform/image_screen.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

using namespace std::chrono;
using platform::ImageScreen;
using platform::ScreenImage;
using platform::ScreenRect;
using Ticks = SnipClockReading::Ticks;

SnipClockReading At(sys_days day, Ticks sinceMidnight, uint64_t msSinceBoot) {
    return {day + sinceMidnight, msSinceBoot};
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

uint16_t Le16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.push_back(entry.path());
    }
    return files;
}

TEST(ScreenshotFileNameTest, CarriesUtcTimeWithSevenFractionDigitsAndBootMilliseconds) {
    const sys_days december5{year{2026} / 12 / 5};
    const Ticks time = hours{1} + minutes{2} + seconds{3} + Ticks{4567891};
    EXPECT_EQ(ScreenshotFileName(At(december5, time, 98765432)),
              "Screenshot_20261205_010203.4567891_98765432.bmp");

    // A whole second still has its seven fraction digits; no count is padded.
    EXPECT_EQ(ScreenshotFileName(At(december5, hours{1} + minutes{2} + seconds{3}, 0)),
              "Screenshot_20261205_010203.0000000_0.bmp");
    EXPECT_EQ(ScreenshotFileName(At(sys_days{year{1999} / 12 / 31},
                                    hours{23} + minutes{59} + seconds{59} + Ticks{9999999},
                                    18446744073709551615u)),
              "Screenshot_19991231_235959.9999999_18446744073709551615.bmp");
    EXPECT_EQ(ScreenshotFileName(At(sys_days{year{2024} / 2 / 29}, Ticks{1}, 7)),
              "Screenshot_20240229_000000.0000001_7.bmp");
}

TEST(ScreenshotFileNameTest, ClockReadingsInOneSecondGiveDifferentNames) {
    const SnipClockReading first = ReadSnipClock();
    SnipClockReading second = ReadSnipClock();
    while (second.utc == first.utc) second = ReadSnipClock();
    EXPECT_NE(ScreenshotFileName(first), ScreenshotFileName(second));
    // The boot clock is the system's uptime, not a count kept by the program.
    EXPECT_GT(first.msSinceBoot, 0u);
    EXPECT_LE(first.msSinceBoot, second.msSinceBoot);
    EXPECT_LT(std::chrono::abs(first.utc - system_clock::now()), minutes{1});
}

TEST(ScreenshotBmpTest, WritesHeadersAndRowsBottomRowFirst) {
    // Three by two, every byte recognisable; the fourth byte of a pixel is kept as captured.
    const std::vector<uint32_t> pixels = {0x11223344, 0x55667788, 0x99AABBCC,
                                          0x00010203, 0xFF040506, 0x80070809};
    const std::vector<uint8_t> file = EncodeScreenshotBmp(ScreenImage{pixels.data(), 3, 2});

    ASSERT_EQ(file.size(), 54u + 3 * 2 * 4);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), 78u);
    EXPECT_EQ(Le32(file, 6), 0u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 18), 3u);
    EXPECT_EQ(Le32(file, 22), 2u);
    EXPECT_EQ(Le16(file, 26), 1u);
    EXPECT_EQ(Le16(file, 28), 32u);
    EXPECT_EQ(Le32(file, 30), 0u);
    EXPECT_EQ(Le32(file, 34), 24u);
    for (size_t offset = 38; offset < 54; offset += 4) EXPECT_EQ(Le32(file, offset), 0u);

    const std::vector<uint8_t> rows(file.begin() + 54, file.end());
    const std::vector<uint8_t> expected = {
        0x03, 0x02, 0x01, 0x00, 0x06, 0x05, 0x04, 0xFF, 0x09, 0x08, 0x07, 0x80,  // bottom row
        0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0xCC, 0xBB, 0xAA, 0x99,  // top row
    };
    EXPECT_EQ(rows, expected);
}

TEST(CaptureScreenToBmpTest, WritesANewBitmapTheTemplateLoaderReads) {
    TempDir folder;
    std::vector<uint32_t> screen(64 * 48);
    for (size_t i = 0; i < screen.size(); ++i) {
        screen[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    ImageScreen capture(screen, 64, 48);

    const std::optional<std::filesystem::path> written =
        CaptureScreenToBmp(capture, ScreenRect{10, 5, 40, 30}, folder.path());
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->parent_path(), folder.path());
    EXPECT_EQ(FilesIn(folder.path()), std::vector{*written}) << "no temporary file stays behind";
    EXPECT_EQ(std::filesystem::file_size(*written), 4854u);

    TemplateImage loaded;
    ASSERT_TRUE(LoadTemplateImage(loaded, *written));
    ASSERT_EQ(loaded.width, 40);
    ASSERT_EQ(loaded.height, 30);
    for (int32_t y = 0; y < 30; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            ASSERT_EQ(loaded.pixels[static_cast<size_t>(y * 40 + x)] & 0xFFFFFF,
                      screen[static_cast<size_t>((y + 5) * 64 + x + 10)])
                << "at " << x << "," << y;
        }
    }

    // Straight after, a second snip gets a name of its own.
    const std::optional<std::filesystem::path> again =
        CaptureScreenToBmp(capture, ScreenRect{0, 0, 1, 1}, folder.path());
    ASSERT_TRUE(again.has_value());
    EXPECT_NE(*again, *written);
    EXPECT_EQ(FilesIn(folder.path()).size(), 2u);
}

TEST(CaptureScreenToBmpTest, LeavesNoFileWhenItCannotWrite) {
    TempDir base;
    std::vector<uint32_t> screen(16 * 16, 0x123456);
    ImageScreen capture(screen, 16, 16);
    const ScreenRect area{0, 0, 8, 8};

    // A folder that vanished, an empty folder name, a file in place of the folder.
    const std::filesystem::path vanished = base / "vanished";
    std::filesystem::create_directory(vanished);
    std::filesystem::remove(vanished);
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, vanished).has_value());
    EXPECT_FALSE(std::filesystem::exists(vanished));
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, "").has_value());
    WriteFile(base / "plain", {1, 2, 3});
    EXPECT_FALSE(CaptureScreenToBmp(capture, area, base / "plain").has_value());

    // Empty areas are not captured.
    const std::filesystem::path folder = base / "templates";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(CaptureScreenToBmp(capture, ScreenRect{0, 0, 0, 8}, folder).has_value());
    EXPECT_FALSE(CaptureScreenToBmp(capture, ScreenRect{0, 0, 8, -1}, folder).has_value());
    EXPECT_TRUE(FilesIn(folder).empty());

    // A folder that may not be written to.
    if (::geteuid() != 0) {
        std::filesystem::permissions(
            folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(CaptureScreenToBmp(capture, area, folder).has_value());
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        EXPECT_TRUE(FilesIn(folder).empty());
    }
}

// A capture backend that cannot deliver, or whose screen is gone for good.
class FailingCapture : public platform::ScreenCapture {
public:
    explicit FailingCapture(bool lost) : lost_(lost) {}
    std::optional<ScreenImage> Capture(const ScreenRect&) override {
        if (lost_) throw platform::ScreenLost("lost the test screen");
        return std::nullopt;
    }

private:
    bool lost_;
};

TEST(CaptureScreenToBmpTest, WritesNothingWhenTheCaptureFails) {
    TempDir folder;
    for (const bool lost : {false, true}) {
        FailingCapture capture(lost);
        EXPECT_FALSE(CaptureScreenToBmp(capture, ScreenRect{0, 0, 4, 4}, folder.path()).has_value());
        EXPECT_TRUE(FilesIn(folder.path()).empty());
    }
}

}  // namespace
}  // namespace glimtap::test
