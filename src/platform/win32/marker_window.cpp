#include "platform/win32/marker_window.h"

#include <type_traits>

#include "platform/win32/marker_bitmap.h"

namespace glimtap::platform {
namespace {

constexpr UINT_PTR kTickTimer = 1;

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};

}  // namespace

std::unique_ptr<MarkerWindow> MarkerWindow::Open(const ScreenRect& rect, const ScreenRect& screen,
                                                 MarkerKind kind, int seconds) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = Procedure;
    type.hInstance = instance;
    type.lpszClassName = kMarkerWindowClass;
    RegisterClassExW(&type);  // refused once it is registered, which is as good

    auto marker = std::unique_ptr<MarkerWindow>(new MarkerWindow(kind, seconds));
    // Layered and transparent: clicks go through to what lies under it.
    marker->window_ = CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
        kMarkerWindowClass, L"Marker", WS_POPUP, rect.left, rect.top, rect.width, rect.height,
        nullptr, nullptr, instance, marker.get());
    if (marker->window_ == nullptr) return nullptr;
    // Placed over the rectangle first, the window tells the scale of the monitor showing it.
    marker->dpi_ = static_cast<int32_t>(GetDpiForWindow(marker->window_));
    marker->plan_ = PlanMarker(rect, screen, MarkerMetricsForDpi(marker->dpi_), true, kind);
    marker->Draw();
    ShowWindow(marker->window_, SW_SHOWNOACTIVATE);
    SetTimer(marker->window_, kTickTimer, 1000, nullptr);
    return marker;
}

MarkerWindow::~MarkerWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void MarkerWindow::Restart(int seconds) {
    if (!Counting()) return;
    SetTimer(window_, kTickTimer, 1000, nullptr);
    // A match found on every pass restarts its marker hundreds of times a second.
    if (secondsLeft_ == seconds) return;
    secondsLeft_ = seconds;
    Draw();
}

LRESULT CALLBACK MarkerWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    } else if (message == WM_TIMER && wParam == kTickTimer) {
        reinterpret_cast<MarkerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))->Tick();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MarkerWindow::Tick() {
    // One timer for the countdown and the end, so the last tick never shows 0.
    if (--secondsLeft_ <= 0) {
        DestroyWindow(window_);
        window_ = nullptr;
        return;
    }
    Draw();
}

void MarkerWindow::Draw() {
    const std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> dc(CreateCompatibleDC(nullptr));
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = plan_.bounds.width;
    format.bmiHeader.biHeight = -plan_.bounds.height;  // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter> section(
        CreateDIBSection(dc.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !section) return;  // the marker keeps what it showed last
    const HGDIOBJ before = SelectObject(dc.get(), section.get());
    PaintMarkerBitmap(dc.get(), static_cast<uint32_t*>(bits), plan_, dpi_, kind_, secondsLeft_);
    POINT at{plan_.bounds.left, plan_.bounds.top};
    SIZE size{plan_.bounds.width, plan_.bounds.height};
    POINT from{0, 0};
    // The whole marker at one alpha, as on a composited Linux desktop.
    BLENDFUNCTION blend{AC_SRC_OVER, 0, kMarkerAlpha, AC_SRC_ALPHA};
    UpdateLayeredWindow(window_, nullptr, &at, &size, dc.get(), &from, 0, &blend, ULW_ALPHA);
    SelectObject(dc.get(), before);
}

}  // namespace glimtap::platform
