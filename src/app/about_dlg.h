#pragma once

#include <QDialog>

namespace glimtap {

// The About box: icon, name and version, support address, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace glimtap
