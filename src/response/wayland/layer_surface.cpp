#include "response/wayland/layer_surface.h"

#include <wayland-client.h>

#include <climits>
#include <utility>

#include "response/wayland/shm_image.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace glimtap {

LayerSurface::LayerSurface(wl_compositor* compositor, zwlr_layer_shell_v1* shell,
                           const LayerPlacement& placement, std::function<void(QSize)> configured,
                           std::function<void()> closed)
    : bufferScale_(placement.bufferScale), configured_(std::move(configured)),
      closed_(std::move(closed)), surface_(wl_compositor_create_surface(compositor)) {
    if (placement.viewporter != nullptr) {
        viewport_ = wp_viewporter_get_viewport(placement.viewporter, surface_);
    }
    layer_ = zwlr_layer_shell_v1_get_layer_surface(shell, surface_, placement.output,
                                                   placement.layer, "glimtap");
    static const zwlr_layer_surface_v1_listener listener{&LayerSurface::Configure,
                                                         &LayerSurface::Closed};
    zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
    zwlr_layer_surface_v1_set_size(layer_, static_cast<uint32_t>(placement.size.width()),
                                   static_cast<uint32_t>(placement.size.height()));
    zwlr_layer_surface_v1_set_anchor(layer_, placement.anchor);
    zwlr_layer_surface_v1_set_margin(layer_, placement.marginTop, 0, 0, placement.marginLeft);
    // Panels' exclusive zones must not push the surface off the pixels it belongs on.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, placement.keyboard);
    if (!placement.takesInput) {
        wl_region* nowhere = wl_compositor_create_region(compositor);
        wl_surface_set_input_region(surface_, nowhere);
        wl_region_destroy(nowhere);
    }
    wl_surface_commit(surface_);
}

LayerSurface::~LayerSurface() {
    if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
    zwlr_layer_surface_v1_destroy(layer_);
    wl_surface_destroy(surface_);
}

void LayerSurface::Present(ShmImage& image) {
    if (viewport_ != nullptr) {
        wp_viewport_set_destination(viewport_, size_.width(), size_.height());
    } else {
        wl_surface_set_buffer_scale(surface_, bufferScale_);
    }
    wl_surface_attach(surface_, image.Buffer(), 0, 0);
    wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(surface_);
    image.MarkBusy();
}

void LayerSurface::Configure(void* self, zwlr_layer_surface_v1* layer, uint32_t serial,
                             uint32_t width, uint32_t height) {
    auto* surface = static_cast<LayerSurface*>(self);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    surface->size_ = QSize(static_cast<int>(width), static_cast<int>(height));
    surface->configured_(QSize(static_cast<int>(width), static_cast<int>(height)));
}

void LayerSurface::Closed(void* self, zwlr_layer_surface_v1*) {
    auto* surface = static_cast<LayerSurface*>(self);
    if (surface->closed_) std::exchange(surface->closed_, nullptr)();
}

}  // namespace glimtap
