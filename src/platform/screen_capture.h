#pragma once

#include <cstdint>
#include <optional>

#include "platform/geometry.h"

namespace glimtap::platform {

// Pixels of one capture: 32-bit values with red in bits 16-23, green 8-15, blue 0-7
// (bits 24-31 undefined), top row first, row stride == width.
struct ScreenImage {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Copies rectangles of the screen. One instance serves one thread.
class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // The returned pixels stay valid until the next Capture call on this object.
    // Parts of the area outside the screen read as zero. nullopt when the capture failed.
    virtual std::optional<ScreenImage> Capture(const ScreenRect& area) = 0;
};

}  // namespace glimtap::platform
