#pragma once

#include <QObject>
#include <QString>

#include "platform/global_hot_key.h"

namespace glimtap {

// The program's global hot key: one of F6 to F12, or the key the desktop binds, reported as
// signals on the GUI thread. Without a hot key (null) it holds no key and never signals.
class HotKeyWatcher : public QObject {
    Q_OBJECT

public:
    // `hotKey` must outlive this object.
    explicit HotKeyWatcher(platform::GlobalHotKey* hotKey, QObject* parent = nullptr);
    ~HotKeyWatcher() override;

    // Lets go of the key held so far and takes the first free one; returns its name ("F6"
    // to "F12"), or "" when every one is taken. Where the desktop decides, the key it has
    // bound so far.
    QString Grab();
    // Whether the backend offers a hot key at all.
    bool Available() const { return hotKey_ != nullptr; }
    // Whether the desktop, not this program, decides the key.
    bool DesktopDecides() const { return hotKey_ != nullptr && hotKey_->DesktopDecides(); }
    // Whether the desktop decides the key and has not said which yet.
    bool Pending() const { return pending_; }

Q_SIGNALS:
    // Once per press of the key held.
    void pressed();
    // When the desktop that decides the key has bound `key` ("" for none).
    void bound(const QString& key);

private:
    platform::GlobalHotKey* hotKey_;
    bool pending_;
};

}  // namespace glimtap
