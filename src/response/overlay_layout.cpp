#include "response/overlay_layout.h"

namespace glimtap {
namespace {

// n * dpi / 96, rounded half away from zero.
int32_t Scale(int32_t n, int32_t dpi) {
    const int64_t product = int64_t{n} * dpi;
    return static_cast<int32_t>(product >= 0 ? (product + 48) / 96 : (product - 48) / 96);
}

}  // namespace

MarkerMetrics MarkerMetricsForDpi(int32_t dpi) {
    if (dpi == 0) dpi = 96;
    return {Scale(4, dpi), Scale(12, dpi), Scale(8, dpi)};
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
