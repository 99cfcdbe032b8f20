// show_picture FILE.bmp X Y: shows the bitmap at (X, Y) in a borderless topmost window,
// prints "shown", then "move X Y", "down X Y" and "up X Y" in screen coordinates as the
// pointer moves over it and the left button goes down and up there, until it is ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK Window(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const char* what = message == WM_MOUSEMOVE     ? "move"
                       : message == WM_LBUTTONDOWN ? "down"
                       : message == WM_LBUTTONUP   ? "up"
                                                   : nullptr;
    if (what == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &at);
    std::printf("%s %ld %ld\n", what, at.x, at.y);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const auto picture = static_cast<HBITMAP>(
        LoadImageA(nullptr, argv[1], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP size;
    if (picture == nullptr || GetObject(picture, sizeof(size), &size) == 0) return 1;
    WNDCLASSW type{};
    type.lpfnWndProc = Window;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hbrBackground = CreatePatternBrush(picture);  // the window's background is the picture
    type.lpszClassName = L"show_picture";
    RegisterClassW(&type);
    const HWND window = CreateWindowExW(WS_EX_TOPMOST, L"show_picture", L"", WS_POPUP | WS_VISIBLE,
                                        std::atoi(argv[2]), std::atoi(argv[3]), size.bmWidth,
                                        size.bmHeight, nullptr, nullptr, type.hInstance, nullptr);
    UpdateWindow(window);
    std::printf("shown\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}
