#include "qt_support/device_pixels.h"

#include <cmath>
#include <cstdint>

namespace glimtap {
namespace {

int Logical(int64_t physical, qreal ratio) {
    return static_cast<int>(std::lround(static_cast<qreal>(physical) / ratio));
}

int32_t Physical(qreal logical, qreal ratio) {
    return static_cast<int32_t>(std::lround(logical * ratio));
}

}  // namespace

QRect LogicalRect(const platform::ScreenRect& physical, qreal ratio) {
    // Edges, not sizes, are rounded, so neighbouring rectangles stay neighbours.
    const int left = Logical(physical.left, ratio);
    const int top = Logical(physical.top, ratio);
    const int right = Logical(int64_t{physical.left} + physical.width, ratio);
    const int bottom = Logical(int64_t{physical.top} + physical.height, ratio);
    return QRect(left, top, right - left, bottom - top);
}

platform::Point PhysicalPoint(const QPointF& logical, qreal ratio) {
    return {Physical(logical.x(), ratio), Physical(logical.y(), ratio)};
}

}  // namespace glimtap
