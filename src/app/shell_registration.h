#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace glimtap {

// Registers the program with the desktop for the user whose data folder is `dataHome`: a
// desktop entry starting `program` with a data file, the MIME type of *.GlimtapDataFile
// files, and the icon. Each file is written only when it is missing or differs, so a start
// after the first normally writes nothing. Returns the files written; a file that cannot be
// written is left out.
std::vector<std::filesystem::path> RegisterShellFileTypes(const std::filesystem::path& dataHome,
                                                          const std::string& program);

// Lets the desktop's caches learn of what RegisterShellFileTypes wrote, when the tools for
// that are installed. Does not wait for them.
void RefreshDesktopDatabases(const std::filesystem::path& dataHome,
                             const std::vector<std::filesystem::path>& written);

}  // namespace glimtap
