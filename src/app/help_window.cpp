#include "app/help_window.h"

#include <QDialogButtonBox>
#include <QUrl>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/dialog_units.h"

namespace glimtap {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Glimtap Help"));
    auto* page = new QTextBrowser(this);
    // Web links go to the desktop's browser; the manual itself needs none.
    page->setOpenExternalLinks(true);
    page->setSource(QUrl(QStringLiteral("qrc:/manual.html")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page);
    layout->addWidget(buttons);
    resize(DialogUnits(font()).Size(320, 300));
}

}  // namespace glimtap
