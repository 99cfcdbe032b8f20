#pragma once

#include <QStatusBar>
#include <QString>

namespace glimtap {

// The main window's status bar. A note longer than the room left of the panes is cut short
// with "…", and then the whole note is the bar's tooltip.
class StatusLine : public QStatusBar {
    Q_OBJECT

public:
    using QStatusBar::QStatusBar;

    void ShowNote(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Fit();

    QString note_;
};

}  // namespace glimtap
