#pragma once

#include <cstdint>
#include <optional>

#include "platform/geometry.h"

namespace glimtap::platform {

// The desktop's mouse pointer, in virtual-screen pixels. Each call returns once the desktop
// has carried it out, so that what follows on other connections comes after it. Called from
// one thread at a time; nothing is thrown.
class Pointer {
public:
    virtual ~Pointer() = default;
    // Puts the pointer at (x, y) at once, as if the user had moved it there.
    // False when the move was refused.
    virtual bool MoveTo(int32_t x, int32_t y) = 0;
    // Where the pointer is now; nullopt when that cannot be learnt.
    virtual std::optional<Point> Position() = 0;
    // Moves the pointer by dx as a mouse would, so that the desktop sees real motion
    // (hover effects, a cursor hidden by a touch reappearing).
    virtual void NudgeHorizontally(int32_t dx) = 0;
};

}  // namespace glimtap::platform
