#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/desktop.h"
#include "platform/geometry.h"
#include "response/marker_surface.h"

namespace glimtap {

// A marker as a window of its own, for X11: laid exactly over a rectangle of the screen,
// translucent where a compositor can show it; without one, only the inner half of the
// frame and the number are shaped into the window, so the match stays visible. It never
// takes the keyboard focus but does take clicks where it lies; Escape closes it.
class CScreenOverlay : public QWidget, public MarkerSurface {
public:
    // `rect` in physical screen pixels; `closed` runs on Escape.
    CScreenOverlay(const platform::ScreenRect& rect, bool translucent, MarkerKind kind,
                   std::function<void()> closed);

    void Show(int64_t seconds) override;
    // The number on show.
    int64_t SecondsLeft() const { return secondsLeft_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    MarkerLayout Measure() const;
    // Without translucency: the window keeps only the inner half of the frame and the number.
    void Reshape();

    const bool translucent_;
    const MarkerKind kind_;
    const std::function<void()> closed_;
    int64_t secondsLeft_ = 0;
};

// Markers as CScreenOverlay windows; translucent when `desktop` runs a compositor.
class ScreenOverlays : public MarkerSurfaces {
public:
    // `desktop` must outlive this.
    explicit ScreenOverlays(const platform::Desktop& desktop) : desktop_(desktop) {}
    std::unique_ptr<MarkerSurface> Open(const platform::ScreenRect& rect, MarkerKind kind,
                                        std::function<void()> closed) override;

private:
    const platform::Desktop& desktop_;
};

}  // namespace glimtap
