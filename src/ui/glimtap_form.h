#pragma once

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QWidget;

namespace glimtap {

// The controls of the main form, in tab order. The widgets belong to the form widget.
struct GlimtapForm {
    QPushButton* selectImage = nullptr;        // "Select Image to Search on Screen..."
    QPushButton* selectScreenArea = nullptr;   // "Select Screen Area to be Searched..."
    QPushButton* previewScreenArea = nullptr;  // "Preview Screen Area..."
    QCheckBox* autoStop = nullptr;             // "Auto Stop After"
    QLineEdit* autoStopCount = nullptr;
    QCheckBox* speechAlerts = nullptr;         // "Speech Alert(s)"
    QCheckBox* beepForSearch = nullptr;        // "Beep for Search"
    QCheckBox* overlayOnMatch = nullptr;       // "Overlay on Matched"
    QLineEdit* matchDelay = nullptr;           // "Match Time Delay (ms) :"
    QLineEdit* tolerance = nullptr;            // "Tolerance :"
    QGroupBox* whenMatched = nullptr;          // "When Matched"
    QCheckBox* cursorToMatch = nullptr;        // "Cursor to Random Match Location"
    QCheckBox* execute = nullptr;              // "Execute"
    QLineEdit* executeFile = nullptr;
    QLineEdit* executeVerb = nullptr;
    QPushButton* test = nullptr;               // "Test"
    QCheckBox* touchAtMatch = nullptr;         // "Touch at Random Match Location"
    QPushButton* startStop = nullptr;          // "Start Image Search"
    QPushButton* exploreImages = nullptr;      // "Explore Images..."
    QTableWidget* fileList = nullptr;          // the template images
    QLabel* areaText = nullptr;                // the search area
    QLabel* counterText = nullptr;             // "Counter", then the tries and matches
    QProgressBar* progress = nullptr;          // busy while a search runs
    QLabel* hotKeyText = nullptr;              // the global hot key's name
};

// Creates the controls on `form` with their texts, arrangement, growth and tab order.
GlimtapForm BuildGlimtapForm(QWidget& form);

}  // namespace glimtap
