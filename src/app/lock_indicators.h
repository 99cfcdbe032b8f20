#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

#include "platform/keyboard_locks.h"

class QLabel;
class QStatusBar;

namespace glimtap {

// The CAP, NUM and SCRL panes of the status bar: each shows its name while its lock is on.
class LockIndicators : public QObject {
    Q_OBJECT

public:
    // Adds the panes to `bar`, which owns them and this object. Without a display they stay blank.
    explicit LockIndicators(QStatusBar& bar);
    ~LockIndicators() override;

    void Refresh();

private:
    std::unique_ptr<platform::KeyboardLocks> locks_;
    QLabel* caps_;
    QLabel* num_;
    QLabel* scroll_;
    QTimer poll_;
};

}  // namespace glimtap
