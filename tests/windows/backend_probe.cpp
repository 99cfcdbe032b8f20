// What the desktop test asks of the Win32 backend set, one service per call:
//   backend_probe hot-key SECONDS: takes the first free key of F6-F12, prints its name ("" when
//     none is free) and holds it for SECONDS;
//   backend_probe tap X Y: moves the pointer to (X, Y) and taps there, as a match is tapped.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_backend_set.h"

int main(int argc, char** argv) {
    glimtap::platform::Win32BackendSet backends;
    const std::string service = argc > 1 ? argv[1] : "";
    if (service == "hot-key" && argc == 3) {
        std::printf("grabbed '%s'\n", backends.HotKey()->GrabFirstFree().c_str());
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::atoi(argv[2]) * 1000));
        return 0;
    }
    if (service == "tap" && argc == 4) {
        const glimtap::platform::Point at{std::atoi(argv[2]), std::atoi(argv[3])};
        glimtap::platform::TouchInjector* touch = backends.Touch();
        if (!backends.MousePointer()->MoveTo(at.x, at.y) || !touch->Prepare() || !touch->Down(at)) {
            return 1;
        }
        Sleep(200);  // as long as a match's tap is held
        return touch->Up(at) ? 0 : 1;
    }
    return 2;
}
