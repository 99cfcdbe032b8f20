#pragma once

// The conversions live with the platform code, which needs them too and may not reach up
// into the engine.
#include "platform/utf16.h"
