#pragma once

#include "platform/geometry.h"

namespace glimtap::platform {

// Facts about the desktop as a whole. Any thread may ask; nothing is thrown.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Extent of the whole virtual screen (all monitors); 0 x 0 when no display is reachable.
    virtual Size VirtualScreenSize() const = 0;
    // Whether a compositing manager runs, so that translucent windows look translucent.
    // False when it cannot be told.
    virtual bool CompositorRunning() const { return false; }
};

}  // namespace glimtap::platform
