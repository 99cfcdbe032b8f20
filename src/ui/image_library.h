#pragma once

#include <QString>
#include <QTableWidget>
#include <QWidget>

#include <filesystem>
#include <optional>

#include "engine/search_settings.h"
#include "platform/launcher.h"

// The template images of a document: the bitmaps of its target folder, listed on the form.
namespace glimtap {

// Refills `list` (columns Sr, Name, Width, Height) with the templates of `folder` in the
// engine's order (ListTemplates). A file the search cannot use is greyed, with the reason
// in place of its size. A missing folder leaves the list empty. When the folder cannot be
// read, the rows read so far stay and *error (when given) says why; otherwise *error is
// cleared.
void RefreshImageList(QTableWidget& list, const std::filesystem::path& folder, QString* error);

// Selects the row of `file`, when it is listed.
void SelectImage(QTableWidget& list, const std::filesystem::path& file);

// The file of the first selected row; tells the user when the list is empty or nothing is
// selected.
std::optional<std::filesystem::path> SelectedImage(QWidget* owner, const QTableWidget& list);

// Asks for a folder. On success stores it in settings.targetFolder and returns it; returns
// an empty path and leaves the settings alone when the user cancels.
std::filesystem::path PickTargetFolder(QWidget* owner, SearchSettings& settings);

// Opens the image selected in `list` with the program the desktop associates with it.
void ViewSelectedImage(QWidget* owner, const QTableWidget& list, platform::Launcher& launcher);

// Asks for a new name for `file`, offering the one it has, and renames it keeping its
// extension. While the name is refused (empty, containing "/", the name of a file that
// exists) the box stays open with what was typed and the reason. The new path, or nullopt
// when the name was kept or the box cancelled.
std::optional<std::filesystem::path> RenameImage(QWidget* owner, const std::filesystem::path& file);

}  // namespace glimtap
