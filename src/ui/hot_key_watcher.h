#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

#include "platform/global_hot_key.h"

namespace glimtap {

// The program's global hot key: one of F6 to F12, reported as a signal on the GUI thread.
// Without a display it holds no key and never signals.
class HotKeyWatcher : public QObject {
    Q_OBJECT

public:
    explicit HotKeyWatcher(QObject* parent = nullptr);
    ~HotKeyWatcher() override;

    // Lets go of the key held so far and takes the first free one; returns its name ("F6"
    // to "F12"), or "" when every one is taken.
    QString Grab();

Q_SIGNALS:
    // Once per press of the key held.
    void pressed();

private:
    void DispatchEvents();

    std::unique_ptr<platform::GlobalHotKey> hotKey_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace glimtap
