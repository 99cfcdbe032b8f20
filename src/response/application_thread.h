#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <memory>
#include <utility>

namespace glimtap {

// Queues `work` for the thread of the QCoreApplication, whose event loop the alerts' Qt
// objects need; the caller, which may have no event loop of its own, never waits. False when
// there is no application to run it.
template <typename Work>
bool PostToApplication(Work work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return false;
    // Qt's queue already makes everything written before the post visible to the work, but
    // through locks that ThreadSanitizer cannot see into; this release and acquire state the
    // same order where it can see it.
    auto handed_over = std::make_shared<std::atomic<bool>>(false);
    auto run = [handed_over, work = std::move(work)]() mutable {
        handed_over->load(std::memory_order_acquire);
        work();
    };
    handed_over->store(true, std::memory_order_release);
    QMetaObject::invokeMethod(application, std::move(run), Qt::QueuedConnection);
    return true;
}

}  // namespace glimtap
