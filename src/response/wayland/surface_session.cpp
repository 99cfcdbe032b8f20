#include "response/wayland/surface_session.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace glimtap {

SurfaceSession::SurfaceSession() : notifier_(connection_.Fd(), QSocketNotifier::Read) {
    if (connection_.LayerShell() == nullptr || connection_.Compositor() == nullptr ||
        connection_.Shm() == nullptr) {
        throw std::runtime_error(connection_.Description() + " offers no layer-shell surfaces");
    }
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Dispatch(); });
}

std::shared_ptr<SurfaceSession> SurfaceSession::Open() {
    return std::shared_ptr<SurfaceSession>(new SurfaceSession());
}

std::vector<SessionOutput> SurfaceSession::Outputs() const {
    std::vector<SessionOutput> outputs;
    for (const platform::WaylandOutput* output : connection_.Outputs()) {
        // Without a viewporter, buffers take whole scales only.
        const double scale = connection_.Viewporter() != nullptr
                                 ? output->scale
                                 : std::max(1.0, std::floor(output->scale));
        outputs.push_back({output->output, {output->physical, scale}});
    }
    return outputs;
}

void SurfaceSession::Dispatch() {
    if (connection_.Refresh()) return;
    // The compositor went away: surfaces stay as they are until their owners let them go.
    notifier_.setEnabled(false);
    if (lost_) std::exchange(lost_, nullptr)();
}

}  // namespace glimtap
