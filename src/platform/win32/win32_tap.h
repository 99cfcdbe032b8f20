#pragma once

#include <memory>

#include "platform/touch_injector.h"
#include "platform/win32/touch_injection_calls.h"

namespace glimtap::platform {

// A real touch through `calls` when they are there and take one contact; otherwise the
// cursor goes to the point and the left button is pressed and released there, which is
// what a tap means to a program without touch input.
std::unique_ptr<TouchInjector> MakeWin32Tap(const TouchInjectionCalls& calls);

// One finger through InjectTouchInput, touch injection already initialised.
class InjectedTouch : public TouchInjector {
public:
    explicit InjectedTouch(const TouchInjectionCalls& calls) : calls_(calls) {}

    bool Prepare() override { return true; }
    bool Down(Point at) override;
    bool Up(Point at) override;

private:
    bool Inject(Point at, POINTER_FLAGS flags);

    TouchInjectionCalls calls_;
};

// The left mouse button through SendInput at the cursor put on the point.
class SendInputClick : public TouchInjector {
public:
    bool Prepare() override { return true; }
    // False for a point off the virtual screen: the cursor would stop at its edge.
    bool Down(Point at) override;
    bool Up(Point at) override;
};

}  // namespace glimtap::platform
