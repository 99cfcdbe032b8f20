#include "app/custom_doc_manager.h"

#include <QFileDialog>
#include <QStandardPaths>

#include "qt_support/path_text.h"
#include "ui/message_box.h"

namespace glimtap {

std::optional<QString> CCustomDocManager::DoPromptFileName(
    QWidget* owner, bool openFileDialog, const std::filesystem::path& suggestedFileName) const {
    QFileDialog dialog(owner);
    // Qt's own dialog looks the same on every desktop and honours every setting below.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("Glimtap Files (*.GlimtapDataFile)"));
    dialog.setDefaultSuffix(QStringLiteral("GlimtapDataFile"));
    dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (openFileDialog) {
        dialog.setWindowTitle(QStringLiteral("Select File Path to Load Data File - ") + kAppName);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A name that does not exist is refused when it is read, with the reason.
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setWindowTitle(QStringLiteral("Select File Path to Store Data File - ") + kAppName);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectFile(PathText(suggestedFileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace glimtap
