#pragma once

#include "platform/launcher.h"

namespace glimtap::platform {

// ShellExecuteExW with the verb: Windows itself decides what the name is (a program on
// PATH or by path, a document, a folder, a URL) and what opens or edits it.
class Win32Launcher : public Launcher {
public:
    bool Launch(std::u16string_view verb, const std::filesystem::path& file,
                std::string* error) override;
};

}  // namespace glimtap::platform
