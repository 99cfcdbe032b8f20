#include "ui/glimtap_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

#include "ui/data_exchange.h"
#include "ui/dialog_units.h"

namespace glimtap {
namespace {

// Template of the form in dialog units; the form never lays out smaller than this.
constexpr int kFormWidth = 431;
constexpr int kFormHeight = 325;
constexpr int kMargin = 7;

QPushButton* MakeButton(QWidget& form, const char* text, QSize minimum) {
    auto* button = new QPushButton(QString::fromLatin1(text), &form);
    button->setMinimumSize(minimum);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

QLineEdit* MakeEdit(QWidget& form, int width) {
    auto* edit = new QLineEdit(&form);
    edit->setFixedWidth(width);
    return edit;
}

QLabel* MakeCentredLabel(QWidget& form, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), &form);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QTableWidget* MakeImageList(QWidget& form, const DialogUnits& du) {
    auto* list = new QTableWidget(0, 4, &form);
    list->setHorizontalHeaderLabels({"Sr", "Name", "Width", "Height"});
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setMinimumHeight(du.Y(71));
    list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return list;
}

// Buttons at the left and right edge with something centred between them: the centre
// keeps to the middle and the right button to the right edge as the form grows.
QHBoxLayout* EdgeRow(QWidget* left, QLayout* middle, QWidget* right) {
    auto* row = new QHBoxLayout;
    row->addWidget(left, 0, Qt::AlignTop);
    row->addLayout(middle, 1);
    row->addWidget(right, 0, Qt::AlignTop);
    return row;
}

void SetToolTips(const GlimtapForm& f) {
    const std::pair<QWidget*, const char*> tips[] = {
        {f.selectImage, "Cut a new template out of the screen into the target folder"},
        {f.selectScreenArea, "Drag the rectangle of the screen that the search watches"},
        {f.previewScreenArea, "Mark the search area on the screen for a moment"},
        {f.autoStop, "Stop the search after this many matches"},
        {f.autoStopCount, "Matches before the search stops by itself (0 or more)"},
        {f.speechAlerts, "Say when the search starts and stops"},
        {f.beepForSearch, "Beep for every template tried"},
        {f.overlayOnMatch, "Mark every match on the screen for a moment"},
        {f.matchDelay, "Pause after every pass over the templates, in milliseconds (0: no pause)"},
        {f.tolerance, "How far each colour channel of a pixel may differ from the template (0 to 255)"},
        {f.cursorToMatch, "Move the pointer to a random point inside the match"},
        {f.execute, "Run the command below at every match"},
        {f.executeFile, "A program, file, folder or URL to open at every match"},
        {f.executeVerb, "How to open it: open (or empty) or edit"},
        {f.test, "Run the command now, as a match would"},
        {f.touchAtMatch, "Tap a random point inside the match"},
        {f.startStop, "Start or stop the search (also the hot key above)"},
        {f.exploreImages, "Open the target folder, which holds the templates"},
        {f.fileList, "The templates of the target folder; double-click one to view it"},
    };
    for (const auto& [widget, tip] : tips) widget->setToolTip(QString::fromLatin1(tip));
}

}  // namespace

GlimtapForm BuildGlimtapForm(QWidget& form) {
    const DialogUnits du(form.font());
    GlimtapForm f;

    f.selectImage = MakeButton(form, "Select Image to Search on Screen...", du.Size(149, 36));
    f.selectScreenArea = MakeButton(form, "Select Screen Area to be Searched...", du.Size(148, 36));
    f.previewScreenArea = MakeButton(form, "Preview Screen Area...", du.Size(149, 36));
    f.autoStop = new QCheckBox("Auto Stop After", &form);
    f.autoStopCount = MakeEdit(form, du.X(40));
    f.speechAlerts = new QCheckBox("Speech Alert(s)", &form);
    f.beepForSearch = new QCheckBox("Beep for Search", &form);
    f.overlayOnMatch = new QCheckBox("Overlay on Matched", &form);
    f.matchDelay = MakeEdit(form, du.X(40));
    f.tolerance = MakeEdit(form, du.X(40));
    f.whenMatched = new QGroupBox("When Matched", &form);
    f.cursorToMatch = new QCheckBox("Cursor to Random Match Location", f.whenMatched);
    f.execute = new QCheckBox("Execute", f.whenMatched);
    f.executeFile = new QLineEdit(f.whenMatched);
    f.executeFile->setMinimumWidth(du.X(225));
    f.executeVerb = new QLineEdit(f.whenMatched);
    f.executeVerb->setFixedWidth(du.X(72));
    f.test = new QPushButton("Test", f.whenMatched);
    f.test->setMinimumSize(du.Size(50, 14));
    f.test->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    f.touchAtMatch = new QCheckBox("Touch at Random Match Location", f.whenMatched);
    f.startStop = MakeButton(form, "Start Image Search", du.Size(148, 36));
    f.exploreImages = MakeButton(form, "Explore Images...", du.Size(148, 36));
    f.fileList = MakeImageList(form, du);
    f.areaText = MakeCentredLabel(form, "Static");
    f.areaText->setMinimumSize(du.X(141), 3 * form.fontMetrics().lineSpacing());
    f.counterText = MakeCentredLabel(form, "Counter");
    // The counts grow during a run; the buttons beside them must stay where they are, with
    // room for 7 digits each.
    f.counterText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    f.counterText->setMinimumWidth(
        form.fontMetrics().horizontalAdvance(QStringLiteral("Tried : 8888888, Matched : 8888888")));
    f.progress = new QProgressBar(&form);
    f.progress->setRange(0, 100);
    f.progress->setValue(0);
    // A busy bar shows no text; an idle one says so instead of looking like an empty box.
    f.progress->setFormat(QStringLiteral("Idle"));
    f.progress->setAlignment(Qt::AlignCenter);
    f.progress->setFixedHeight(du.Y(14));
    f.progress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    f.hotKeyText = MakeCentredLabel(form, "Keyboard Shortcut");
    SetUpNumberFields(f);
    SetToolTips(f);

    auto* top = new QVBoxLayout;
    top->addWidget(f.hotKeyText, 0, Qt::AlignCenter);
    auto* topRow = EdgeRow(f.selectImage, top, f.selectScreenArea);

    auto* switches = new QGridLayout;
    switches->setHorizontalSpacing(du.X(3));
    switches->setVerticalSpacing(du.Y(6));
    switches->setColumnMinimumWidth(0, du.X(67));
    switches->addWidget(f.autoStop, 0, 0);
    switches->addWidget(f.autoStopCount, 0, 1);
    switches->addWidget(new QLabel("Match(es) Found", &form), 0, 2);
    switches->addWidget(f.speechAlerts, 1, 0);
    switches->addWidget(f.beepForSearch, 1, 1, 1, 2);
    switches->addWidget(f.overlayOnMatch, 2, 0, 1, 3);
    auto* numbers = new QHBoxLayout;
    numbers->setSpacing(du.X(4));
    numbers->addWidget(new QLabel("Match Time Delay (ms) :", &form));
    numbers->addWidget(f.matchDelay);
    numbers->addSpacing(du.X(8));
    numbers->addWidget(new QLabel("Tolerance :", &form));
    numbers->addWidget(f.tolerance);
    numbers->addStretch(1);
    auto* settings = new QVBoxLayout;
    settings->setContentsMargins(du.X(5), 0, 0, 0);
    settings->setSpacing(du.Y(6));
    settings->addLayout(switches);
    settings->addLayout(numbers);
    settings->addStretch(1);
    auto* area = new QVBoxLayout;
    area->setSpacing(du.Y(6));
    area->addWidget(f.previewScreenArea, 0, Qt::AlignRight);
    area->addWidget(f.areaText, 0, Qt::AlignRight);
    auto* middleRow = new QHBoxLayout;
    middleRow->addLayout(settings);
    middleRow->addStretch(1);
    middleRow->addLayout(area);

    auto* actions = new QGridLayout(f.whenMatched);
    actions->setHorizontalSpacing(du.X(6));
    actions->addWidget(f.cursorToMatch, 0, 0);
    actions->addWidget(f.execute, 0, 1);
    actions->addWidget(f.executeFile, 0, 2, 1, 3);
    actions->addWidget(f.touchAtMatch, 1, 0);
    actions->addWidget(f.executeVerb, 1, 2);
    actions->addWidget(f.test, 1, 4);
    actions->setColumnStretch(3, 1);

    auto* progress = new QVBoxLayout;
    progress->setContentsMargins(du.X(20), 0, du.X(20), 0);
    progress->addWidget(f.progress);
    progress->addStretch(1);
    progress->addWidget(f.counterText);
    auto* searchRow = EdgeRow(f.startStop, progress, f.exploreImages);

    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(du.X(kMargin), du.Y(kMargin), du.X(kMargin), du.Y(kMargin));
    layout->setSpacing(du.Y(8));
    layout->addLayout(topRow);
    layout->addLayout(middleRow);
    layout->addWidget(f.whenMatched);
    layout->addLayout(searchRow);
    layout->addWidget(f.fileList, 1);
    form.setMinimumSize(du.Size(kFormWidth, kFormHeight).expandedTo(layout->minimumSize()));

    QWidget* tabOrder[] = {f.selectImage,   f.selectScreenArea, f.previewScreenArea,
                           f.autoStop,      f.autoStopCount,    f.speechAlerts,
                           f.beepForSearch, f.overlayOnMatch,   f.matchDelay,
                           f.tolerance,     f.cursorToMatch,    f.execute,
                           f.executeFile,   f.executeVerb,      f.test,
                           f.touchAtMatch,  f.startStop,        f.exploreImages,
                           f.fileList};
    for (size_t i = 1; i < std::size(tabOrder); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    return f;
}

}  // namespace glimtap
