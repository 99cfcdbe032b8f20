#pragma once

#include <QObject>

#include "platform/backend_set.h"

namespace glimtap {

// Tells the GUI thread, as a signal, whenever the desktop's consent or what the backend set
// lacks changes; the set tells it on a thread of its own.
class ConsentWatcher : public QObject {
    Q_OBJECT

public:
    // `backends` must outlive this object.
    explicit ConsentWatcher(platform::BackendSet& backends, QObject* parent = nullptr);
    ~ConsentWatcher() override;

Q_SIGNALS:
    void changed();

private:
    platform::BackendSet& backends_;
};

}  // namespace glimtap
