#include "platform/win32/win32_markers.h"

#include <algorithm>
#include <future>
#include <memory>
#include <vector>

#include "platform/win32/marker_window.h"

namespace glimtap::platform {
namespace {

// Ask the loop for a marker and for their count; lParam is the request, or a promise of the
// count, the loop's to delete.
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

Win32Markers::Win32Markers(const Desktop& desktop) : desktop_(desktop) {
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    loop_ = std::thread([this, started = std::move(started)]() mutable {
        MSG message;
        // Makes the thread's message queue before anyone posts to it.
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        started.set_value(GetCurrentThreadId());
        RunLoop();
    });
    loopId_ = id.get();
}

Win32Markers::~Win32Markers() {
    PostThreadMessageW(loopId_, WM_QUIT, 0, 0);
    loop_.join();
}

void Win32Markers::Show(const ScreenRect& rect, MarkerKind kind, int seconds) {
    if (rect.width < 1 || rect.height < 1 || seconds < 1) return;
    auto request = std::make_unique<Request>(Request{rect, kind, seconds});
    if (PostThreadMessageW(loopId_, kShowMessage, 0, reinterpret_cast<LPARAM>(request.get()))) {
        request.release();
    }
}

int Win32Markers::Alive() {
    auto counted = std::make_unique<std::promise<int>>();
    std::future<int> count = counted->get_future();
    if (!PostThreadMessageW(loopId_, kCountMessage, 0, reinterpret_cast<LPARAM>(counted.get()))) {
        return 0;
    }
    counted.release();
    return count.get();
}

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
            const std::unique_ptr<std::promise<int>> counted(
                reinterpret_cast<std::promise<int>*>(message.lParam));
            counted->set_value(static_cast<int>(markers.size()));
            continue;
        }
        const std::unique_ptr<Request> request(reinterpret_cast<Request*>(message.lParam));
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
