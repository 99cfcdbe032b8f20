#pragma once

#include <filesystem>
#include <optional>

namespace glimtap::platform {

// The user's folder for application data: on Linux $XDG_DATA_HOME, else ~/.local/share
// (nullopt when neither variable gives an absolute path); on Windows the local AppData
// folder. Any thread may call, nothing is thrown, and the folder need not exist yet.
std::optional<std::filesystem::path> LocalDataFolder();

}  // namespace glimtap::platform
