#include "response/wayland/layer_markers.h"

#include <QPainter>

#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "response/wayland/layer_surface.h"
#include "response/wayland/output_placement.h"
#include "response/wayland/shm_image.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace glimtap {
namespace {

// Markers are sized as on a 96 dots-per-inch screen per surface unit.
constexpr int32_t kUnitDpi = 96;

class LayerMarker : public MarkerSurface {
public:
    LayerMarker(std::shared_ptr<SurfaceSession> session, const SessionOutput& output,
                const SurfacePlacement& place, MarkerKind kind, std::function<void()> closed)
        : session_(std::move(session)), scale_(output.area.scale), kind_(kind),
          inBuffer_(place.inBuffer), bufferSize_(place.buffer),
          surface_(session_->Connection().Compositor(), session_->Connection().LayerShell(),
                   LayerPlacement{output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT,
                                  place.marginTop, place.marginLeft,
                                  QSize(place.width, place.height),
                                  ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE, false,
                                  session_->Connection().Viewporter(),
                                  static_cast<int32_t>(output.area.scale)},
                   [this](QSize) { configured_ = true; Paint(); }, std::move(closed)) {
        session_->Flush();
    }

    void Show(int64_t seconds) override {
        seconds_ = seconds;
        Paint();
    }

private:
    void Paint() {
        if (!configured_ || seconds_ < 1) return;
        try {
            ShmImage& image = images_.Free(session_->Connection().Shm(), bufferSize_);
            image.Picture().fill(Qt::transparent);
            QPainter painter(&image.Picture());
            PaintTranslucentMarker(painter, inBuffer_, static_cast<int32_t>(std::lround(kUnitDpi * scale_)),
                                   kind_, seconds_);
            painter.end();
            surface_.Present(image);
            session_->Flush();
        } catch (const std::runtime_error&) {
            // Without memory for the picture the marker keeps showing the last one.
        }
    }

    std::shared_ptr<SurfaceSession> session_;
    const double scale_;
    const MarkerKind kind_;
    const QRect inBuffer_;
    const QSize bufferSize_;
    ShmImagePair images_{QImage::Format_ARGB32_Premultiplied};
    LayerSurface surface_;
    bool configured_ = false;
    int64_t seconds_ = 0;
};

}  // namespace

LayerMarkers::LayerMarkers(std::shared_ptr<SurfaceSession> session) : session_(std::move(session)) {}

std::unique_ptr<MarkerSurface> LayerMarkers::Open(const platform::ScreenRect& rect, MarkerKind kind,
                                                  std::function<void()> closed) {
    const std::vector<SessionOutput> outputs = session_->Outputs();
    std::vector<OutputArea> areas;
    for (const SessionOutput& output : outputs) areas.push_back(output.area);
    const std::optional<SurfacePlacement> place = PlaceOnOutputs(rect, areas);
    if (!place) return nullptr;
    try {
        return std::make_unique<LayerMarker>(session_, outputs[place->output], *place, kind,
                                             std::move(closed));
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

}  // namespace glimtap
