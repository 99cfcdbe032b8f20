#include "ui/hot_key_watcher.h"

namespace glimtap {

HotKeyWatcher::HotKeyWatcher(platform::GlobalHotKey* hotKey, QObject* parent)
    : QObject(parent), hotKey_(hotKey), pending_(DesktopDecides()) {
    if (hotKey_ == nullptr) return;
    // Called on the backend's thread: the signals are sent from this object's.
    hotKey_->OnPressed([this] {
        QMetaObject::invokeMethod(this, [this] { Q_EMIT pressed(); }, Qt::QueuedConnection);
    });
    hotKey_->OnBound([this](const std::string& key) {
        QMetaObject::invokeMethod(
            this,
            [this, key = QString::fromStdString(key)] {
                pending_ = false;
                Q_EMIT bound(key);
            },
            Qt::QueuedConnection);
    });
}

HotKeyWatcher::~HotKeyWatcher() {
    if (hotKey_ == nullptr) return;
    hotKey_->OnPressed({});
    hotKey_->OnBound({});
}

QString HotKeyWatcher::Grab() {
    if (hotKey_ == nullptr) return {};
    return QString::fromStdString(hotKey_->GrabFirstFree());
}

}  // namespace glimtap
