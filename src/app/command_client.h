#pragma once

#include "ui/search_request.h"

namespace glimtap {

// `glimtap --toggle`, `--start` and `--stop`: hands `request` to the running window over the
// command channel (see command_channel.h) and returns once the window has taken it. Needs
// a QCoreApplication, no display. Throws CommandChannelError, saying why, when no window
// runs or it does not take the request.
void SendSearchRequest(SearchRequest request);

}  // namespace glimtap
