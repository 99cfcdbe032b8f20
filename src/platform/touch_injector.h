#pragma once

#include "platform/geometry.h"

namespace glimtap::platform {

// Puts one synthetic finger on the screen, in virtual-screen pixels. A tap is Prepare, Down,
// a pause, Up; each returns once the desktop has it. Called from one
// thread at a time; nothing is thrown.
class TouchInjector {
public:
    virtual ~TouchInjector() = default;
    // Checked before every tap; false when no touch can be injected now.
    virtual bool Prepare() = 0;
    // False when the contact was refused, for example at a point off the screen.
    virtual bool Down(Point at) = 0;
    virtual bool Up(Point at) = 0;
};

}  // namespace glimtap::platform
