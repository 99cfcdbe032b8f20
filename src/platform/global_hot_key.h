#pragma once

#include <string>

namespace glimtap::platform {

// One key of F6 to F12, pressed anywhere on the desktop, delivered to this program alone.
class GlobalHotKey {
public:
    // Lets go of the key; other programs can take it once the destructor has returned.
    virtual ~GlobalHotKey() = default;
    // Lets go of the key held so far, then takes the first of F6 to F12 that no other
    // program holds, with or without Caps Lock and Num Lock on. Returns its name ("F6" to
    // "F12"), or "" when every one is taken.
    virtual std::string GrabFirstFree() = 0;
    // Becomes readable when events may be waiting for Dispatch. Events already read
    // while grabbing do not make it readable: dispatch once after each grab.
    virtual int EventFd() const = 0;
    // Handles every event that has arrived; returns how many presses of the held key were
    // among them. Releases and the presses of auto-repeat do not count.
    virtual int Dispatch() = 0;
};

}  // namespace glimtap::platform
