#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/screen_capture.h"

namespace glimtap::platform {

// BitBlt of the virtual screen (with CAPTUREBLT, so layered windows are in the picture)
// into one top-down 32-bit DIB section, made again only when an area needs more room.
class Win32ScreenCapture : public ScreenCapture {
public:
    Win32ScreenCapture();
    ~Win32ScreenCapture() override;
    Win32ScreenCapture(const Win32ScreenCapture&) = delete;
    Win32ScreenCapture& operator=(const Win32ScreenCapture&) = delete;

    std::optional<ScreenImage> Capture(const ScreenRect& area) override;

private:
    // Whether the DIB section holds at least `part`'s pixels.
    bool Reserve(const ScreenRect& part);
    void FreeSection();

    HDC screen_;  // the whole virtual screen
    HDC memory_;  // holds the section while it lives
    HBITMAP section_ = nullptr;
    HGDIOBJ previous_ = nullptr;  // what memory_ held before the section
    const uint32_t* bits_ = nullptr;
    int32_t sectionWidth_ = 0;
    int32_t sectionHeight_ = 0;
    std::vector<uint32_t> converted_;  // stays empty: the section is the picture
};

}  // namespace glimtap::platform
