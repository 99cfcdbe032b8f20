#include "cli/process_setup.h"

// shellapi.h needs windows.h before it.
#include <windows.h>
#include <shellapi.h>

#include "platform/utf16.h"

namespace glimtap::cli {

// The narrow arguments are in the ANSI code page, which cannot spell every file name.
std::vector<std::string> PrepareProcess(int, char**) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const std::wstring_view argument(wide[i]);
        arguments.push_back(ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace glimtap::cli
