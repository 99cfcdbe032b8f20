#include "response/wayland/output_placement.h"

#include <algorithm>
#include <cmath>

namespace glimtap {
namespace {

// The pixel where unit `unit` starts (round half away from zero, as wlroots).
int64_t PixelOf(int64_t unit, double scale) { return std::llround(unit * scale); }

// The last unit starting at or before pixel `pixel`.
int64_t UnitAt(int64_t pixel, double scale) {
    auto unit = static_cast<int64_t>(std::floor(pixel / scale));
    while (PixelOf(unit + 1, scale) <= pixel) ++unit;
    while (PixelOf(unit, scale) > pixel) --unit;
    return unit;
}

// The first unit starting at or after pixel `pixel`.
int64_t UnitFrom(int64_t pixel, double scale) {
    const int64_t unit = UnitAt(pixel, scale);
    return PixelOf(unit, scale) == pixel ? unit : unit + 1;
}

// The part of `rect` on `area`, relative to the area's top-left corner.
QRect LocalPart(const platform::ScreenRect& rect, const platform::ScreenRect& area) {
    const QRect on = QRect(rect.left, rect.top, rect.width, rect.height) &
                     QRect(area.left, area.top, area.width, area.height);
    return on.translated(-area.left, -area.top);
}

}  // namespace

QSize PixelsOfUnits(QSize units, double scale) {
    return {static_cast<int>(PixelOf(units.width(), scale)),
            static_cast<int>(PixelOf(units.height(), scale))};
}

std::optional<SurfacePlacement> PlaceOnOutputs(const platform::ScreenRect& rect,
                                               const std::vector<OutputArea>& outputs) {
    std::optional<size_t> best;
    int64_t bestArea = 0;
    for (size_t i = 0; i < outputs.size(); ++i) {
        const QRect part = LocalPart(rect, outputs[i].physical);
        const int64_t area = int64_t{part.width()} * part.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    if (!best) return std::nullopt;
    const QRect part = LocalPart(rect, outputs[*best].physical);
    // Surfaces sit on whole units: the buffer starts at the unit holding the first pixel
    // and the rectangle is drawn that far into it.
    const double scale = std::max(1.0, outputs[*best].scale);
    const int64_t left = UnitAt(part.left(), scale);
    const int64_t top = UnitAt(part.top(), scale);
    const int64_t right = UnitFrom(int64_t{part.left()} + part.width(), scale);
    const int64_t bottom = UnitFrom(int64_t{part.top()} + part.height(), scale);
    const int64_t x = PixelOf(left, scale), y = PixelOf(top, scale);
    return SurfacePlacement{*best,
                            static_cast<int32_t>(left),
                            static_cast<int32_t>(top),
                            static_cast<int32_t>(right - left),
                            static_cast<int32_t>(bottom - top),
                            QSize(static_cast<int>(PixelOf(right, scale) - x),
                                  static_cast<int>(PixelOf(bottom, scale) - y)),
                            QRect(static_cast<int>(part.left() - x),
                                  static_cast<int>(part.top() - y), part.width(), part.height())};
}

}  // namespace glimtap
