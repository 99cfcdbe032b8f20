#include "ui/consent_watcher.h"

namespace glimtap {

ConsentWatcher::ConsentWatcher(platform::BackendSet& backends, QObject* parent)
    : QObject(parent), backends_(backends) {
    // Called on the set's thread: the signal is sent from this object's.
    backends_.OnChanged([this] {
        QMetaObject::invokeMethod(this, [this] { Q_EMIT changed(); }, Qt::QueuedConnection);
    });
}

ConsentWatcher::~ConsentWatcher() { backends_.OnChanged({}); }

}  // namespace glimtap
