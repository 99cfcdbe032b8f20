#include "ui/hot_key_watcher.h"

namespace glimtap {

HotKeyWatcher::HotKeyWatcher(platform::GlobalHotKey* hotKey, QObject* parent)
    : QObject(parent), hotKey_(hotKey) {
    if (hotKey_ == nullptr) return;
    // Called on the backend's thread: the signal is sent from this object's.
    hotKey_->OnPressed([this] {
        QMetaObject::invokeMethod(this, [this] { Q_EMIT pressed(); }, Qt::QueuedConnection);
    });
}

HotKeyWatcher::~HotKeyWatcher() {
    if (hotKey_ != nullptr) hotKey_->OnPressed({});
}

QString HotKeyWatcher::Grab() {
    if (hotKey_ == nullptr) return {};
    return QString::fromStdString(hotKey_->GrabFirstFree());
}

}  // namespace glimtap
