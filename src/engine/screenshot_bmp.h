#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ratio>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/screen_capture.h"

namespace glimtap {

// The clocks a snip's file name is made of: UTC time in 100-nanosecond steps and the
// milliseconds since the system started.
struct SnipClockReading {
    using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>;
    std::chrono::sys_time<Ticks> utc;
    uint64_t msSinceBoot = 0;
};

SnipClockReading ReadSnipClock();

// "Screenshot_YYYYmmdd_HHMMSS.fffffff_<ms since boot>.bmp".
std::string ScreenshotFileName(const SnipClockReading& clock);

// A 32-bit bitmap file of the image: 54 header bytes, then the rows bottom row first,
// each pixel blue, green, red and the fourth byte as captured.
std::vector<uint8_t> EncodeScreenshotBmp(const platform::ScreenImage& image);

// Captures `area` (virtual-screen coordinates; only its part on the screen) into a new
// bitmap in `folder`. The path of the new file, or nullopt when the area is empty or off
// the screen, the folder is missing or unreadable,
// the capture fails or the file cannot be written; a failure leaves no file behind.
std::optional<std::filesystem::path> CaptureScreenToBmp(platform::ScreenCapture& capture,
                                                        const platform::ScreenRect& area,
                                                        const std::filesystem::path& folder);

}  // namespace glimtap
