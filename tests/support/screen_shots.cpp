#include "support/screen_shots.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/backends.h"

namespace glimtap::test {

ScreenShot CaptureWholeScreen() {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    const platform::Size size = backends->Geometry().VirtualScreenSize();
    const std::unique_ptr<platform::ScreenCapture> capture = backends->OpenCapture();
    if (!capture) throw std::runtime_error("no screen: " + backends->Missing());
    const std::optional<platform::ScreenImage> image =
        capture->Capture({0, 0, size.width, size.height});
    if (!image) throw std::runtime_error("cannot capture the screen");
    ScreenShot shot{{image->pixels, image->pixels + static_cast<size_t>(size.width) *
                                                        static_cast<size_t>(size.height)},
                    size};
    for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
    return shot;
}

void KeepScreenShot(const ScreenShot& shot, const std::string& name) {
    const char* folder = std::getenv("GLIMTAP_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0') return;
    const QImage image(reinterpret_cast<const uchar*>(shot.pixels.data()), shot.size.width,
                       shot.size.height, shot.size.width * 4, QImage::Format_RGB32);
    const QString path =
        QDir(QString::fromLocal8Bit(folder)).filePath(QString::fromStdString(name) + ".png");
    if (!image.save(path)) throw std::runtime_error("cannot write " + path.toStdString());
}

}  // namespace glimtap::test
