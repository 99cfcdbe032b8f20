#pragma once

#include <filesystem>
#include <optional>

namespace glimtap::platform {

// The user's folder for application data ($XDG_DATA_HOME, else ~/.local/share);
// nullopt when neither variable gives an absolute path. Reads the environment only: any
// thread may call, nothing is thrown, and the folder need not exist yet.
std::optional<std::filesystem::path> LocalDataFolder();

}  // namespace glimtap::platform
