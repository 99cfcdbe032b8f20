#pragma once

#include <QBasicTimer>
#include <QObject>

#include <cstdint>
#include <memory>

#include "response/marker_surface.h"

namespace glimtap {

// One marker's countdown: shows the seconds left on its surface, once a second, and deletes
// itself (and its surface) when the time is up, when the surface is closed, or when the
// application quits. Application thread only.
class ScreenMarker : public QObject {
public:
    // Puts a marker over `rect` (physical pixels, not empty) for `seconds` (at least 1);
    // null when `surfaces` cannot make a surface for it.
    static ScreenMarker* Open(MarkerSurfaces& surfaces, const platform::ScreenRect& rect,
                              MarkerKind kind, int seconds);

    // Counts down from `seconds` afresh.
    void Restart(int seconds);
    // Whether it still counts: false once it is going.
    bool Counting() const { return tickTimer_.isActive(); }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    explicit ScreenMarker(int seconds);
    void End();

    std::unique_ptr<MarkerSurface> surface_;
    int64_t secondsLeft_;
    QBasicTimer tickTimer_;
};

}  // namespace glimtap
