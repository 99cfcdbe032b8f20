#pragma once

#include <QEventLoop>

#include <cstdint>
#include <memory>
#include <vector>

#include "response/wayland/surface_session.h"
#include "ui/area_selection.h"
#include "ui/screen_still.h"
#include "ui/screen_veil.h"

struct wl_cursor_theme;
struct wl_keyboard;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_surface;

namespace glimtap {

// The area selector on a wlroots compositor: one layer-shell surface per output on the
// overlay layer, covering the output and taking the keyboard, each showing its part of the
// still picture through ScreenVeil one buffer pixel per physical pixel. A pointer position
// in surface units maps to the physical pixel output origin + units x scale. Button-up
// accepts, Escape cancels. The pointer shows the cursor theme's cross-hair (XCURSOR_THEME,
// XCURSOR_SIZE) over it, the compositor's cursor where the theme has none. A pointer or
// keyboard the seat loses and regains, during a drag too, is taken up again. Application
// thread only; nothing is thrown.
class LayerAreaSelector {
public:
    // `still` must outlive this.
    LayerAreaSelector(std::shared_ptr<SurfaceSession> session, const ScreenStill& still);
    ~LayerAreaSelector();
    LayerAreaSelector(const LayerAreaSelector&) = delete;
    LayerAreaSelector& operator=(const LayerAreaSelector&) = delete;

    // Runs until the drag ends or is cancelled; whether it ended with the button.
    bool Exec();
    // What the dialog would store at its close, cancelled or not.
    SelectedCorners Corners() const { return selection_.Corners(); }

private:
    class OutputVeil;
    static void Global(void* self, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version);
    static void Capabilities(void* self, wl_seat* seat, uint32_t capabilities);
    static void PointerEnter(void* self, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                             int32_t x, int32_t y);
    static void PointerLeave(void* self, wl_pointer* pointer, uint32_t serial, wl_surface* surface);
    static void PointerMotion(void* self, wl_pointer* pointer, uint32_t time, int32_t x, int32_t y);
    static void PointerButton(void* self, wl_pointer* pointer, uint32_t serial, uint32_t time,
                              uint32_t button, uint32_t state);
    static void Key(void* self, wl_keyboard* keyboard, uint32_t serial, uint32_t time,
                    uint32_t key, uint32_t state);
    static void Keymap(void* self, wl_keyboard* keyboard, uint32_t format, int32_t fd,
                       uint32_t size);
    // The still's client pixel under the pointer.
    platform::Point At(int32_t x, int32_t y) const;
    void Finish(bool accepted);
    // Loads the cross-hair, drawn for the finest output so that it is sharp on each.
    void LoadCrosshair();
    // Paints every output's veil afresh.
    void Refresh();

    std::shared_ptr<SurfaceSession> session_;
    const ScreenStill& still_;
    ScreenVeil veil_;
    AreaSelection selection_;
    std::vector<std::unique_ptr<OutputVeil>> veils_;
    struct Release {
        void operator()(wl_pointer* pointer) const noexcept;
        void operator()(wl_keyboard* keyboard) const noexcept;
        void operator()(wl_cursor_theme* theme) const noexcept;
        void operator()(wl_surface* surface) const noexcept;
    };

    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::unique_ptr<wl_pointer, Release> pointer_;
    std::unique_ptr<wl_keyboard, Release> keyboard_;
    std::unique_ptr<wl_cursor_theme, Release> cursorTheme_;
    // Null when no theme has one; its hot spot in surface units.
    std::unique_ptr<wl_surface, Release> crosshair_;
    platform::Point hotspot_;
    // The output under the pointer, and where on it the pointer is (surface units).
    const OutputVeil* under_ = nullptr;
    int32_t x_ = 0;
    int32_t y_ = 0;
    QEventLoop loop_;
    bool accepted_ = false;
};

}  // namespace glimtap
