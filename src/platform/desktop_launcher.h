#pragma once

#include "platform/launcher.h"

namespace glimtap::platform {

// Starts programs directly and hands documents, folders and URLs to xdg-open, the
// freedesktop.org way of opening a thing with the program the user associates with it.
//
// What `file` means, in this order:
// - a URL (a scheme such as https: or mailto: first) that does not name a file here
//   goes to xdg-open;
// - a name without a slash that is a program on PATH is run;
// - a path to an executable file is run;
// - any other existing file or folder goes to xdg-open.
// "edit" never runs a program: it opens it like a document. When asked why a launch
// failed, it waits up to 3 s for xdg-open to hand over, and a failed xdg-open's status and
// output are the reason.
class DesktopLauncher : public Launcher {
public:
    bool Launch(std::u16string_view verb, const std::filesystem::path& file,
                std::string* error) override;
};

}  // namespace glimtap::platform
