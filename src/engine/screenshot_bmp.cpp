#include "engine/screenshot_bmp.h"

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <system_error>

#include "engine/atomic_file.h"
#include "engine/boot_clock.h"
#include "engine/bmp_layout.h"
#include "engine/little_endian.h"

namespace glimtap {
namespace {

using bmp_layout::kHeadersSize;
using bmp_layout::kInfoHeaderSize;

uint64_t PixelBytes(int32_t width, int32_t height) {
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
}

}  // namespace

SnipClockReading ReadSnipClock() {
    SnipClockReading reading;
    reading.utc = std::chrono::floor<SnipClockReading::Ticks>(std::chrono::system_clock::now());
    reading.msSinceBoot = MillisecondsSinceBoot();
    return reading;
}

std::string ScreenshotFileName(const SnipClockReading& clock) {
    using namespace std::chrono;
    const sys_days day = floor<days>(clock.utc);
    const year_month_day date{day};
    const hh_mm_ss time{clock.utc - day};
    char name[128];
    std::snprintf(
        name, sizeof name, "Screenshot_%04d%02u%02u_%02d%02d%02d.%07" PRId64 "_%" PRIu64 ".bmp",
        static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
        static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
        static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
        static_cast<int64_t>(time.subseconds().count()), clock.msSinceBoot);
    return name;
}

std::vector<uint8_t> EncodeScreenshotBmp(const platform::ScreenImage& image) {
    const auto pixelBytes = static_cast<uint32_t>(PixelBytes(image.width, image.height));
    std::vector<uint8_t> file;
    file.reserve(kHeadersSize + pixelBytes);
    // File header.
    AppendLe16(file, 0x4D42);
    AppendLe32(file, static_cast<uint32_t>(kHeadersSize + pixelBytes));
    AppendLe16(file, 0);
    AppendLe16(file, 0);
    AppendLe32(file, static_cast<uint32_t>(kHeadersSize));
    // Info header: positive height, so the rows go bottom row first.
    AppendLe32(file, static_cast<uint32_t>(kInfoHeaderSize));
    AppendLe32(file, static_cast<uint32_t>(image.width));
    AppendLe32(file, static_cast<uint32_t>(image.height));
    AppendLe16(file, 1);
    AppendLe16(file, 32);
    AppendLe32(file, 0);
    AppendLe32(file, pixelBytes);
    AppendLe32(file, 0);
    AppendLe32(file, 0);
    AppendLe32(file, 0);
    AppendLe32(file, 0);
    const auto width = static_cast<size_t>(image.width);
    for (int32_t row = image.height - 1; row >= 0; --row) {
        const uint32_t* pixel = image.pixels + static_cast<size_t>(row) * width;
        for (size_t x = 0; x < width; ++x) AppendLe32(file, pixel[x]);
    }
    return file;
}

std::optional<std::filesystem::path> CaptureScreenToBmp(platform::ScreenCapture& capture,
                                                        const platform::ScreenRect& area,
                                                        const std::filesystem::path& folder) {
    if (area.width < 1 || area.height < 1 || folder.empty()) return std::nullopt;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
    const std::filesystem::path path = folder / ScreenshotFileName(ReadSnipClock());
    std::optional<platform::ScreenImage> image;
    try {
        image = capture.Capture(area);
    } catch (const platform::ScreenLost&) {
        return std::nullopt;
    }
    if (!image || image->width == 0) return std::nullopt;
    // The header's size fields are 32 bits wide.
    if (kHeadersSize + PixelBytes(image->width, image->height) > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    try {
        WriteFileAtomically(path, EncodeScreenshotBmp(*image));
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    return path;
}

}  // namespace glimtap
