#include "platform/user_folders.h"

#include <shlobj.h>
#include <windows.h>

namespace glimtap::platform {

std::optional<std::filesystem::path> LocalDataFolder() {
    PWSTR folder = nullptr;
    std::optional<std::filesystem::path> found;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder) == S_OK) found = folder;
    CoTaskMemFree(folder);
    return found;
}

}  // namespace glimtap::platform
