#pragma once

#include <QBrush>
#include <QImage>

#include "platform/geometry.h"
#include "ui/screen_still.h"

class QPainter;

namespace glimtap {

// What the area selector shows: the still picture of the screen dimmed, undimmed inside
// the dragged rectangle, with a dotted band just round it. Every selector surface paints
// from this, a window over the whole screen or one surface per output alike.
class ScreenVeil {
public:
    // `still` must outlive this.
    explicit ScreenVeil(const ScreenStill& still);

    // Paints the veil with `hole` (client coordinates of the still) one painter unit per
    // physical pixel, the still's top-left pixel at the painter's origin; `blank` stands in
    // for a picture that could not be taken.
    void Paint(QPainter& painter, const platform::ScreenRect& hole, const QBrush& blank) const;

private:
    const ScreenStill& still_;
    QImage veiled_;
};

}  // namespace glimtap
