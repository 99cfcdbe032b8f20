#include "app/status_line.h"

#include <QFontMetrics>

#include <algorithm>

namespace glimtap {
namespace {

// Where QStatusBar draws its message: from 6 pixels in to 2 before the first pane it shows
// at its right, or 12 before its end.
constexpr int kLeftMargin = 6;
constexpr int kRightMargin = 12;
constexpr int kPaneGap = 2;

}  // namespace

void StatusLine::ShowNote(const QString& text) {
    note_ = text;
    Fit();
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    Fit();
}

void StatusLine::Fit() {
    int right = width() - kRightMargin;
    for (const QWidget* pane : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (pane->isVisible()) right = std::min(right, pane->x() - kPaneGap);
    }
    const QString shown = fontMetrics().elidedText(note_, Qt::ElideRight, right - kLeftMargin);
    setToolTip(shown == note_ ? QString() : note_);
    showMessage(shown);
}

}  // namespace glimtap
