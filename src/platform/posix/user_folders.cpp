#include "platform/user_folders.h"

#include <cstdlib>

namespace glimtap::platform {

std::optional<std::filesystem::path> LocalDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && std::filesystem::path(dataHome).is_absolute()) return dataHome;
    const char* home = std::getenv("HOME");
    if (home != nullptr && std::filesystem::path(home).is_absolute()) {
        return std::filesystem::path(home) / ".local" / "share";
    }
    return std::nullopt;
}

}  // namespace glimtap::platform
