#pragma once

#include <QMessageBox>
#include <QString>

namespace glimtap {

// The program's name, the caption of its message boxes and the end of its window title.
inline const QString kAppName = QStringLiteral("Glimtap");

// A modal message box with an OK button and the program's name as caption.
void ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text);

}  // namespace glimtap
