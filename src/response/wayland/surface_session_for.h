#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "response/wayland/surface_session.h"

namespace glimtap {

// A connection for the window's own surfaces when `backends` serve a Wayland desktop whose
// compositor offers layer-shell surfaces; null otherwise.
std::shared_ptr<SurfaceSession> SurfaceSessionFor(const platform::BackendSet& backends);

}  // namespace glimtap
