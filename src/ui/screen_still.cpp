#include "ui/screen_still.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QToolTip>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/area_clip.h"
#include "platform/backend_set.h"

namespace glimtap {
namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColour = 0x00FFFFFF;

QImage CapturePicture(platform::BackendSet& backends, const platform::ScreenRect& screen) {
    const std::unique_ptr<platform::ScreenCapture> capture = backends.OpenCapture();
    if (capture == nullptr) return {};
    try {
        const std::optional<platform::ScreenImage> image = capture->Capture(screen);
        if (!image || image->width != screen.width || image->height != screen.height) return {};
        QImage picture(screen.width, screen.height, QImage::Format_RGB32);
        for (int32_t y = 0; y < screen.height; ++y) {
            const uint32_t* from =
                image->pixels + static_cast<size_t>(y) * static_cast<size_t>(screen.width);
            auto* to = reinterpret_cast<uint32_t*>(picture.scanLine(y));
            // The capture leaves the top byte undefined; Format_RGB32 wants it full.
            std::transform(from, from + screen.width, to,
                           [](uint32_t pixel) { return pixel | kOpaque; });
        }
        return picture;
    } catch (const platform::ScreenLost&) {
        return {};
    }
}

// The menu that chose the command, which Qt hides before it runs the command, or a tooltip
// may still be on the screen; without a compositor, what they covered shows only once its
// window has repainted it.
void ClearOwnPopups() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
    // Qt lets a tooltip go after a short delay, by a timer of its own.
    QToolTip::hideText();
    const QDeadlineTimer deadline(1000);
    while (QToolTip::isVisible() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // The first round takes them off the server; the second has the windows under them
    // repainted there.
    for (int round = 0; round < 2; ++round) {
        QGuiApplication::sync();
        QApplication::processEvents();
    }
}

}  // namespace

ScreenStill ScreenStill::Take(platform::BackendSet& backends) {
    ClearOwnPopups();
    // On Wayland the virtual screen may start left of or above (0, 0).
    const platform::ScreenRect screen = backends.Geometry().VirtualScreen();
    if (screen.width < 1 || screen.height < 1) return {screen, QImage()};
    return {screen, CapturePicture(backends, screen)};
}

ScreenStill::ScreenStill(const platform::ScreenRect& screen, QImage picture)
    : screen_(screen), picture_(std::move(picture)) {}

std::optional<platform::ScreenImage> ScreenStill::Capture(const platform::ScreenRect& area) {
    if (picture_.isNull() || area.width < 1 || area.height < 1) return std::nullopt;
    // In picture coordinates.
    const platform::ScreenRect part = platform::VisiblePart(
        {area.left - screen_.left, area.top - screen_.top, area.width, area.height},
        {screen_.width, screen_.height});
    if (part.width == 0) return platform::ScreenImage{nullptr, 0, 0, area.left, area.top};
    cut_.resize(static_cast<size_t>(part.width) * static_cast<size_t>(part.height));
    for (int32_t y = 0; y < part.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(picture_.constScanLine(part.top + y));
        uint32_t* to = cut_.data() + static_cast<size_t>(y) * static_cast<size_t>(part.width);
        for (int32_t x = 0; x < part.width; ++x) to[x] = row[part.left + x] & kColour;
    }
    return platform::ScreenImage{cut_.data(), part.width, part.height, part.left + screen_.left,
                                 part.top + screen_.top};
}

}  // namespace glimtap
