#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"

// The monitors of a screen cast on the desktop: the portal tells each stream's place in
// layout units, PipeWire its frames' size in pixels.
namespace glimtap::platform {

struct CastStream {
    uint32_t node = 0;   // PipeWire node id
    ScreenRect logical;  // position and size in layout units
    Size pixels;         // its frames' size; 0 x 0 until known, taken as the layout size
};

// Each stream's pixels on the desktop, placed as the wlroots outputs are (PlaceOutputs).
std::vector<ScreenRect> PlaceStreams(const std::vector<CastStream>& streams);

// A desktop pixel as the portal's input takes it: the stream showing it and the point in
// that stream's own layout units. nullopt when no stream shows it.
struct StreamPoint {
    size_t stream = 0;
    double x = 0;
    double y = 0;
    friend bool operator==(const StreamPoint&, const StreamPoint&) = default;
};
std::optional<StreamPoint> PointOnStream(const std::vector<CastStream>& streams, Point at);

// Layout units per desktop pixel of that stream (1 / its scale).
double UnitsPerPixel(const CastStream& stream);

}  // namespace glimtap::platform
