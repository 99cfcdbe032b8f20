#include <gtest/gtest.h>
#include <windows.h>
#include <windowsx.h>

#include <functional>
#include <vector>

#include "platform/win32/marker_window.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_markers.h"

namespace glimtap::platform {
namespace {

std::vector<HWND> MarkerWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM list) {
            wchar_t name[32];
            if (GetClassNameW(window, name, 32) > 0 && wcscmp(name, kMarkerWindowClass) == 0 &&
                IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Handles this thread's messages until `done`; false when it never comes.
bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 400; ++i, Sleep(50)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (done()) return true;
    }
    return false;
}

std::vector<POINT> clicks;  // where the window under the markers was clicked

LRESULT CALLBACK Under(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_LBUTTONDOWN) return DefWindowProcW(window, message, wParam, lParam);
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &at);
    clicks.push_back(at);
    return 0;
}

// A marker goes up as PlanMarker lays it out, topmost, over the foreground window, which keeps
// the focus and gets the clicks on the match and on the frame; the same rectangle again
// restarts its marker, at most 16 are up, and each goes when its time is up.
TEST(Win32Markers, ShowAboveTheForegroundWindowLettingClicksThroughAndGo) {
    WNDCLASSW type{};
    type.lpfnWndProc = Under;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"under";
    RegisterClassW(&type);
    const HWND under = CreateWindowExW(0, L"under", L"", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                                       nullptr, nullptr, type.hInstance, nullptr);
    SetForegroundWindow(under);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == under; }));
    const Win32Desktop desktop;
    Win32Markers markers(desktop);
    const ScreenRect match{200, 150, 40, 30};
    markers.Show(match, MarkerKind::kMatch, 60);
    markers.Show(match, MarkerKind::kMatch, 60);
    ASSERT_EQ(markers.Alive(), 1);
    const std::vector<HWND> shown = MarkerWindows();
    ASSERT_EQ(shown.size(), 1u);
    RECT placed;
    ASSERT_TRUE(GetWindowRect(shown[0], &placed));
    const ScreenRect bounds =
        PlanMarker(match, desktop.VirtualScreen(),
                   MarkerMetricsForDpi(static_cast<int32_t>(GetDpiForWindow(shown[0]))), true,
                   MarkerKind::kMatch)
            .bounds;
    EXPECT_EQ((ScreenRect{placed.left, placed.top, placed.right - placed.left,
                          placed.bottom - placed.top}),
              bounds);
    const LONG_PTR kinds = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;
    EXPECT_EQ(GetWindowLongPtrW(shown[0], GWL_EXSTYLE) & kinds, kinds);
    EXPECT_EQ(GetForegroundWindow(), under);

    const std::vector<POINT> targets{{220, 165}, {match.left - 2, 165}};  // the match; the frame
    for (const POINT& at : targets) {
        INPUT click[2]{};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SetCursorPos(at.x, at.y);
        SendInput(2, click, sizeof(INPUT));
    }
    ASSERT_TRUE(PumpUntil([] { return clicks.size() == 2; }));
    for (size_t i = 0; i < 2; ++i) EXPECT_TRUE(clicks[i].x == targets[i].x && clicks[i].y == 165);

    for (int i = 0; i < 20; ++i) markers.Show({30 * i, 400, 20, 20}, MarkerKind::kClosestMiss, 1);
    EXPECT_EQ(markers.Alive(), Win32Markers::kMostAlive);
    EXPECT_EQ(MarkerWindows().size(), static_cast<size_t>(Win32Markers::kMostAlive));
    markers.Show(match, MarkerKind::kMatch, 1);  // restarts it with a second to go
    EXPECT_TRUE(PumpUntil([&] { return markers.Alive() == 0 && MarkerWindows().empty(); }));
    DestroyWindow(under);
}

}  // namespace
}  // namespace glimtap::platform
