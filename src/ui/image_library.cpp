#include "ui/image_library.h"

#include <QByteArray>
#include <QFileDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QStringList>
#include <QTableWidgetItem>

#include <fcntl.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/template_folder.h"
#include "qt_support/path_text.h"

namespace glimtap {
namespace {

const QString kCaption = QStringLiteral("Glimtap");

// The name cell keeps the file's path: a name shown as text need not be the file's bytes.
constexpr int kPathRole = Qt::UserRole;

QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

void AddRow(QTableWidget& list, const TemplateFile& file) {
    const int row = list.rowCount();
    list.insertRow(row);
    QTableWidgetItem* const cells[] = {
        ReadOnlyItem(QString::number(row + 1)), ReadOnlyItem(PathText(file.path.filename())),
        ReadOnlyItem(QString::number(file.image.width)), ReadOnlyItem(QString::number(file.image.height))};
    cells[1]->setData(kPathRole, QByteArray::fromStdString(file.path.native()));
    if (!file.unreadable.empty()) {
        // Still listed, so that it can be viewed or renamed; greyed, since no search finds it.
        const QString reason = QString::fromStdString(file.unreadable);
        cells[2]->setText(reason);
        cells[3]->setText(QString());
        for (QTableWidgetItem* cell : cells) {
            cell->setForeground(list.palette().brush(QPalette::Disabled, QPalette::Text));
            cell->setToolTip(reason);
        }
        list.setSpan(row, 2, 1, 2);
    }
    for (int column = 0; column < 4; ++column) list.setItem(row, column, cells[column]);
}

std::filesystem::path FileOfRow(const QTableWidget& list, int row) {
    const QTableWidgetItem* nameItem = list.item(row, 1);
    if (nameItem == nullptr) return {};
    return nameItem->data(kPathRole).toByteArray().toStdString();
}

void Inform(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Information, kCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

QString ExistsMessage(const std::filesystem::path& file) {
    return QStringLiteral("An image named \"%1\" already exists in the target folder.")
        .arg(PathText(file.filename()));
}

// Stays open, with what was typed and why, while `attempt` refuses the name.
class RenameBox : public QInputDialog {
public:
    RenameBox(QWidget* owner, QString prompt, std::function<QString(const QString&)> attempt)
        : QInputDialog(owner), prompt_(std::move(prompt)), attempt_(std::move(attempt)) {
        setWindowTitle(QStringLiteral("Rename Image - ") + kCaption);
        setLabelText(prompt_);
    }

    void done(int result) override {
        const QString refusal = result == Accepted ? attempt_(textValue()) : QString();
        if (refusal.isEmpty()) return QInputDialog::done(result);
        setLabelText(refusal + QStringLiteral("\n\n") + prompt_);
    }

private:
    const QString prompt_;
    const std::function<QString(const QString&)> attempt_;
};

// Renames `file` to `entered` with the file's extension; why not when it cannot be, empty
// when renamed (then *renamed is set) or when the name stays.
QString TryRename(const std::filesystem::path& file, QString entered,
                  std::optional<std::filesystem::path>& renamed) {
    const QString extension = PathText(file.extension());
    if (!extension.isEmpty() && entered.endsWith(extension, Qt::CaseInsensitive)) {
        entered.chop(extension.size());
    }
    if (entered.trimmed().isEmpty()) return QStringLiteral("Please enter a name for the image.");
    if (entered.contains(u'/')) return QStringLiteral("An image name cannot contain \"/\".");
    // The name as offered keeps the file's own bytes, shown as text or not.
    if (entered == PathText(file.stem())) return {};
    std::filesystem::path to = file.parent_path() / TextPath(entered);
    to += file.extension();
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, error))) return ExistsMessage(to);
    // Never over a file that appeared since the check.
    if (renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        const std::error_code failure(errno, std::generic_category());
        if (failure == std::errc::file_exists) return ExistsMessage(to);
        return QStringLiteral("Cannot rename \"%1\": %2.")
            .arg(PathText(file.filename()), QString::fromStdString(failure.message()));
    }
    renamed = std::move(to);
    return {};
}

}  // namespace

void RefreshImageList(QTableWidget& list, const std::filesystem::path& folder, QString* error) {
    if (error != nullptr) error->clear();
    list.setRowCount(0);
    list.clearSpans();
    std::error_code failure;
    std::vector<TemplateFile> files;
    if (!folder.empty() && std::filesystem::exists(folder, failure)) files = ListTemplates(folder, failure);
    // Painted once at the end, however many files the folder holds.
    list.setUpdatesEnabled(false);
    for (const TemplateFile& file : files) AddRow(list, file);
    list.setUpdatesEnabled(true);
    if (failure && error != nullptr) {
        *error = QStringLiteral("Cannot list the images of the folder \"%1\": %2.")
                     .arg(PathText(folder), QString::fromStdString(failure.message()));
    }
}

void SelectImage(QTableWidget& list, const std::filesystem::path& file) {
    for (int row = 0; row < list.rowCount(); ++row) {
        if (FileOfRow(list, row) != file) continue;
        list.setCurrentCell(row, 1);
        list.selectRow(row);
        return;
    }
}

std::optional<std::filesystem::path> SelectedImage(QWidget* owner, const QTableWidget& list) {
    if (list.rowCount() == 0) {
        Inform(owner, QStringLiteral("No Image(s) Selected Yet.\n\n"
                                     "Select an Image from the List at bottom and then try "
                                     "again."));
        return std::nullopt;
    }
    const QModelIndexList selected = list.selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        Inform(owner,
               QStringLiteral("Select an Image from the List at bottom and then try again."));
        return std::nullopt;
    }
    const int row = std::min_element(selected.begin(), selected.end(),
                                     [](const QModelIndex& a, const QModelIndex& b) {
                                         return a.row() < b.row();
                                     })
                        ->row();
    return FileOfRow(list, row);
}

std::filesystem::path PickTargetFolder(QWidget* owner, SearchSettings& settings) {
    QFileDialog dialog(owner);
    dialog.setWindowTitle(
        QStringLiteral("Select Target Folder to Store Selected Images for this Document - ") +
        kCaption);
    dialog.setFileMode(QFileDialog::Directory);
    // Qt's own dialog: the same everywhere, and tests can drive it.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Select Folder"));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    settings.targetFolder = TextPath(chosen.first());
    return settings.targetFolder;
}

void ViewSelectedImage(QWidget* owner, const QTableWidget& list, platform::Launcher& launcher) {
    // Whether the image opened is not reported: the program that opens it shows its own
    // errors. "edit" hands it to the desktop's program for it: a file of the folder with
    // the execute bit set is shown, never run.
    if (const auto file = SelectedImage(owner, list)) launcher.Launch(u"edit", *file, nullptr);
}

std::optional<std::filesystem::path> RenameImage(QWidget* owner, const std::filesystem::path& file) {
    std::optional<std::filesystem::path> renamed;
    RenameBox box(owner, QStringLiteral("New name of \"%1\":").arg(PathText(file.filename())),
                  [&](const QString& entered) { return TryRename(file, entered, renamed); });
    box.setTextValue(PathText(file.stem()));
    box.exec();
    return renamed;
}

}  // namespace glimtap
