#pragma once

#include <QDialog>

namespace glimtap {

// The user's manual, shipped inside the program, in a window of its own beside the main one.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

}  // namespace glimtap
