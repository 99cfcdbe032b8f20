#include "platform/portal/cast_streams.h"

#include "platform/area_clip.h"
#include "platform/output_layout.h"

namespace glimtap::platform {
namespace {

Size FramePixels(const CastStream& stream) {
    if (stream.pixels.width > 0 && stream.pixels.height > 0) return stream.pixels;
    return {stream.logical.width, stream.logical.height};
}

}  // namespace

std::vector<ScreenRect> PlaceStreams(const std::vector<CastStream>& streams) {
    std::vector<OutputGeometry> outputs;
    for (const CastStream& stream : streams)
        outputs.push_back({stream.logical, FramePixels(stream), 0});
    return PlaceOutputs(outputs);
}

double UnitsPerPixel(const CastStream& stream) {
    const Size pixels = FramePixels(stream);
    return pixels.width > 0 ? static_cast<double>(stream.logical.width) / pixels.width : 1;
}

std::optional<StreamPoint> PointOnStream(const std::vector<CastStream>& streams, Point at) {
    const std::vector<ScreenRect> placed = PlaceStreams(streams);
    for (size_t i = 0; i < placed.size(); ++i) {
        if (Intersection({at.x, at.y, 1, 1}, placed[i]).width == 0) continue;
        const double units = UnitsPerPixel(streams[i]);
        return StreamPoint{i, (at.x - placed[i].left) * units, (at.y - placed[i].top) * units};
    }
    return std::nullopt;
}

}  // namespace glimtap::platform
