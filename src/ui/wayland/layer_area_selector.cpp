#include "ui/wayland/layer_area_selector.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-cursor.h>

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "response/wayland/layer_surface.h"
#include "response/wayland/shm_image.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace glimtap {
namespace {

template <typename... Args>
void Ignore(void*, Args...) {}

// Stands in for a still picture that could not be taken.
const QColor kBlank(64, 64, 64);

// The cursor size the desktop asks for, in surface units.
int32_t CursorSize() {
    const char* size = std::getenv("XCURSOR_SIZE");
    const int32_t value = size != nullptr ? std::atoi(size) : 0;
    return value > 0 ? value : 24;
}

}  // namespace

// One output's part of the veil.
class LayerAreaSelector::OutputVeil {
public:
    OutputVeil(LayerAreaSelector& selector, const SessionOutput& output)
        : selector_(selector), area_(output.area),
          surface_(selector.session_->Connection().Compositor(),
                   selector.session_->Connection().LayerShell(),
                   LayerPlacement{output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                      ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                      ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT,
                                  0, 0, QSize(0, 0),
                                  ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE, true,
                                  selector.session_->Connection().Viewporter(),
                                  static_cast<int32_t>(output.area.scale)},
                   [this](QSize size) {
                       size_ = PixelsOfUnits(size, area_.scale);
                       Paint();
                   },
                   [&selector] { selector.Finish(false); }) {}

    const OutputArea& Area() const { return area_; }
    wl_surface* Surface() const { return surface_.Surface(); }

    void Paint() {
        if (size_.isEmpty()) return;
        try {
            ShmImage& image = images_.Free(selector_.session_->Connection().Shm(), size_);
            QPainter painter(&image.Picture());
            const platform::ScreenRect& screen = selector_.still_.screen();
            painter.translate(screen.left - area_.physical.left, screen.top - area_.physical.top);
            selector_.veil_.Paint(painter, selector_.selection_.Hole(), kBlank);
            painter.end();
            surface_.Present(image);
        } catch (const std::runtime_error&) {
            // Without memory for the picture the surface keeps showing the last one.
        }
    }

private:
    LayerAreaSelector& selector_;
    const OutputArea area_;
    // Opaque: the band round the hole inverts what lies under it.
    ShmImagePair images_{QImage::Format_RGB32};
    LayerSurface surface_;
    QSize size_;
};

LayerAreaSelector::LayerAreaSelector(std::shared_ptr<SurfaceSession> session,
                                     const ScreenStill& still)
    : session_(std::move(session)), still_(still), veil_(still), selection_(still.screen()) {
    for (const SessionOutput& output : session_->Outputs()) {
        veils_.push_back(std::make_unique<OutputVeil>(*this, output));
    }
    LoadCrosshair();
    // A seat of its own: its capabilities say whether there is a pointer and a keyboard
    // to ask for, and the compositor tells them only to a seat bound with a listener.
    registry_ = wl_display_get_registry(session_->Connection().Display());
    static const wl_registry_listener registryListener{&Global,
                                                      Ignore<wl_registry*, uint32_t>};
    wl_registry_add_listener(registry_, &registryListener, this);
    session_->Connection().Roundtrip();
    session_->Connection().Roundtrip();
    session_->WhenLost([this] { Finish(false); });
    session_->Flush();
}

LayerAreaSelector::~LayerAreaSelector() {
    session_->WhenLost(nullptr);
    keyboard_.reset();
    pointer_.reset();
    crosshair_.reset();
    cursorTheme_.reset();
    if (seat_ != nullptr) wl_seat_release(seat_);
    wl_registry_destroy(registry_);
    veils_.clear();
    // The veil is off the screen once the compositor has carried out the requests: a
    // search started next must not capture it.
    session_->Connection().Roundtrip();
}

void LayerAreaSelector::Release::operator()(wl_pointer* pointer) const noexcept {
    wl_pointer_release(pointer);
}
void LayerAreaSelector::Release::operator()(wl_keyboard* keyboard) const noexcept {
    wl_keyboard_release(keyboard);
}
void LayerAreaSelector::Release::operator()(wl_cursor_theme* theme) const noexcept {
    wl_cursor_theme_destroy(theme);
}
void LayerAreaSelector::Release::operator()(wl_surface* surface) const noexcept {
    wl_surface_destroy(surface);
}

void LayerAreaSelector::LoadCrosshair() {
    int32_t scale = 1;
    for (const auto& veil : veils_) {
        scale = std::max(scale, static_cast<int32_t>(std::ceil(veil->Area().scale)));
    }
    platform::WaylandConnection& connection = session_->Connection();
    cursorTheme_.reset(
        wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), CursorSize() * scale, connection.Shm()));
    if (cursorTheme_ == nullptr) return;
    wl_cursor* cursor = wl_cursor_theme_get_cursor(cursorTheme_.get(), "crosshair");
    if (cursor == nullptr) cursor = wl_cursor_theme_get_cursor(cursorTheme_.get(), "cross");
    if (cursor == nullptr || cursor->image_count == 0) return;
    wl_cursor_image* image = cursor->images[0];
    // A theme without that size hands a nearby one; a buffer must be whole surface units.
    while (image->width % scale != 0 || image->height % scale != 0) --scale;
    crosshair_.reset(wl_compositor_create_surface(connection.Compositor()));
    wl_surface_set_buffer_scale(crosshair_.get(), scale);
    wl_surface_attach(crosshair_.get(), wl_cursor_image_get_buffer(image), 0, 0);
    wl_surface_damage(crosshair_.get(), 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(crosshair_.get());
    hotspot_ = {static_cast<int32_t>(image->hotspot_x) / scale,
                static_cast<int32_t>(image->hotspot_y) / scale};
}

bool LayerAreaSelector::Exec() {
    if (veils_.empty()) return false;
    loop_.exec();
    return accepted_;
}

void LayerAreaSelector::Finish(bool accepted) {
    accepted_ = accepted;
    loop_.quit();
}

void LayerAreaSelector::Global(void* self, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version) {
    auto* selector = static_cast<LayerAreaSelector*>(self);
    if (selector->seat_ != nullptr || std::strcmp(interface, wl_seat_interface.name) != 0) return;
    if (version < WL_SEAT_RELEASE_SINCE_VERSION) return;
    selector->seat_ = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, WL_SEAT_RELEASE_SINCE_VERSION));
    static const wl_seat_listener listener{&Capabilities, Ignore<wl_seat*, const char*>};
    wl_seat_add_listener(selector->seat_, &listener, selector);
}

void LayerAreaSelector::Capabilities(void* self, wl_seat* seat, uint32_t capabilities) {
    auto* selector = static_cast<LayerAreaSelector*>(self);
    // A device the seat lost is let go and one it gains is asked for afresh: the proxy of a
    // lost one never hears from the next.
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) == 0) {
        selector->pointer_.reset();
        selector->under_ = nullptr;
    } else if (selector->pointer_ == nullptr) {
        selector->pointer_.reset(wl_seat_get_pointer(seat));
        static const wl_pointer_listener listener{
            &PointerEnter,
            &PointerLeave,
            &PointerMotion,
            &PointerButton,
            Ignore<wl_pointer*, uint32_t, uint32_t, wl_fixed_t>,
            Ignore<wl_pointer*>,
            Ignore<wl_pointer*, uint32_t>,
            Ignore<wl_pointer*, uint32_t, uint32_t>,
            Ignore<wl_pointer*, uint32_t, int32_t>,
            Ignore<wl_pointer*, uint32_t, int32_t>,
        };
        wl_pointer_add_listener(selector->pointer_.get(), &listener, selector);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) == 0) {
        selector->keyboard_.reset();
    } else if (selector->keyboard_ == nullptr) {
        selector->keyboard_.reset(wl_seat_get_keyboard(seat));
        static const wl_keyboard_listener listener{
            &Keymap,
            Ignore<wl_keyboard*, uint32_t, wl_surface*, wl_array*>,
            Ignore<wl_keyboard*, uint32_t, wl_surface*>,
            &Key,
            Ignore<wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>,
            Ignore<wl_keyboard*, int32_t, int32_t>,
        };
        wl_keyboard_add_listener(selector->keyboard_.get(), &listener, selector);
    }
}

platform::Point LayerAreaSelector::At(int32_t x, int32_t y) const {
    if (under_ == nullptr) return {};
    const OutputArea& area = under_->Area();
    const auto physical = [&area](wl_fixed_t units) {
        return static_cast<int32_t>(std::floor(wl_fixed_to_double(units) * area.scale));
    };
    return {area.physical.left + physical(x) - still_.screen().left,
            area.physical.top + physical(y) - still_.screen().top};
}

void LayerAreaSelector::Refresh() {
    for (const auto& veil : veils_) veil->Paint();
    session_->Flush();
}

void LayerAreaSelector::PointerEnter(void* self, wl_pointer* pointer, uint32_t serial,
                                     wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    auto* selector = static_cast<LayerAreaSelector*>(self);
    if (selector->crosshair_ != nullptr) {
        wl_pointer_set_cursor(pointer, serial, selector->crosshair_.get(), selector->hotspot_.x,
                              selector->hotspot_.y);
    }
    selector->under_ = nullptr;
    for (const auto& veil : selector->veils_) {
        if (veil->Surface() == surface) selector->under_ = veil.get();
    }
    selector->x_ = x;
    selector->y_ = y;
}

void LayerAreaSelector::PointerLeave(void* self, wl_pointer*, uint32_t, wl_surface*) {
    static_cast<LayerAreaSelector*>(self)->under_ = nullptr;
}

void LayerAreaSelector::PointerMotion(void* self, wl_pointer*, uint32_t, wl_fixed_t x,
                                      wl_fixed_t y) {
    auto* selector = static_cast<LayerAreaSelector*>(self);
    selector->x_ = x;
    selector->y_ = y;
    if (selector->selection_.state() != AreaSelection::State::Dragging) return;
    selector->selection_.Move(selector->At(x, y));
    selector->Refresh();
}

void LayerAreaSelector::PointerButton(void* self, wl_pointer*, uint32_t, uint32_t,
                                      uint32_t button, uint32_t state) {
    auto* selector = static_cast<LayerAreaSelector*>(self);
    if (button != BTN_LEFT || selector->under_ == nullptr) return;
    const platform::Point at = selector->At(selector->x_, selector->y_);
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
        selector->selection_.Press(at);
    } else if (selector->selection_.state() == AreaSelection::State::Dragging) {
        selector->selection_.Release(at);
        selector->Finish(true);
    }
}

void LayerAreaSelector::Key(void* self, wl_keyboard*, uint32_t, uint32_t, uint32_t key,
                            uint32_t state) {
    // Escape cancels, during a drag and before one; every other key does nothing.
    if (key != KEY_ESC || state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
    auto* selector = static_cast<LayerAreaSelector*>(self);
    selector->selection_.Escape();
    selector->Finish(false);
}

void LayerAreaSelector::Keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
    // Keys are told apart by their codes: the keymap is not needed.
    close(fd);
}

}  // namespace glimtap
