#include "ui/image_library.h"

#include <QFileDialog>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QStringList>
#include <QTableWidgetItem>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/bmp_size.h"
#include "engine/template_folder.h"
#include "engine/utf16.h"

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
    if (list.rowCount() == 0) {
        Inform(owner, QStringLiteral("No Image(s) Selected Yet.\n\n"
                                     "Select an Image from the List at bottom and then try "
                                     "again."));
        return;
    }
    const QModelIndexList selected = list.selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        Inform(owner,
               QStringLiteral("Select an Image from the List at bottom and then try again."));
        return;
    }
    const int row = std::min_element(selected.begin(), selected.end(),
                                     [](const QModelIndex& a, const QModelIndex& b) {
                                         return a.row() < b.row();
                                     })
                        ->row();
    const QTableWidgetItem* nameItem = list.item(row, 1);
    const QString name = nameItem != nullptr ? nameItem->text() : QString();
    // Whether the image opened is not reported: the program that opens it shows its own
    // errors. "edit" hands it to the desktop's program for it: a file of the folder with
    // the execute bit set is shown, never run.
    launcher.Launch(u"edit", folder + u'/' + name.toStdU16String(), nullptr);
}

}  // namespace glimtap
