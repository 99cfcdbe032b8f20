#pragma once

#include <QString>
#include <QTableWidget>
#include <QWidget>

#include <string>

#include "engine/search_settings.h"
#include "platform/launcher.h"

// The template images of a document: the bitmaps of its target folder, listed on the form.
namespace glimtap {

// Refills `list` (columns Sr, Name, Width, Height) with the regular files of `folder`, links
// followed, whose extension is ".bmp" in any case, in the order the folder lists them. A
// missing folder leaves the list empty. When the folder cannot be read, the rows read so
// far stay and *error (when given) says why; otherwise *error is cleared.
void RefreshImageList(QTableWidget& list, const std::u16string& folder, QString* error);

// Asks for a folder. On success stores it in settings.targetFolder and returns it; returns
// "" and leaves the settings alone when the user cancels.
std::u16string PickTargetFolder(QWidget* owner, SearchSettings& settings);

// Opens the image selected in `list` (the first selected row) with the program the desktop
// associates with it; tells the user when the list is empty or nothing is selected.
void ViewSelectedImage(QWidget* owner, const QTableWidget& list, const std::u16string& folder,
                       platform::Launcher& launcher);

// Asks for a new name for the image selected in `list` and renames its file in `folder`,
// keeping its extension. Refuses, telling the user why, an empty name, a name with a "/"
// and the name of a file that exists. True when the file was renamed.
bool RenameSelectedImage(QWidget* owner, const QTableWidget& list, const std::u16string& folder);

}  // namespace glimtap
