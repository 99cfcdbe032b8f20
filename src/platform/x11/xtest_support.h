#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace glimtap::platform {

// Throws Unavailable unless the server offers the XTest extension.
void RequireXTest(xcb_connection_t* connection);

// X coordinates travel as 16-bit values; the server clamps to the screen anyway.
int16_t ToXCoordinate(int32_t value);

}  // namespace glimtap::platform
