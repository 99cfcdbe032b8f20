#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "response/marker_surface.h"

namespace glimtap {

// The marker surfaces that `backends`' desktop shows, which need the Qt application running
// on the set's QtPlatform(); null where it shows none. `backends` must outlive the result.
std::unique_ptr<MarkerSurfaces> MarkerSurfacesFor(platform::BackendSet& backends);

}  // namespace glimtap
