#pragma once

#include <QString>

#include <filesystem>
#include <optional>

class QWidget;

namespace glimtap {

// The file dialogs of the document commands.
class CCustomDocManager {
public:
    // Asks for a data file to open (openFileDialog) or to save to, starting in the user's
    // desktop folder every time; a save offers `suggestedFileName` and asks before it
    // overwrites. Returns the full path chosen; nullopt when the user cancels.
    std::optional<QString> DoPromptFileName(QWidget* owner, bool openFileDialog,
                                            const std::filesystem::path& suggestedFileName) const;
};

}  // namespace glimtap
