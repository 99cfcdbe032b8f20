#include "platform/win32/win32_capture.h"

#include "platform/area_clip.h"
#include "platform/pixel_formats.h"
#include "platform/shown_picture.h"
#include "platform/win32/win32_desktop.h"

namespace glimtap::platform {

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
    const ScreenRect part = Intersection(area, Win32Desktop().VirtualScreen());
    if (part.width <= 0 || part.height <= 0) return ScreenImage{nullptr, 0, 0, area.left, area.top};
    if (!Reserve(part)) return std::nullopt;
    if (!BitBlt(memory_, 0, 0, part.width, part.height, screen_, part.left, part.top,
                SRCCOPY | CAPTUREBLT)) {
        return std::nullopt;
    }
    GdiFlush();  // the section's memory is read directly
    // A top-down 32-bit DIB holds XRGB words, rows packed: handed out in place.
    const PixelBuffer buffer{reinterpret_cast<const uint8_t*>(bits_),
                             FindPixelFormat(Fourcc("XR24")), part.width, part.height,
                             part.width * 4};
    return ShownPicture({{buffer, part}}, part, converted_);
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
