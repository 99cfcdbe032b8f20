#pragma once

#include <QObject>
#include <QString>

#include "platform/global_hot_key.h"

namespace glimtap {

// The program's global hot key: one of F6 to F12, reported as a signal on the GUI thread.
// Without a hot key (null) it holds no key and never signals.
class HotKeyWatcher : public QObject {
    Q_OBJECT

public:
    // `hotKey` must outlive this object.
    explicit HotKeyWatcher(platform::GlobalHotKey* hotKey, QObject* parent = nullptr);
    ~HotKeyWatcher() override;

    // Lets go of the key held so far and takes the first free one; returns its name ("F6"
    // to "F12"), or "" when every one is taken.
    QString Grab();
    // Whether the backend offers a hot key at all.
    bool Available() const { return hotKey_ != nullptr; }

Q_SIGNALS:
    // Once per press of the key held.
    void pressed();

private:
    platform::GlobalHotKey* hotKey_;
};

}  // namespace glimtap
