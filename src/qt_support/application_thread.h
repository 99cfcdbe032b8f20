#pragma once

#include <functional>

namespace glimtap {

// Queues `work` for the thread of the QCoreApplication, whose event loop the alerts' Qt
// objects need; the caller, which may have no event loop of its own, never waits. Work runs
// in the order it was posted. False when there is no application to run it.
bool PostToApplication(std::function<void()> work);

}  // namespace glimtap
