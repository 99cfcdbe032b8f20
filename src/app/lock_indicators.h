#pragma once

#include <QObject>
#include <QTimer>

#include "platform/keyboard_locks.h"

class QLabel;
class QStatusBar;

namespace glimtap {

// The CAP, NUM and SCRL panes of the status bar: each shows its name while its lock is on.
class LockIndicators : public QObject {
    Q_OBJECT

public:
    // Adds the panes to `bar`, which owns them and this object. Without `locks` (null) they
    // stay blank; `locks` must outlive this object.
    LockIndicators(QStatusBar& bar, platform::KeyboardLocks* locks);
    ~LockIndicators() override;

    void Refresh();

private:
    platform::KeyboardLocks* locks_;
    QLabel* caps_;
    QLabel* num_;
    QLabel* scroll_;
    QTimer poll_;
};

}  // namespace glimtap
