#include "ui/image_library.h"

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
#include <filesystem>
#include <optional>
#include <system_error>

#include "engine/bmp_size.h"
#include "engine/template_folder.h"
#include "platform/utf16.h"
#include "ui/message_box.h"

namespace glimtap {
namespace {

const QString kCaption = QStringLiteral("Glimtap");

QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    // The name cell is what View opens, so it must keep the file's real name.
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

void AddRow(QTableWidget& list, const std::filesystem::path& file) {
    const BmpSize size = ReadBmpSize(file);
    const int row = list.rowCount();
    list.insertRow(row);
    list.setItem(row, 0, ReadOnlyItem(QString::number(row + 1)));
    list.setItem(row, 1, ReadOnlyItem(QString::fromStdU16String(FromPath(file.filename()))));
    list.setItem(row, 2, ReadOnlyItem(QString::number(size.width)));
    list.setItem(row, 3, ReadOnlyItem(QString::number(size.height)));
}

// Appends a row per bitmap of `folder`; returns why the folder could not be read.
std::error_code AddBitmapRows(QTableWidget& list, const std::filesystem::path& folder) {
    std::error_code failure;
    if (folder.empty() || !std::filesystem::exists(folder, failure)) return failure;
    for (const std::filesystem::path& file : ListTemplateFiles(folder, failure)) AddRow(list, file);
    return failure;
}

void Inform(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Information, kCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

// The name in the first selected row of `list`; tells the user when the list is empty or
// nothing is selected.
std::optional<QString> SelectedName(QWidget* owner, const QTableWidget& list) {
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
    const QTableWidgetItem* nameItem = list.item(row, 1);
    return nameItem != nullptr ? nameItem->text() : QString();
}

QString ExistsMessage(const QString& name) {
    return QStringLiteral("An image named \"%1\" already exists in the target folder.").arg(name);
}

// Why the user's `entered` name, which makes `newName`, cannot be the new name of a
// template of `folder`; empty when it can.
QString Refusal(const QString& entered, const QString& newName,
                const std::filesystem::path& folder) {
    if (entered.trimmed().isEmpty()) return QStringLiteral("Please enter a name for the image.");
    if (entered.contains(u'/')) return QStringLiteral("An image name cannot contain \"/\".");
    std::error_code error;
    const auto status =
        std::filesystem::symlink_status(folder / ToPath(newName.toStdU16String()), error);
    return std::filesystem::exists(status) ? ExistsMessage(newName) : QString();
}

}  // namespace

void RefreshImageList(QTableWidget& list, const std::u16string& folder, QString* error) {
    if (error != nullptr) error->clear();
    list.setRowCount(0);
    // Painted once at the end, however many files the folder holds.
    list.setUpdatesEnabled(false);
    const std::error_code failure = AddBitmapRows(list, ToPath(folder));
    list.setUpdatesEnabled(true);
    if (failure && error != nullptr) {
        *error = QStringLiteral("Cannot list the images of the folder \"%1\": %2.")
                     .arg(QString::fromStdU16String(folder),
                          QString::fromStdString(failure.message()));
    }
}

std::u16string PickTargetFolder(QWidget* owner, SearchSettings& settings) {
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
    settings.targetFolder = chosen.first().toStdU16String();
    return settings.targetFolder;
}

void ViewSelectedImage(QWidget* owner, const QTableWidget& list, const std::u16string& folder,
                       platform::Launcher& launcher) {
    const std::optional<QString> name = SelectedName(owner, list);
    if (!name) return;
    // Whether the image opened is not reported: the program that opens it shows its own
    // errors. "edit" hands it to the desktop's program for it: a file of the folder with
    // the execute bit set is shown, never run.
    launcher.Launch(u"edit", folder + u'/' + name->toStdU16String(), nullptr);
}

bool RenameSelectedImage(QWidget* owner, const QTableWidget& list, const std::u16string& folder) {
    const std::optional<QString> name = SelectedName(owner, list);
    if (!name) return false;
    // The user names the picture; the extension stays what it was.
    const qsizetype dot = name->lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name->mid(dot);
    bool accepted = false;
    QString entered = QInputDialog::getText(owner, QStringLiteral("Rename Image - ") + kCaption,
                                            QStringLiteral("New name of \"%1\":").arg(*name),
                                            QLineEdit::Normal, name->left(dot), &accepted);
    if (!accepted) return false;
    if (!extension.isEmpty() && entered.endsWith(extension, Qt::CaseInsensitive)) {
        entered.chop(extension.size());
    }
    const QString newName = entered + extension;
    if (newName == *name) return false;
    const std::filesystem::path directory = ToPath(folder);
    QString refusal = Refusal(entered, newName, directory);
    if (refusal.isEmpty()) {
        const std::filesystem::path from = directory / ToPath(name->toStdU16String());
        const std::filesystem::path to = directory / ToPath(newName.toStdU16String());
        // Never over a file that appeared since the check.
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        const std::error_code failure(errno, std::generic_category());
        refusal = failure == std::errc::file_exists
                      ? ExistsMessage(newName)
                      : QStringLiteral("Cannot rename \"%1\": %2.")
                            .arg(*name, QString::fromStdString(failure.message()));
    }
    ShowMessage(owner, QMessageBox::Warning, refusal);
    return false;
}

}  // namespace glimtap
