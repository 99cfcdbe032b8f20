#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace glimtap::test {

// The whole screen as the program's capture backend sees it; pixels 0x00RRGGBB.
struct ScreenShot {
    std::vector<uint32_t> pixels;
    platform::Size size;

    uint32_t At(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(size.width) +
                      static_cast<size_t>(x)];
    }
};

// Throws std::runtime_error when the screen cannot be captured.
ScreenShot CaptureWholeScreen();

// Writes the shot to $GLIMTAP_SCREENSHOT_DIR/<name>.png when that variable names a
// folder, so that people can look at what the tests saw; otherwise does nothing.
void KeepScreenShot(const ScreenShot& shot, const std::string& name);

}  // namespace glimtap::test
