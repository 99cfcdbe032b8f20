#include "platform/x11/x11_backend_set.h"

#include "platform/desktop_launcher.h"
#include "platform/uinput/uinput_touch.h"
#include "platform/unavailable.h"
#include "platform/x11/x11_capture.h"
#include "platform/x11/x11_desktop.h"
#include "platform/x11/x11_global_hot_key.h"
#include "platform/x11/x11_keyboard_locks.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/xtest_support.h"
#include "platform/x11/xtest_tap.h"

namespace glimtap::platform {
namespace {

std::string XTestMissing(const X11Connection& connection) {
    try {
        RequireXTest(connection.Get());
        return "";
    } catch (const Unavailable& e) {
        return e.what();
    }
}

std::string Join(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) return first + second;
    return first + "; " + second;
}

}  // namespace

X11BackendSet::X11BackendSet() : X11BackendSet(std::make_unique<X11Connection>()) {}

X11BackendSet::X11BackendSet(std::unique_ptr<X11Connection> connection)
    : BackendSet("x11", Join(X11ScreenCapture::Unsupported(*connection), XTestMissing(*connection))),
      connection_(std::move(connection)),
      canCapture_(X11ScreenCapture::Unsupported(*connection_).empty()),
      hasXTest_(XTestMissing(*connection_).empty()) {
    desktop_ = std::make_unique<X11Desktop>(*connection_);
    launcher_ = std::make_unique<DesktopLauncher>();
    if (hasXTest_) pointer_ = std::make_unique<X11Pointer>(*connection_);
    locks_ = std::make_unique<X11KeyboardLocks>(*connection_);
}

X11BackendSet::~X11BackendSet() { CloseServices(); }

std::unique_ptr<ScreenCapture> X11BackendSet::OpenCapture() {
    if (!canCapture_) return nullptr;
    return std::make_unique<X11ScreenCapture>(*connection_);
}

std::unique_ptr<TouchInjector> X11BackendSet::MakeTouch() {
    try {
        return std::make_unique<UinputTouch>(connection_->RootSize());
    } catch (const Unavailable&) {
        // No access to /dev/uinput is the usual case for a desktop user.
    }
    if (!hasXTest_) return nullptr;
    return std::make_unique<XTestTap>(*connection_);
}

std::unique_ptr<GlobalHotKey> X11BackendSet::MakeHotKey() {
    return std::make_unique<X11GlobalHotKey>(*connection_);
}

}  // namespace glimtap::platform
