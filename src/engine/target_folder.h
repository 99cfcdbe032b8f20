#pragma once

#include <filesystem>
#include <optional>

namespace glimtap {

// Creates every missing folder of `path`; true when it now names a directory.
bool EnsureFolderExists(const std::filesystem::path& path);

// <dataFolder>/Glimtap/<document title without its extension> ("Untitled" for an empty
// title), created on disk; empty when there is no data folder or it cannot be created.
std::filesystem::path DefaultTargetFolder(const std::optional<std::filesystem::path>& dataFolder,
                                          const std::filesystem::path& documentTitle);

}  // namespace glimtap
