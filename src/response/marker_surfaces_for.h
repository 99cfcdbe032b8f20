#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "response/marker_surface.h"

namespace glimtap {

// The kind of marker surface that `backends`' desktop can show; it must outlive the result.
std::unique_ptr<MarkerSurfaces> MarkerSurfacesFor(platform::BackendSet& backends);

}  // namespace glimtap
