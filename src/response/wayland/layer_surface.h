#pragma once

#include <QSize>

#include <cstdint>
#include <functional>

struct wl_compositor;
struct wl_output;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct wp_viewporter;
struct wp_viewport;

namespace glimtap {

class ShmImage;

// Where a layer-shell surface goes and what it takes. Sizes and margins are in the
// output's surface units; a zero size is the whole output (anchor every edge then).
struct LayerPlacement {
    wl_output* output = nullptr;
    uint32_t layer = 0;
    uint32_t anchor = 0;
    int32_t marginTop = 0;
    int32_t marginLeft = 0;
    QSize size;
    uint32_t keyboard = 0;
    // Without input, pointer events pass through to what lies under the surface.
    bool takesInput = false;
    // With a viewporter, buffers are shown one pixel per pixel at any scale (PixelsOfUnits
    // of the surface's size); without one, at `bufferScale` pixels per unit.
    wp_viewporter* viewporter = nullptr;
    int32_t bufferScale = 1;
};

// One zwlr_layer_surface_v1 with its wl_surface, on the thread that dispatches its queue.
// `configured` runs with the surface's size at each configure, once acknowledged: present a
// picture then. `closed` runs once if the compositor takes the surface away. Nothing is
// thrown.
class LayerSurface {
public:
    LayerSurface(wl_compositor* compositor, zwlr_layer_shell_v1* shell,
                 const LayerPlacement& placement, std::function<void(QSize)> configured,
                 std::function<void()> closed);
    ~LayerSurface();
    LayerSurface(const LayerSurface&) = delete;
    LayerSurface& operator=(const LayerSurface&) = delete;

    wl_surface* Surface() const { return surface_; }
    // Shows `image` (as LayerPlacement says) from the next commit on.
    void Present(ShmImage& image);

private:
    static void Configure(void* self, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                          uint32_t height);
    static void Closed(void* self, zwlr_layer_surface_v1* layer);

    const int32_t bufferScale_;
    std::function<void(QSize)> configured_;
    std::function<void()> closed_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    QSize size_;  // in units, as last configured
};

}  // namespace glimtap
