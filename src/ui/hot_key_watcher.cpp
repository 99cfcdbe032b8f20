#include "ui/hot_key_watcher.h"

#include <QTimer>

#include "platform/backends.h"

namespace glimtap {

HotKeyWatcher::HotKeyWatcher(QObject* parent) : QObject(parent) {
    try {
        hotKey_ = platform::OpenGlobalHotKey();
    } catch (const platform::Unavailable&) {
        return;  // no display: no key, no signals
    }
    notifier_ = std::make_unique<QSocketNotifier>(hotKey_->EventFd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &HotKeyWatcher::DispatchEvents);
}

HotKeyWatcher::~HotKeyWatcher() = default;

QString HotKeyWatcher::Grab() {
    if (hotKey_ == nullptr) return {};
    const QString name = QString::fromStdString(hotKey_->GrabFirstFree());
    // Grabbing waits for the server's answers and may read events with them, which then
    // leave the descriptor quiet. They are handled from the event loop, not inside Grab.
    QTimer::singleShot(0, this, &HotKeyWatcher::DispatchEvents);
    return name;
}

void HotKeyWatcher::DispatchEvents() {
    for (int presses = hotKey_->Dispatch(); presses > 0; --presses) Q_EMIT pressed();
}

}  // namespace glimtap
