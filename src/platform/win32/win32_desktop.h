#pragma once

#include "platform/desktop.h"

namespace glimtap::platform {

// The virtual screen as Windows reports it: every monitor, its origin at the primary
// monitor's top-left corner, so monitors left of or above it have negative coordinates.
class Win32Desktop : public Desktop {
public:
    Size VirtualScreenSize() const override;
    ScreenRect VirtualScreen() const override;
};

}  // namespace glimtap::platform
