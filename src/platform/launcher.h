#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace glimtap::platform {

// Opens what the user named: a document, folder or URL with the program the desktop
// associates with it, or a program (a path or a name on PATH) as a process of its own, never
// through a shell. Any thread may call; nothing is thrown.
class Launcher {
public:
    virtual ~Launcher() = default;
    // `verb` is "open" (or empty) or "edit"; anything else is refused. Returns once the
    // program has started, not when it ends. On failure *error (when given) says why; to
    // know it, the call may wait a few seconds for a helper that hands the thing over.
    virtual bool Launch(std::u16string_view verb, const std::filesystem::path& file,
                        std::string* error) = 0;
};

}  // namespace glimtap::platform
