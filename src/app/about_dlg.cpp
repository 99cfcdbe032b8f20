#include "app/about_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog_units.h"

namespace glimtap {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Glimtap");
    const DialogUnits du(font());
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/glimtap.svg")).pixmap(48, 48));
    auto* name = new QLabel(QStringLiteral("Glimtap, Version ") + QStringLiteral(GLIMTAP_VERSION), this);
    name->setTextFormat(Qt::PlainText);
    auto* support = new QLabel("support@glimtap.example", this);
    support->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(du.X(14), du.Y(14), du.X(7), du.Y(7));
    layout->setHorizontalSpacing(du.X(7));
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(name, 0, 1, Qt::AlignTop);
    layout->setRowStretch(1, 1);
    layout->addWidget(support, 2, 0, 1, 2, Qt::AlignBottom);
    layout->addWidget(buttons, 2, 2, Qt::AlignBottom);
    setMinimumSize(du.Size(225, 86));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace glimtap
