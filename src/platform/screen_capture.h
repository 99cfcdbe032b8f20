#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "platform/geometry.h"

namespace glimtap::platform {

// Pixels of one capture: 32-bit values with red in bits 16-23, green 8-15, blue 0-7
// (bits 24-31 undefined), top row first, row stride == width. Pixel (0, 0) lies at screen
// (left, top).
struct ScreenImage {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
};

// The screen can never be captured again (the connection to the display broke); what()
// says which screen was lost.
class ScreenLost : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies rectangles of the screen. One instance serves one thread (the search opens its
// own on its worker thread); instances of one backend set may run on threads side by side.
class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // The returned pixels stay valid until the next Capture call on this object.
    // Only the part of the area on the screen is captured (area and screen intersected:
    // no pixels, and no memory, for the rest); an area off the screen gives an empty image.
    // nullopt when the area is empty or this capture failed; throws ScreenLost when no
    // capture can succeed any more.
    virtual std::optional<ScreenImage> Capture(const ScreenRect& area) = 0;
};

}  // namespace glimtap::platform
