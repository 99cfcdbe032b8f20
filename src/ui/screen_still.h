#pragma once

#include <QImage>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/backend_set.h"
#include "platform/geometry.h"
#include "platform/screen_capture.h"

namespace glimtap {

// The whole virtual screen as it was at one moment, taken through the program's capture
// backend. The area selector shows it and a snip is cut from it, so both look the same
// with or without a compositor and nothing the program shows later ends up in a snip.
class ScreenStill : public platform::ScreenCapture {
public:
    // Takes the picture once the program's own menus and tooltips are off the screen. The
    // screen is empty when there is none; the picture is null when it cannot be captured.
    static ScreenStill Take(platform::BackendSet& backends);

    // `picture` is null or covers `screen` one pixel per physical pixel.
    ScreenStill(const platform::ScreenRect& screen, QImage picture);

    const platform::ScreenRect& screen() const { return screen_; }
    // Format_RGB32, top-left pixel at the screen's origin.
    const QImage& picture() const { return picture_; }

    // Cuts the part of `area` (screen coordinates) that lies on the picture.
    // nullopt when the picture is null.
    std::optional<platform::ScreenImage> Capture(const platform::ScreenRect& area) override;

private:
    platform::ScreenRect screen_;
    QImage picture_;
    std::vector<uint32_t> cut_;
};

}  // namespace glimtap
