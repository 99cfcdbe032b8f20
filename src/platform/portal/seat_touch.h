#pragma once

#include <chrono>

namespace glimtap::platform {

// Whether the Wayland compositor's seat ($WAYLAND_DISPLAY) offers touch now, waiting up to
// `patience` for it to; false without a compositor. Windows take a touch only through a
// seat that offers it, so a touch sent while it does not reaches no window.
bool SeatOffersTouch(std::chrono::milliseconds patience);

}  // namespace glimtap::platform
