#pragma once

#include "platform/desktop.h"

namespace glimtap {

// Qt ends the program with status 1 the moment it has warned that its connection to the
// display broke. While this lives, a Qt warning given when the backend's own connection has
// been closed too ends the program at once with status 2 and the message glimtap-cli gives
// for a lost screen. Qt's other messages go on to the handler installed before. One at a time.
class DisplayLossExit {
public:
    explicit DisplayLossExit(const platform::Desktop& desktop);
    ~DisplayLossExit();
    DisplayLossExit(const DisplayLossExit&) = delete;
    DisplayLossExit& operator=(const DisplayLossExit&) = delete;
};

}  // namespace glimtap
