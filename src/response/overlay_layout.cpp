#include "response/overlay_layout.h"

#include <algorithm>

namespace glimtap {
namespace {

using platform::ScreenRect;

// n * dpi / 96, rounded half away from zero.
int32_t Scale(int32_t n, int32_t dpi) {
    const int64_t product = int64_t{n} * dpi;
    return static_cast<int32_t>(product >= 0 ? (product + 48) / 96 : (product - 48) / 96);
}

int32_t Right(const ScreenRect& r) { return r.left + r.width; }
int32_t Bottom(const ScreenRect& r) { return r.top + r.height; }

ScreenRect FromEdges(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

ScreenRect Grow(const ScreenRect& r, int32_t by) {
    return FromEdges(r.left - by, r.top - by, Right(r) + by, Bottom(r) + by);
}

// The part of `r` on `screen`; empty at the nearest edge when none is. Worked out wide: a
// stored search area may reach any int32.
ScreenRect Clip(const ScreenRect& r, const ScreenRect& screen) {
    const auto edge = [](int64_t at, int32_t from, int32_t to) {
        return static_cast<int32_t>(std::clamp<int64_t>(at, from, to));
    };
    const int32_t left = edge(r.left, screen.left, Right(screen));
    const int32_t top = edge(r.top, screen.top, Bottom(screen));
    return FromEdges(left, top, edge(int64_t{r.left} + r.width, left, Right(screen)),
                     edge(int64_t{r.top} + r.height, top, Bottom(screen)));
}

}  // namespace

MarkerMetrics MarkerMetricsForDpi(int32_t dpi) {
    if (dpi == 0) dpi = 96;
    return {Scale(4, dpi), Scale(8, dpi), Scale(32, dpi), Scale(12, dpi), Scale(8, dpi)};
}

MarkerPlan PlanMarker(const ScreenRect& marked, const ScreenRect& screen,
                      const MarkerMetrics& metrics, bool band, MarkerKind kind) {
    const bool area = kind == MarkerKind::kArea;
    const ScreenRect target = area ? Clip(marked, screen) : marked;
    MarkerPlan plan;
    plan.frame = Grow(target, metrics.outline);
    if (area) plan.frame = Clip(plan.frame, screen);
    plan.hole = Grow(plan.frame, -metrics.outline);
    plan.band = band ? Grow(plan.frame, metrics.band) : plan.frame;

    const int32_t side = metrics.box;
    const int32_t centred = target.left + (target.width - side) / 2;
    const int32_t left = std::max(screen.left, std::min(centred, Right(screen) - side));
    int32_t top = plan.frame.top - side;
    if (top < screen.top) top = Bottom(plan.frame);
    if (top + side > Bottom(screen)) top = plan.hole.top;
    plan.countdown = {left, top, side, side};

    plan.bounds = FromEdges(std::min(plan.band.left, left), std::min(plan.band.top, top),
                            std::max(Right(plan.band), left + side),
                            std::max(Bottom(plan.band), top + side));
    return plan;
}

int32_t FitCountdownFontHeight(platform::Size client, const MarkerMetrics& metrics,
                               const MeasureCountdown& measure) {
    constexpr int32_t kSmallest = 10;
    int32_t best = kSmallest;
    const int32_t available = client.height - metrics.outline;
    for (int32_t height = 12; height <= available; height += 4) {
        const std::optional<platform::Size> extent = measure(height);
        if (!extent) continue;
        if (extent->width >= client.width - metrics.marginX ||
            extent->height >= client.height - metrics.marginY) {
            break;
        }
        best = height;
    }
    return best;
}

}  // namespace glimtap
