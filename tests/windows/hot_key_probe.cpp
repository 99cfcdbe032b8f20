// hot_key_probe SECONDS: takes the first free key of F6-F12, prints its name ("" when
// none is free) and holds it for SECONDS.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/win32_global_hot_key.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    glimtap::platform::Win32GlobalHotKey key;
    std::printf("grabbed '%s'\n", key.GrabFirstFree().c_str());
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atoi(argv[1]) * 1000));
}
