#include "engine/target_folder.h"

namespace glimtap {

bool EnsureFolderExists(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return !error && std::filesystem::is_directory(path, error);
}

std::filesystem::path DefaultTargetFolder(const std::optional<std::filesystem::path>& dataFolder,
                                          const std::filesystem::path& documentTitle) {
    if (!dataFolder) return {};
    // A title is a name, never a path: keep its last component only.
    std::filesystem::path name = documentTitle.filename();
    if (name.has_extension()) name = name.stem();
    if (name.empty() || name == "." || name == "..") name = "Untitled";
    const std::filesystem::path folder = *dataFolder / "Glimtap" / name;
    return EnsureFolderExists(folder) ? folder : std::filesystem::path();
}

}  // namespace glimtap
