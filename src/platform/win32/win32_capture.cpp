#include "platform/win32/win32_capture.h"

#include "platform/area_clip.h"
#include "platform/win32/win32_desktop.h"

namespace glimtap::platform {
namespace {

// The part of `area` on the virtual screen, which may start left of or above (0, 0).
ScreenRect OnVirtualScreen(const ScreenRect& area) {
    const ScreenRect screen = Win32Desktop().VirtualScreen();
    ScreenRect part = VisiblePart({area.left - screen.left, area.top - screen.top, area.width,
                                   area.height},
                                  {screen.width, screen.height});
    part.left += screen.left;
    part.top += screen.top;
    return part;
}

// A top-down 32-bit DIB holds each pixel as blue, green, red, unused: the picture's own
// layout, rows packed, so the section is handed out as it is.
ScreenImage PictureOfSection(const uint32_t* bits, const ScreenRect& part) {
    return {bits, part.width, part.height, part.left, part.top};
}

}  // namespace

Win32ScreenCapture::Win32ScreenCapture()
    : screen_(GetDC(nullptr)), memory_(CreateCompatibleDC(screen_)) {}

Win32ScreenCapture::~Win32ScreenCapture() {
    FreeSection();
    if (memory_ != nullptr) DeleteDC(memory_);
    if (screen_ != nullptr) ReleaseDC(nullptr, screen_);
}

std::optional<ScreenImage> Win32ScreenCapture::Capture(const ScreenRect& area) {
    if (area.width <= 0 || area.height <= 0) return std::nullopt;
    if (screen_ == nullptr || memory_ == nullptr) return std::nullopt;
    const ScreenRect part = OnVirtualScreen(area);
    if (part.width <= 0 || part.height <= 0) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    if (!Reserve(part)) return std::nullopt;
    if (!BitBlt(memory_, 0, 0, part.width, part.height, screen_, part.left, part.top,
                SRCCOPY | CAPTUREBLT)) {
        return std::nullopt;
    }
    GdiFlush();  // the section's memory is read directly
    return PictureOfSection(bits_, part);
}

bool Win32ScreenCapture::Reserve(const ScreenRect& part) {
    // Rows are packed only while the section is exactly as wide as the part.
    if (section_ != nullptr && sectionWidth_ == part.width && sectionHeight_ >= part.height) {
        return true;
    }
    FreeSection();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = part.width;
    info.bmiHeader.biHeight = -part.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    section_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section_ == nullptr) return false;
    previous_ = SelectObject(memory_, section_);
    bits_ = static_cast<const uint32_t*>(bits);
    sectionWidth_ = part.width;
    sectionHeight_ = part.height;
    return true;
}

void Win32ScreenCapture::FreeSection() {
    if (section_ == nullptr) return;
    SelectObject(memory_, previous_);
    DeleteObject(section_);
    section_ = nullptr;
    bits_ = nullptr;
    sectionWidth_ = 0;
    sectionHeight_ = 0;
}

}  // namespace glimtap::platform
