#include "qt_support/application_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <deque>
#include <mutex>
#include <utility>

namespace glimtap {
namespace {

// The work waiting for the application's thread, process-wide like Qt's own event queue.
// The work travels here rather than inside Qt's events: Qt hands its events over through
// locks that ThreadSanitizer cannot see into, this mutex it can.
struct PendingWork {
    std::mutex mutex;
    std::deque<std::function<void()>> queue;
};

PendingWork& Pending() {
    static PendingWork pending;
    return pending;
}

void RunPending() {
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(Pending().mutex);
        due.swap(Pending().queue);
    }
    for (std::function<void()>& work : due) work();
}

}  // namespace

bool PostToApplication(std::function<void()> work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return false;
    std::lock_guard lock(Pending().mutex);
    Pending().queue.push_back(std::move(work));
    // Posted under the lock, which the runner takes first, so what Qt builds for the call is
    // ordered before the call runs too. The call holds no data, not even a function pointer:
    // the runner would read it before it takes the lock.
    QMetaObject::invokeMethod(application, [] { RunPending(); }, Qt::QueuedConnection);
    return true;
}

}  // namespace glimtap
