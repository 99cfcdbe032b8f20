#pragma once

#include <functional>
#include <string>

namespace glimtap::platform {

// One key of F6 to F12, pressed anywhere on the desktop, delivered to this program alone;
// or, where the desktop decides the key, the key it bound. Every method is called from one
// thread (the user interface's); nothing is thrown.
class GlobalHotKey {
public:
    using Pressed = std::function<void()>;
    // The key in the desktop's words ("F6", "Ctrl+F6"), or "" when it bound none.
    using Bound = std::function<void(const std::string& key)>;

    // Lets go of the key; other programs can take it once the destructor has returned.
    virtual ~GlobalHotKey() = default;
    // Lets go of the key held so far, then takes the first of F6 to F12 that no other
    // program holds, with or without Caps Lock and Num Lock on. Returns its name ("F6" to
    // "F12"), or "" when every one is taken.
    virtual std::string GrabFirstFree() = 0;
    // `pressed` runs once per press of the held key (releases and auto-repeat do not
    // count), on a thread of the backend: it must hand the work to its own thread and not
    // wait for it. Replaces the handler before; once this returns, the old one is not
    // running and never runs again. An empty handler ends the calls.
    virtual void OnPressed(Pressed pressed) = 0;

    // Whether the desktop, not this program, decides the key (it may ask its user first).
    // Then GrabFirstFree asks the desktop once, keeps the key it binds and returns the one
    // bound so far ("" before the desktop has answered), and OnBound tells the answer.
    virtual bool DesktopDecides() const { return false; }
    // Where DesktopDecides(): `bound` is told the desktop's answer, then each change of the
    // key; it runs as `pressed` does, under the same rules. Elsewhere never called.
    virtual void OnBound(Bound bound) { (void)bound; }
};

}  // namespace glimtap::platform
