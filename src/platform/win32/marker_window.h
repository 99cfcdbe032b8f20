#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/geometry.h"
#include "response/overlay_layout.h"

namespace glimtap::platform {

// The class of every marker's window.
inline constexpr wchar_t kMarkerWindowClass[] = L"GlimtapMarker";

// One marker: a layered, topmost tool window laid out by PlanMarker around a rectangle, that
// takes neither the focus nor clicks, shows the seconds left once a second and goes when they
// are up. It lives on the thread that opened it, whose message loop runs its countdown.
class MarkerWindow {
public:
    // Puts a marker over `rect` (physical pixels, not empty) of `screen`, the virtual screen,
    // for `seconds` (at least 1); null when no window can be made.
    static std::unique_ptr<MarkerWindow> Open(const ScreenRect& rect, const ScreenRect& screen,
                                              MarkerKind kind, int seconds);
    ~MarkerWindow();
    MarkerWindow(const MarkerWindow&) = delete;
    MarkerWindow& operator=(const MarkerWindow&) = delete;

    // Counts down from `seconds` afresh.
    void Restart(int seconds);
    // Whether it still counts: false once its window is gone.
    bool Counting() const { return window_ != nullptr; }

private:
    MarkerWindow(MarkerKind kind, int seconds) : kind_(kind), secondsLeft_(seconds) {}
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Tick();
    void Draw();

    HWND window_ = nullptr;
    MarkerKind kind_;
    int64_t secondsLeft_;
    int32_t dpi_ = 96;
    MarkerPlan plan_;
};

}  // namespace glimtap::platform
