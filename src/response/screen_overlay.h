#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/desktop.h"
#include "platform/geometry.h"
#include "response/marker_surface.h"

namespace glimtap {

// A marker as a window of its own, for X11: shaped (XShape) to what it draws around a
// rectangle of the screen, so the rectangle itself stays visible; with a compositor the
// window is translucent and draws a yellow band around its frame. Its input region is empty:
// it takes neither clicks nor the keyboard focus.
class CScreenOverlay : public QWidget, public MarkerSurface {
public:
    // `rect` and `screen` (the pixels that can show the marker) in physical screen pixels.
    CScreenOverlay(const platform::ScreenRect& rect, const platform::ScreenRect& screen,
                   bool translucent, MarkerKind kind);

    void Show(int64_t seconds) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const MarkerKind kind_;
    int32_t dpi_ = 96;
    MarkerPlan plan_;
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
