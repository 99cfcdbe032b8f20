#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/desktop.h"
#include "platform/global_hot_key.h"
#include "platform/keyboard_locks.h"
#include "platform/launcher.h"
#include "platform/pointer.h"
#include "platform/screen_capture.h"
#include "platform/touch_injector.h"

namespace glimtap::platform {

// The kind of surface that shows the program's markers and area selector above every window.
enum class OverlaySurfaces {
    kNone,          // none: there is no desktop
    kX11Windows,    // override-redirect windows of Qt's xcb platform
    kLayerShell,    // layer-shell surfaces, where the Wayland compositor offers them
    kWin32Windows,  // layered Win32 windows of a thread of their own, for markers only
};

// Whether the desktop lets this program see the screen and drive its input. Desktops that
// ask their user first (through the desktop portals) move through these while the program
// runs; the others never ask.
enum class Consent {
    kNotNeeded,  // this desktop never asks
    kNotAsked,   // AskConsent has the desktop ask its user
    kAsking,     // the desktop is asking its user now
    kGiven,
    kRefused,    // Missing() says how
    kRevoked,    // given, then taken back by the user or the desktop; Missing() says how
};

// The desktop services of one platform, opened once at start and handed to the window or
// the command line; every service it hands out lives as long as the set. What the
// platform lacks is null, and Missing() says why. Used from the thread that opened it,
// except OpenCapture, which any thread may call, and the pointer and touch injector it hands
// out, which one thread at a time may drive. Nothing is thrown.
class BackendSet {
public:
    virtual ~BackendSet() = default;
    BackendSet(const BackendSet&) = delete;
    BackendSet& operator=(const BackendSet&) = delete;

    // The platform serving, for people to read: "x11", "wayland", "portal", "win32" or
    // "null". Callers ask the set what it offers, never its name.
    const std::string& Name() const { return name_; }
    // How markers and the area selector are shown here.
    virtual OverlaySurfaces Overlays() const = 0;
    // The Qt platform plugin whose windows live on this desktop, beside its capture and input.
    virtual const char* QtPlatform() const = 0;
    // Why the screen or the input services cannot be had now; "" when they all can.
    // Any thread.
    virtual std::string Missing() const { return missing_; }
    // For --version: the name, what the desktop offers where that varies, and why its
    // services cannot be had when they cannot.
    virtual std::string Summary() const;

    // Where the desktop's consent stands now. Any thread.
    virtual Consent ScreenConsent() const { return Consent::kNotNeeded; }
    // Whether the program is to move the pointer or tap: where the desktop asks its user,
    // the next AskConsent asks for that too, else for the screen alone (the desktop may ask
    // for input at every start of the program, but for the screen only once). Before
    // AskConsent; the set's services are made either way.
    virtual void WantInput(bool wanted) { (void)wanted; }
    // Has the desktop ask its user, unless consent is given or being asked now; returns at
    // once. The answer changes ScreenConsent(), Missing() and what the services can do, and
    // is told through OnChanged. Asked when the user first needs the screen (a search, a
    // snip), never at program start.
    virtual void AskConsent() {}
    // `changed` runs on a thread of the set whenever ScreenConsent() or Missing() changes:
    // it must hand the work to its own thread and not wait for it. Replaces the handler
    // before; once this returns, the old one is not running and never runs again. An
    // empty handler ends the calls.
    virtual void OnChanged(std::function<void()> changed) { (void)changed; }

    // Never null: 0 x 0 without a screen.
    const Desktop& Geometry() const { return *desktop_; }
    Launcher& AppLauncher() { return *launcher_; }
    // Whether there is a screen to capture, once consent is given where the desktop asks;
    // Missing() says why not.
    virtual bool CanCapture() const = 0;
    // A capture for the calling thread alone; null when !CanCapture(). Where consent is
    // asked, its captures throw ScreenLost once consent is refused or revoked.
    virtual std::unique_ptr<ScreenCapture> OpenCapture() = 0;
    // Null when the pointer cannot be driven.
    Pointer* MousePointer() { return pointer_.get(); }
    // Made at the first call (a touch device takes the desktop a moment to take up);
    // null when no tap can be made.
    TouchInjector* Touch();
    // Made at the first call; null when no key can be grabbed here.
    GlobalHotKey* HotKey();
    // Null when the lock lights cannot be read.
    KeyboardLocks* Locks() { return locks_.get(); }

protected:
    BackendSet(std::string name, std::string missing)
        : name_(std::move(name)), missing_(std::move(missing)) {}
    virtual std::unique_ptr<TouchInjector> MakeTouch() { return nullptr; }
    virtual std::unique_ptr<GlobalHotKey> MakeHotKey() { return nullptr; }
    // Before what the services use (a display connection, say) goes.
    void CloseServices();

    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<Launcher> launcher_;
    std::unique_ptr<Pointer> pointer_;
    std::unique_ptr<KeyboardLocks> locks_;

private:
    std::string name_;
    std::string missing_;
    std::unique_ptr<TouchInjector> touch_;
    std::unique_ptr<GlobalHotKey> hotKey_;
    bool touchTried_ = false;
    bool hotKeyTried_ = false;
};

}  // namespace glimtap::platform
