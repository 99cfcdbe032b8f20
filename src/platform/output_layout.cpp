#include "platform/output_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/shown_picture.h"

namespace glimtap::platform {
namespace {

int64_t FloorDiv(int64_t n, int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
int64_t CeilDiv(int64_t n, int64_t d) { return -FloorDiv(-n, d); }

// pixels / scale rounded down (wlroots) or to nearest gives `units` for every scale between
// pixels / (units + 1) and pixels / (units - 1/2).
bool Fits(int64_t p, int64_t q, int64_t pixels, int64_t units) {
    return p * (units + 1) > pixels * q && p * (2 * units - 1) < 2 * pixels * q;
}

}  // namespace

double OutputScale(Size pixels, Size units) {
    if (units.width <= 0 || units.height <= 0) return 1;
    for (int64_t q = 1; q <= 1000; ++q) {
        const int64_t p = std::min(CeilDiv(pixels.width * q, units.width),
                                   CeilDiv(pixels.height * q, units.height));
        for (const int64_t candidate : {p - 1, p}) {
            if (candidate > 0 && Fits(candidate, q, pixels.width, units.width) &&
                Fits(candidate, q, pixels.height, units.height)) {
                return static_cast<double>(candidate) / static_cast<double>(q);
            }
        }
    }
    return static_cast<double>(pixels.width) / units.width;
}

std::vector<ScreenRect> PlaceOutputs(const std::vector<OutputGeometry>& outputs) {
    // The largest ratio, not the largest scale: the layout size is rounded down, so only
    // this keeps an output's last pixel short of its neighbour's first.
    double factor = 1;
    for (const OutputGeometry& o : outputs) {
        const Size pixels = ShownSize(o.buffer, o.transform);
        if (o.units.width <= 0 || o.units.height <= 0) continue;
        factor = std::max({factor, static_cast<double>(pixels.width) / o.units.width,
                           static_cast<double>(pixels.height) / o.units.height});
    }
    std::vector<ScreenRect> placed;
    for (const OutputGeometry& o : outputs) {
        const Size pixels = ShownSize(o.buffer, o.transform);
        placed.push_back({static_cast<int32_t>(std::lround(o.units.left * factor)),
                          static_cast<int32_t>(std::lround(o.units.top * factor)), pixels.width,
                          pixels.height});
    }
    return placed;
}

CaptureRegion RegionToCapture(const OutputGeometry& output, const ScreenRect& placed,
                              const ScreenRect& part) {
    const Size pixels{placed.width, placed.height};
    const double scale = OutputScale(pixels, {output.units.width, output.units.height});
    const auto k = static_cast<int64_t>(scale);
    // Compositors differ in where a region of a turned output lies in its buffer.
    if (output.transform != 0 || k != scale || output.units.width * k != pixels.width ||
        output.units.height * k != pixels.height) {
        return {true, {}, placed};
    }
    const int64_t left = FloorDiv(part.left - placed.left, k);
    const int64_t top = FloorDiv(part.top - placed.top, k);
    const int64_t right = CeilDiv(int64_t{part.left} - placed.left + part.width, k);
    const int64_t bottom = CeilDiv(int64_t{part.top} - placed.top + part.height, k);
    const ScreenRect units{static_cast<int32_t>(left), static_cast<int32_t>(top),
                           static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
    return {
        false,
        units,
        {static_cast<int32_t>(placed.left + left * k), static_cast<int32_t>(placed.top + top * k),
         static_cast<int32_t>(units.width * k), static_cast<int32_t>(units.height * k)}};
}

}  // namespace glimtap::platform
