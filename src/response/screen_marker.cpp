#include "response/screen_marker.h"

#include <QCoreApplication>
#include <QTimerEvent>


namespace glimtap {

ScreenMarker::ScreenMarker(int seconds) : secondsLeft_(seconds) {}

ScreenMarker* ScreenMarker::Open(MarkerSurfaces& surfaces, const platform::ScreenRect& rect,
                                 MarkerKind kind, int seconds) {
    auto marker = std::unique_ptr<ScreenMarker>(new ScreenMarker(seconds));
    ScreenMarker* self = marker.get();
    marker->surface_ = surfaces.Open(rect, kind, [self] { self->End(); });
    if (marker->surface_ == nullptr) return nullptr;
    // Nobody holds on to a marker: one still counting when the application quits goes then.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, self, &ScreenMarker::End);
    self->tickTimer_.start(1000, Qt::PreciseTimer, self);
    self->surface_->Show(self->secondsLeft_);
    return marker.release();
}

void ScreenMarker::Restart(int seconds) {
    if (!Counting()) return;
    tickTimer_.start(1000, Qt::PreciseTimer, this);
    // A match found on every pass restarts its marker hundreds of times a second.
    if (secondsLeft_ == seconds) return;
    secondsLeft_ = seconds;
    surface_->Show(secondsLeft_);
}

void ScreenMarker::timerEvent(QTimerEvent* event) {
    if (event->timerId() != tickTimer_.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    // One timer for the countdown and the end, so the last tick never shows 0.
    if (--secondsLeft_ <= 0) {
        End();
        return;
    }
    surface_->Show(secondsLeft_);
}

void ScreenMarker::End() {
    tickTimer_.stop();
    // Later: the surface may be the one calling.
    deleteLater();
}

}  // namespace glimtap
