#include "engine/target_folder.h"

#include "platform/utf16.h"

namespace glimtap {

bool EnsureFolderExists(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return !error && std::filesystem::is_directory(path, error);
}

std::u16string DefaultTargetFolder(const std::optional<std::filesystem::path>& dataFolder,
                                   std::u16string_view documentTitle) {
    if (!dataFolder) return {};
    std::filesystem::path name = documentTitle.empty() ? std::filesystem::path("Untitled")
                                                       : ToPath(documentTitle);
    // A title is a name, never a path: keep its last component only.
    name = name.filename();
    if (name.has_extension()) name = name.stem();
    if (name.empty() || name == "." || name == "..") name = "Untitled";
    const std::filesystem::path folder = *dataFolder / "Glimtap" / name;
    return EnsureFolderExists(folder) ? FromPath(folder) : std::u16string{};
}

}  // namespace glimtap
