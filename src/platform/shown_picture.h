#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"
#include "platform/pixel_formats.h"
#include "platform/screen_capture.h"

// The one way from a screen's buffers, as a display or compositor hands them out, to the
// picture the search reads: what the user sees, one value per desktop pixel.
namespace glimtap::platform {

// How an output turns its buffer to show it, numbered as wl_output's transforms: 0-3 turn
// it 0, 90, 180 or 270 degrees counter-clockwise, 4-7 do the same after mirroring it
// left to right.
bool TransformTurns(int32_t transform);
Size ShownSize(Size buffer, int32_t transform);

// One buffer of pixels, as it lies in memory.
struct PixelBuffer {
    const uint8_t* data = nullptr;
    const PixelFormat* format = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;    // bytes from one row to the next
    bool yInvert = false;  // rows bottom first
    int32_t transform = 0;
};

// A buffer and the desktop pixels it shows; its size turned by its transform is
// shown's size.
struct ShownBuffer {
    PixelBuffer buffer;
    ScreenRect shown;
};

// The picture of `image` (desktop pixels): each pixel from the buffer that shows it, 0
// where none does. Handed out in place when one plain XRGB buffer is exactly the picture;
// otherwise written into `storage`. Every buffer's format must be set.
ScreenImage ShownPicture(const std::vector<ShownBuffer>& buffers, const ScreenRect& image,
                         std::vector<uint32_t>& storage);

}  // namespace glimtap::platform
