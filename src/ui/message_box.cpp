#include "ui/message_box.h"

namespace glimtap {

void ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, kAppName, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace glimtap
