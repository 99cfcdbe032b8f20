#include "response/wayland/layer_markers.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "response/marker_painting.h"
#include "response/wayland/layer_surface.h"
#include "response/wayland/output_placement.h"
#include "response/wayland/shm_image.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace glimtap {
namespace {

// Markers are sized as on a 96 dots-per-inch screen per surface unit.
constexpr int32_t kUnitDpi = 96;

int32_t DpiAt(double scale) { return static_cast<int32_t>(std::lround(kUnitDpi * scale)); }

class LayerMarker : public MarkerSurface {
public:
    LayerMarker(std::shared_ptr<SurfaceSession> session, const SessionOutput& output,
                const SurfacePlacement& place, const MarkerPlan& plan, MarkerKind kind,
                std::function<void()> closed)
        : session_(std::move(session)), scale_(output.area.scale), kind_(kind), plan_(plan),
          origin_{std::max(plan.bounds.left, output.area.physical.left) - place.inBuffer.left(),
                  std::max(plan.bounds.top, output.area.physical.top) - place.inBuffer.top()},
          bufferSize_(place.buffer) {
        surface_.emplace(session_->Connection().Compositor(), session_->Connection().LayerShell(),
                         LayerPlacement{output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                        ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                            ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT,
                                        place.marginTop, place.marginLeft,
                                        QSize(place.width, place.height),
                                        ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE, false,
                                        session_->Connection().Viewporter(),
                                        static_cast<int32_t>(output.area.scale)},
                         [this](QSize) { configured_ = true; Paint(); }, std::move(closed));
        session_->Flush();
    }

    ~LayerMarker() override {
        // Off the screen now: nothing else may write to this connection for a long while.
        surface_.reset();
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
            PaintTranslucentMarker(painter, plan_, origin_, DpiAt(scale_), kind_, seconds_);
            painter.end();
            surface_->Present(image);
            session_->Flush();
        } catch (const std::runtime_error&) {
            // Without memory for the picture the marker keeps showing the last one.
        }
    }

    std::shared_ptr<SurfaceSession> session_;
    const double scale_;
    const MarkerKind kind_;
    const MarkerPlan plan_;
    const platform::Point origin_;  // the buffer's top-left pixel on the desktop
    const QSize bufferSize_;
    ShmImagePair images_{QImage::Format_ARGB32_Premultiplied};
    std::optional<LayerSurface> surface_;
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
    // The marker lies on the output that holds most of what it marks.
    const std::optional<SurfacePlacement> holder = PlaceOnOutputs(rect, areas);
    if (!holder) return nullptr;
    const SessionOutput& output = outputs[holder->output];
    const MarkerPlan plan = PlanMarker(
        rect, output.area.physical, MarkerMetricsForDpi(DpiAt(output.area.scale)), true, kind);
    const std::optional<SurfacePlacement> place = PlaceOnOutputs(plan.bounds, {output.area});
    if (!place) return nullptr;
    try {
        return std::make_unique<LayerMarker>(session_, output, *place, plan, kind,
                                             std::move(closed));
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

}  // namespace glimtap
