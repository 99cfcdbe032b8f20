#include "platform/wayland/wayland_connection.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/area_clip.h"
#include "platform/shown_picture.h"
#include "platform/unavailable.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace glimtap::platform {

// What the compositor has told of one output; applied to `info` when it says "done".
struct WaylandConnection::OutputRecord {
    WaylandConnection* connection = nullptr;
    WaylandOutput info;
    Proxy<wl_output> output;
    Proxy<zxdg_output_v1> xdg;
    bool xdgSaysDone = false;  // xdg-output before version 3 ends its own batches
    bool known = false;
    int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    int32_t scale = 1;
    Size mode;
    Point position;
    Size logicalSize;

    void Apply() {
        const Size pixels = ShownSize(mode, transform);
        // Without xdg-output, the layout position and the mode over the scale stand in.
        const Size size = logicalSize.width > 0
                              ? logicalSize
                              : Size{pixels.width / scale, pixels.height / scale};
        if (mode.width <= 0 || size.width <= 0 || size.height <= 0) return;
        info.logical = {position.x, position.y, size.width, size.height};
        info.geometry = {info.logical, mode, transform};
        info.scale = OutputScale(pixels, size);
        known = true;
        connection->PlaceKnownOutputs();
    }
};

namespace {

std::string SocketName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name != nullptr && *name != '\0' ? name : "wayland-0";
}

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t offered,
        uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

template <typename T>
void BindOnce(Proxy<T>& slot, wl_registry* registry, uint32_t name, const wl_interface& interface,
              uint32_t offered, uint32_t wanted) {
    if (slot == nullptr) slot.reset(Bind<T>(registry, name, interface, offered, wanted));
}

}  // namespace

WaylandConnection::WaylandConnection()
    : description_("Wayland compositor '" + SocketName() + "'"),
      display_(wl_display_connect(nullptr)) {
    if (display_ == nullptr) throw Unavailable("cannot connect to the " + description_);
    registry_.reset(wl_display_get_registry(display_.get()));
    static const wl_registry_listener kListener{&Global, &GlobalRemove};
    wl_registry_add_listener(registry_.get(), &kListener, this);
    // The globals, then what the outputs say of themselves.
    if (!Roundtrip()) throw Unavailable("the " + description_ + " does not answer");
    for (auto& record : outputs_) WatchXdgOutput(*record);
    if (!Roundtrip()) throw Unavailable("the " + description_ + " does not answer");
}

WaylandConnection::~WaylandConnection() = default;

void WaylandConnection::Global(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    const auto is = [interface](const wl_interface& known) {
        return std::strcmp(interface, known.name) == 0;
    };
    if (is(wl_output_interface)) {
        self->AddOutput(name, version);
    } else if (is(wl_compositor_interface)) {
        BindOnce(self->compositor_, registry, name, wl_compositor_interface, version, 4);
    } else if (is(wl_shm_interface)) {
        BindOnce(self->shm_, registry, name, wl_shm_interface, version, 1);
    } else if (is(wl_seat_interface)) {
        BindOnce(self->seat_, registry, name, wl_seat_interface, version, 5);
    } else if (is(zxdg_output_manager_v1_interface)) {
        BindOnce(self->xdgOutputManager_, registry, name, zxdg_output_manager_v1_interface, version,
                 3);
    } else if (is(zwlr_screencopy_manager_v1_interface)) {
        BindOnce(self->screencopy_, registry, name, zwlr_screencopy_manager_v1_interface, version,
                 3);
    } else if (is(zwlr_virtual_pointer_manager_v1_interface)) {
        BindOnce(self->virtualPointer_, registry, name, zwlr_virtual_pointer_manager_v1_interface,
                 version, 2);
    } else if (is(zwlr_layer_shell_v1_interface)) {
        BindOnce(self->layerShell_, registry, name, zwlr_layer_shell_v1_interface, version, 4);
    } else if (is(wp_viewporter_interface)) {
        BindOnce(self->viewporter_, registry, name, wp_viewporter_interface, version, 1);
    }
}

void WaylandConnection::GlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto& outputs = static_cast<WaylandConnection*>(data)->outputs_;
    std::erase_if(outputs, [name](const auto& record) { return record->info.globalName == name; });
    static_cast<WaylandConnection*>(data)->PlaceKnownOutputs();
}

void WaylandConnection::PlaceKnownOutputs() {
    std::vector<OutputRecord*> known;
    std::vector<OutputGeometry> geometries;
    for (const auto& record : outputs_) {
        if (!record->known) continue;
        known.push_back(record.get());
        geometries.push_back(record->info.geometry);
    }
    const std::vector<ScreenRect> placed = PlaceOutputs(geometries);
    for (size_t i = 0; i < known.size(); ++i) known[i]->info.physical = placed[i];
}

void WaylandConnection::AddOutput(uint32_t name, uint32_t version) {
    auto record = std::make_unique<OutputRecord>();
    record->connection = this;
    record->info.globalName = name;
    record->output.reset(Bind<wl_output>(registry_.get(), name, wl_output_interface, version, 3));
    record->info.output = record->output.get();
    static const wl_output_listener kListener{
        .geometry =
            [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
               const char*, int32_t transform) {
                auto* r = static_cast<OutputRecord*>(data);
                if (r->xdg == nullptr) r->position = {x, y};
                r->transform = transform;
            },
        .mode =
            [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
                if ((flags & WL_OUTPUT_MODE_CURRENT) != 0)
                    static_cast<OutputRecord*>(data)->mode = {width, height};
            },
        .done = [](void* data, wl_output*) { static_cast<OutputRecord*>(data)->Apply(); },
        .scale =
            [](void* data, wl_output*, int32_t factor) {
                static_cast<OutputRecord*>(data)->scale = std::max(factor, 1);
            },
        .name = [](void*, wl_output*, const char*) {},
        .description = [](void*, wl_output*, const char*) {},
    };
    wl_output_add_listener(record->output.get(), &kListener, record.get());
    if (xdgOutputManager_ != nullptr) WatchXdgOutput(*record);
    outputs_.push_back(std::move(record));
}

void WaylandConnection::WatchXdgOutput(OutputRecord& record) {
    if (xdgOutputManager_ == nullptr || record.xdg != nullptr) return;
    record.xdg.reset(
        zxdg_output_manager_v1_get_xdg_output(xdgOutputManager_.get(), record.output.get()));
    record.xdgSaysDone = zxdg_output_manager_v1_get_version(xdgOutputManager_.get()) < 3;
    static const zxdg_output_v1_listener kListener{
        .logical_position =
            [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
                static_cast<OutputRecord*>(data)->position = {x, y};
            },
        .logical_size =
            [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
                static_cast<OutputRecord*>(data)->logicalSize = {width, height};
            },
        .done =
            [](void* data, zxdg_output_v1*) {
                auto* r = static_cast<OutputRecord*>(data);
                if (r->xdgSaysDone) r->Apply();
            },
        .name = [](void* data, zxdg_output_v1*,
                   const char* name) { static_cast<OutputRecord*>(data)->info.name = name; },
        .description = [](void*, zxdg_output_v1*, const char*) {},
    };
    zxdg_output_v1_add_listener(record.xdg.get(), &kListener, &record);
}

std::vector<const WaylandOutput*> WaylandConnection::Outputs() const {
    std::vector<const WaylandOutput*> known;
    for (const auto& record : outputs_) {
        if (record->known) known.push_back(&record->info);
    }
    std::sort(known.begin(), known.end(), [](const WaylandOutput* a, const WaylandOutput* b) {
        return std::pair(a->physical.top, a->physical.left) <
               std::pair(b->physical.top, b->physical.left);
    });
    return known;
}

ScreenRect WaylandConnection::DesktopBounds() const {
    std::vector<ScreenRect> rects;
    for (const WaylandOutput* output : Outputs()) rects.push_back(output->physical);
    return BoundingBox(rects);
}

bool WaylandConnection::Roundtrip() { return wl_display_roundtrip(display_.get()) >= 0; }

bool WaylandConnection::Dispatch(std::chrono::milliseconds timeout) {
    wl_display* display = display_.get();
    // Events already read (by a round trip, say) come first.
    if (wl_display_prepare_read(display) != 0) return wl_display_dispatch_pending(display) >= 0;
    wl_display_flush(display);
    pollfd ready{wl_display_get_fd(display), POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) {
        wl_display_cancel_read(display);
        return false;
    }
    if (wl_display_read_events(display) < 0) return false;
    return wl_display_dispatch_pending(display) > 0;
}

bool WaylandConnection::DispatchReady() {
    wl_display* display = display_.get();
    if (wl_display_prepare_read(display) == 0 && wl_display_read_events(display) < 0) return false;
    if (wl_display_dispatch_pending(display) < 0) return false;
    wl_display_flush(display);
    return !Broken();
}

bool WaylandConnection::Refresh() {
    if (!DispatchReady()) return false;
    const bool announced = std::any_of(outputs_.begin(), outputs_.end(),
                                       [](const auto& record) { return !record->known; });
    return !announced || Roundtrip();
}

}  // namespace glimtap::platform
