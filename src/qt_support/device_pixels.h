#pragma once

#include <QPointF>
#include <QRect>

#include "platform/geometry.h"

namespace glimtap {

// Qt lays windows out in device-independent pixels; captures, matches and the profile
// count physical ones. `ratio` is the screen's device pixel ratio (1 unless Qt scales).
QRect LogicalRect(const platform::ScreenRect& physical, qreal ratio);
platform::Point PhysicalPoint(const QPointF& logical, qreal ratio);

}  // namespace glimtap
