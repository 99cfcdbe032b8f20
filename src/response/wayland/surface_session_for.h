#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "response/wayland/surface_session.h"

namespace glimtap {

// A connection for the window's own surfaces when `backends` show them as layer-shell
// surfaces and the compositor offers them; null otherwise.
std::shared_ptr<SurfaceSession> SurfaceSessionFor(const platform::BackendSet& backends);

}  // namespace glimtap
