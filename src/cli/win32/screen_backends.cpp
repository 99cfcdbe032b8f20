#include "cli/screen_backends.h"

#include "platform/backends.h"

namespace glimtap::cli {

// Windows never asks its user.
ScreenBackends OpenScreenBackends(bool) { return {nullptr, platform::OpenBackends()}; }

}  // namespace glimtap::cli
