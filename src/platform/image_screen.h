#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/screen_capture.h"

namespace glimtap::platform {

// A picture standing in for the screen (the bitmap of glimtap-cli find --image): pixel
// (0,0) of the image is screen (0,0).
class ImageScreen : public ScreenCapture {
public:
    // `pixels` holds width * height values, top row first; throws std::invalid_argument
    // when it does not.
    ImageScreen(std::vector<uint32_t> pixels, int32_t width, int32_t height);

    std::optional<ScreenImage> Capture(const ScreenRect& area) override;

private:
    std::vector<uint32_t> image_;
    Size size_;
    std::vector<uint32_t> partPixels_;  // the part of the image last asked for
};

}  // namespace glimtap::platform
