#pragma once

#include "platform/pointer.h"

namespace glimtap::platform {

// The cursor in physical pixels, so that a scaled (DPI-unaware) process still lands on the
// pixel it found; the nudge is relative mouse motion through SendInput.
class Win32Pointer : public Pointer {
public:
    bool MoveTo(int32_t x, int32_t y) override;
    std::optional<Point> Position() override;
    void NudgeHorizontally(int32_t dx) override;
};

}  // namespace glimtap::platform
