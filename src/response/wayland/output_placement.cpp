#include "response/wayland/output_placement.h"

#include <algorithm>

namespace glimtap {
namespace {

int64_t FloorDiv(int64_t n, int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
int64_t CeilDiv(int64_t n, int64_t d) { return -FloorDiv(-n, d); }

// The part of `rect` on `area`, relative to the area's top-left corner.
QRect LocalPart(const platform::ScreenRect& rect, const platform::ScreenRect& area) {
    const QRect on = QRect(rect.left, rect.top, rect.width, rect.height) &
                     QRect(area.left, area.top, area.width, area.height);
    return on.translated(-area.left, -area.top);
}

}  // namespace

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
    const int64_t scale = std::max(1, outputs[*best].scale);
    const int64_t left = FloorDiv(part.left(), scale);
    const int64_t top = FloorDiv(part.top(), scale);
    const int64_t right = CeilDiv(int64_t{part.left()} + part.width(), scale);
    const int64_t bottom = CeilDiv(int64_t{part.top()} + part.height(), scale);
    return SurfacePlacement{*best,
                            static_cast<int32_t>(left),
                            static_cast<int32_t>(top),
                            static_cast<int32_t>(right - left),
                            static_cast<int32_t>(bottom - top),
                            QRect(static_cast<int>(part.left() - left * scale),
                                  static_cast<int>(part.top() - top * scale), part.width(),
                                  part.height())};
}

}  // namespace glimtap
