#pragma once

#include <filesystem>
#include <optional>

#include "platform/backend_set.h"
#include "ui/profile.h"

class QWidget;

namespace glimtap {

// A snip that got as far as capturing: the new template's path, or nothing when the
// bitmap could not be made (the folder vanished, the capture or the write failed).
struct SnipAttempt {
    std::optional<std::filesystem::path> file;
};

// Lets the user drag a rectangle on the area selector and writes what the screen showed
// there when the selector opened as a new bitmap in `targetFolder`. nullopt when nothing
// was tried (cancelled, or an empty rectangle); after an attempt, failed or not, the
// template list wants a refresh.
std::optional<SnipAttempt> SnipNewTemplate(QWidget* owner, Profile& profile,
                                           const std::filesystem::path& targetFolder,
                                           platform::BackendSet& backends);

}  // namespace glimtap
