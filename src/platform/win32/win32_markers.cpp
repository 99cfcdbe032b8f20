#include "platform/win32/win32_markers.h"

#include <algorithm>
#include <future>
#include <memory>
#include <vector>

#include "platform/win32/marker_window.h"

namespace glimtap::platform {
namespace {

// Ask the loop for a marker and for their count; they carry the request, or a promise of
// the count.
constexpr UINT kShowMessage = WM_APP + 1;
constexpr UINT kCountMessage = WM_APP + 2;

struct Request {
    ScreenRect rect;
    MarkerKind kind;
    int seconds;
};

struct Marker {
    ScreenRect rect;
    std::unique_ptr<MarkerWindow> window;
};

}  // namespace

Win32Markers::Win32Markers(const Desktop& desktop) : desktop_(desktop) {}

void Win32Markers::Show(const ScreenRect& rect, MarkerKind kind, int seconds) {
    if (rect.width < 1 || rect.height < 1 || seconds < 1) return;
    loop_.Post(kShowMessage, std::make_unique<Request>(Request{rect, kind, seconds}));
}

int Win32Markers::Alive() { return loop_.Ask(kCountMessage, 0); }

void Win32Markers::RunLoop() {
    std::vector<Marker> markers;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd != nullptr ||
            (message.message != kShowMessage && message.message != kCountMessage)) {
            DispatchMessageW(&message);
            continue;
        }
        // A marker whose time is up is gone.
        std::erase_if(markers, [](const Marker& marker) { return !marker.window->Counting(); });
        if (message.message == kCountMessage) {
            const auto counted = MessageLoopThread::Take<std::promise<int>>(message);
            counted->set_value(static_cast<int>(markers.size()));
            continue;
        }
        const std::unique_ptr<Request> request = MessageLoopThread::Take<Request>(message);
        const auto same = std::find_if(markers.begin(), markers.end(), [&](const Marker& marker) {
            return marker.rect == request->rect;
        });
        if (same != markers.end()) {
            same->window->Restart(request->seconds);
        } else if (static_cast<int>(markers.size()) < kMostAlive) {
            if (auto window = MarkerWindow::Open(request->rect, desktop_.VirtualScreen(),
                                                 request->kind, request->seconds)) {
                markers.push_back({request->rect, std::move(window)});
            }
        }
    }
}

}  // namespace glimtap::platform
