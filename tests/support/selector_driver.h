#pragma once

#include <functional>

namespace glimtap {
class CDlgScreenAreaSelector;
}

namespace glimtap::test {

// Calls `open`, which runs the area selector modally, and once the selector's veil is on
// the screen calls `act` with it, the way a user would start working on it. A selector
// still open after a generous while is cancelled and the test fails, so that a broken
// selector never hangs the suite.
void WhileSelecting(const std::function<void(CDlgScreenAreaSelector&)>& act,
                    const std::function<void()>& open);

}  // namespace glimtap::test
