#include "ui/glimtap_view.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

#include "engine/utf16.h"
#include "response/screen_overlay.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/x_drawing.h"
#include "support/x_keyboard.h"
#include "ui/data_exchange.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

BmpPicture Pattern() {
    BmpPicture picture{6, 5, {}};
    for (int i = 0; i < 30; ++i) picture.pixels.push_back(0xFF000000u | (i * 0x050301u + 0x204060u));
    return picture;
}

// Shows the form as the window with the keyboard focus; no window manager does that here.
void ShowActive(QWidget& form) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

// Answers the next message box and tells what it said.
struct Answered {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
};
std::shared_ptr<Answered> AnswerNextMessage() {
    auto answered = std::make_shared<Answered>();
    WhenModal<QMessageBox>([answered](QMessageBox& box) {
        *answered = {box.text(), box.icon(), box.windowTitle()};
        box.accept();
    });
    return answered;
}

TEST_F(ViewTest, InitialUpdateShowsTheNewDocumentAndRefusesToStartWithoutImages) {
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    const GlimtapForm& f = form.Form();

    EXPECT_TRUE(f.autoStop->isChecked());
    EXPECT_EQ(f.autoStopCount->text(), "1");
    EXPECT_FALSE(f.speechAlerts->isChecked());
    EXPECT_TRUE(f.overlayOnMatch->isChecked());
    EXPECT_EQ(f.matchDelay->text(), "500");
    EXPECT_EQ(f.tolerance->text(), "15");
    EXPECT_EQ(f.executeFile->text(), "notepad");
    EXPECT_EQ(f.executeVerb->text(), "open");
    EXPECT_EQ(f.counterText->text(), "Counter");
    EXPECT_EQ(f.areaText->text(), "Left : 0, Top : 0\n\nWidth : 1920, Height : 1080");
    EXPECT_EQ(f.hotKeyText->text(), "F6");
    EXPECT_EQ(form.HotKey(), "F6");
    EXPECT_EQ(host.resizes, 1);
    const fs::path folder = home / "data" / "Glimtap" / "Untitled";
    EXPECT_EQ(settings.targetFolder, FromPath(folder));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(f.fileList->rowCount(), 0);

    const auto answered = AnswerNextMessage();
    QTest::mouseClick(f.startStop, Qt::LeftButton);
    EXPECT_EQ(answered->text, "No Image(s) Configured Yet.");
    EXPECT_EQ(answered->icon, QMessageBox::Information);
    EXPECT_EQ(answered->caption, "Glimtap");
    EXPECT_FALSE(form.Search().IsRunning());
    EXPECT_EQ(f.counterText->text(), "Counter");
    EXPECT_EQ(f.startStop->text(), "Start Image Search");
}

TEST_F(ViewTest, TargetFolderIsTheStoredOneWhenItExistsElseTheTitlesDefault) {
    const fs::path stored = home / "stored";
    fs::create_directories(stored);
    WriteBmp(stored / "one.bmp", Pattern());
    WriteBmp(stored / "TWO.BMP", Pattern());
    settings.targetFolder = FromPath(stored);
    View().OnInitialUpdate();
    EXPECT_EQ(settings.targetFolder, FromPath(stored));
    EXPECT_EQ(View().Form().fileList->rowCount(), 2);

    settings.targetFolder = FromPath(home / "gone");
    host.title = u"Job.GlimtapDataFile";
    View().OnInitialUpdate();
    EXPECT_EQ(settings.targetFolder, FromPath(home / "data" / "Glimtap" / "Job"));
    EXPECT_EQ(View().Form().fileList->rowCount(), 0);
}

TEST_F(ViewTest, DataExchangeRunsBothWays) {
    CGlimtapView& form = View();
    const GlimtapForm& f = form.Form();
    settings.autoStopEnabled = 0;
    settings.autoStopCount = 9;
    settings.speechAlerts = 1;
    settings.overlayOnMatch = 0;
    settings.matchDelayMs = -20;
    settings.tolerance = 255;
    settings.moveCursorToMatch = 1;
    settings.touchAtMatch = 1;
    settings.executeEnabled = 1;
    settings.executeFile = u"/usr/bin/true";
    settings.executeVerb = u"edit";
    settings.beepForSearch = 1;
    form.UpdateData(false);
    EXPECT_FALSE(f.autoStop->isChecked());
    EXPECT_EQ(f.autoStopCount->text(), "9");
    EXPECT_TRUE(f.speechAlerts->isChecked());
    EXPECT_FALSE(f.overlayOnMatch->isChecked());
    EXPECT_EQ(f.matchDelay->text(), "-20");
    EXPECT_EQ(f.tolerance->text(), "255");
    EXPECT_TRUE(f.cursorToMatch->isChecked());
    EXPECT_TRUE(f.touchAtMatch->isChecked());
    EXPECT_TRUE(f.execute->isChecked());
    EXPECT_EQ(f.executeFile->text(), "/usr/bin/true");
    EXPECT_EQ(f.executeVerb->text(), "edit");
    EXPECT_TRUE(f.beepForSearch->isChecked());

    f.autoStop->setChecked(true);
    f.autoStopCount->setText(" 12 ");
    f.speechAlerts->setChecked(false);
    f.matchDelay->setText("+750");
    f.tolerance->setText("0");
    f.cursorToMatch->setChecked(false);
    f.executeFile->setText(QString::fromUtf8("gedit «x»"));
    f.beepForSearch->setChecked(false);
    ASSERT_TRUE(form.UpdateData(true));
    EXPECT_EQ(settings.autoStopEnabled, 1);
    EXPECT_EQ(settings.autoStopCount, 12);
    EXPECT_EQ(settings.speechAlerts, 0);
    EXPECT_EQ(settings.matchDelayMs, 750);
    EXPECT_EQ(settings.tolerance, 0);
    EXPECT_EQ(settings.moveCursorToMatch, 0);
    EXPECT_EQ(settings.touchAtMatch, 1);
    EXPECT_EQ(settings.executeFile, u"gedit «x»");
    EXPECT_EQ(settings.beepForSearch, 0);

    // The count takes digits only, as typed.
    f.autoStopCount->clear();
    QTest::keyClicks(f.autoStopCount, "4x-2");
    EXPECT_EQ(f.autoStopCount->text(), "42");
}

TEST_F(ViewTest, ARefusedValueIsPromptedWithTheFocusOnItsControl) {
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    const GlimtapForm& f = form.Form();

    f.autoStopCount->setText("7");
    f.matchDelay->setText("1.5");
    f.tolerance->setText("99");
    auto answered = AnswerNextMessage();
    EXPECT_FALSE(form.UpdateData(true));
    EXPECT_EQ(answered->text, "Please enter an integer.");
    EXPECT_EQ(answered->icon, QMessageBox::Warning);
    // The window's focus is on the control, whenever the window has the keyboard again.
    EXPECT_EQ(form.focusWidget(), f.matchDelay);
    EXPECT_EQ(f.matchDelay->selectedText(), "1.5");
    // What came before the refused control is taken, what comes after is not.
    EXPECT_EQ(settings.autoStopCount, 7);
    EXPECT_EQ(settings.matchDelayMs, 500);
    EXPECT_EQ(settings.tolerance, 15);

    // Out of range: the search does not start, a save still goes ahead.
    f.matchDelay->setText("10");
    f.tolerance->setText("300");
    WriteBmp(fs::path(ToPath(settings.targetFolder)) / "a.bmp", Pattern());
    form.OnRefreshFileNames();
    answered = AnswerNextMessage();
    QTest::mouseClick(f.startStop, Qt::LeftButton);
    EXPECT_EQ(answered->text, "Please enter an integer between 0 and 255.");
    EXPECT_EQ(form.focusWidget(), f.tolerance);
    EXPECT_FALSE(form.Search().IsRunning());
    EXPECT_EQ(settings.tolerance, 300);

    answered = AnswerNextMessage();
    form.OnSave();
    EXPECT_EQ(answered->text, "Please enter an integer between 0 and 255.");
    EXPECT_EQ(host.saves, std::vector<bool>{false});
    EXPECT_EQ(settings.suggestedFileName, u"Untitled");
    f.tolerance->setText("20");
    form.OnSaveAs();
    EXPECT_EQ(host.saves, (std::vector<bool>{false, true}));
}

TEST(ParseIntegerTest, TakesWholeNumbersWithBlanksAndSignOnly) {
    EXPECT_EQ(ParseInteger(" 12 "), 12);
    EXPECT_EQ(ParseInteger("-5"), -5);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("1.5"), std::nullopt);
    EXPECT_EQ(ParseInteger("12ab"), std::nullopt);
    EXPECT_EQ(ParseInteger("0x10"), std::nullopt);
    EXPECT_EQ(ParseInteger("2147483648"), std::nullopt);
}

TEST_F(ViewTest, ColumnsTakeTheirShareOfTheListOrTheProfilesWidthOnce) {
    profile.WriteProfileInt("Settings", "Column1", 250);
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    QTableWidget& list = *form.Form().fileList;
    const int width = list.width();
    ASSERT_GT(width, 300);
    EXPECT_EQ(list.columnWidth(0), width * 30 / 195);
    EXPECT_EQ(list.columnWidth(1), 250);
    EXPECT_EQ(list.columnWidth(2), width * 40 / 195);
    EXPECT_EQ(list.columnWidth(3), width * 40 / 195);
    EXPECT_EQ(list.horizontalHeaderItem(1)->text(), "Name");

    list.setColumnWidth(0, 77);
    form.OnInitialUpdate();
    EXPECT_EQ(list.columnWidth(0), 77);
    EXPECT_EQ(list.columnCount(), 4);
}

TEST_F(ViewTest, ContextMenuListsItsCommandsInOrder) {
    QStringList items;
    for (const QAction* action : View().ContextMenu().actions()) {
        items.append(action->isSeparator() ? "-" : action->text());
    }
    EXPECT_EQ(items, QStringList({"Select Image...", "-", "Select Screen Area...",
                                  "Preview Screen Area...", "-", "Explore Target Folder...", "-",
                                  "Refresh File Names", "-", "View Selected Image...",
                                  "Show Closest Match", "-",
                                  "Minimize", "-", "Exit"}));
}

TEST_F(ViewTest, ExploreTestAndHelpHandTheirTargetsToTheDesktop) {
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    ShowActive(form);
    const GlimtapForm& f = form.Form();
    const std::string folder = ToUtf8(settings.targetFolder);

    QTest::mouseClick(f.exploreImages, Qt::LeftButton);
    f.executeFile->setText("/tmp/some file.txt");
    f.executeVerb->setText("edit");
    QTest::mouseClick(f.test, Qt::LeftButton);
    QTest::keyClick(f.tolerance, Qt::Key_F1);
    using Call = RecordingLauncher::Call;
    EXPECT_EQ(launcher.calls, (std::vector<Call>{{"", folder},
                                                 {"edit", "/tmp/some file.txt"},
                                                 {"open", "https://glimtap.example/help"}}));
    // Test runs what is typed; the settings keep their own values until taken.
    EXPECT_EQ(settings.executeFile, u"notepad");
}

TEST_F(ViewTest, DraggingTheBackgroundMovesTheWindow) {
    CGlimtapView& form = View();
    form.move(100, 100);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QPoint before = form.pos();
    const QPoint grip(2, 2);  // the form's margin, no control there
    const QPoint globalGrip = form.mapToGlobal(grip);
    QMouseEvent press(QEvent::MouseButtonPress, grip, globalGrip, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&form, &press);
    QMouseEvent move(QEvent::MouseMove, grip + QPoint(40, 25), globalGrip + QPoint(40, 25),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, grip + QPoint(40, 25),
                        globalGrip + QPoint(40, 25), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &release);
    EXPECT_EQ(form.pos(), before + QPoint(40, 25));
}

TEST_F(ViewTest, HotKeyFallsBackToF7AndTogglesTheSearchLikeTheButton) {
    OtherClient blocker;
    OtherClient keyboard;
    ASSERT_TRUE(blocker.GrabKey(XK_F6, 0));
    WriteBmp(DefaultFolder() / "a.bmp", Pattern());
    settings.matchDelayMs = 5;
    settings.autoStopEnabled = 0;
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    EXPECT_EQ(form.HotKey(), "F7");
    EXPECT_EQ(form.Form().hotKeyText->text(), "F7");

    keyboard.Tap(XK_F7);
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Search().IsRunning(); }));
    EXPECT_EQ(form.Form().startStop->text(), "Stop Image Search");
    keyboard.Tap(XK_F7);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !form.Search().IsRunning(); }));
    EXPECT_EQ(form.Form().startStop->text(), "Start Image Search");
}

TEST_F(ViewTest, ASearchFromTheButtonCountsTriesAndMatchesUntilItStopsItself) {
    ScreenPainter painter;
    painter.FillRoot(0);
    const BmpPicture picture = Pattern();
    painter.DrawOnRoot(1700, 900, picture.width, picture.height, picture.pixels);
    WriteBmp(DefaultFolder() / "a.bmp", picture);
    settings.matchDelayMs = 5;
    settings.autoStopCount = 2;
    settings.tolerance = 0;
    // A marker over the match would hide it from the next pass (and Xvfb does not redraw
    // what the painter put on the root once the marker leaves).
    settings.overlayOnMatch = 0;
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    const GlimtapForm& f = form.Form();

    QTest::mouseClick(f.startStop, Qt::LeftButton);
    EXPECT_EQ(f.startStop->text(), "Stop Image Search");
    EXPECT_EQ(f.progress->maximum(), 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !form.Search().IsRunning(); }));
    EXPECT_EQ(f.counterText->text(), "Tried : 2, Matched : 2");
    EXPECT_EQ(f.startStop->text(), "Start Image Search");
    EXPECT_EQ(f.progress->maximum(), 100);
    EXPECT_EQ(f.progress->value(), 0);
}

}  // namespace
}  // namespace glimtap::test

namespace glimtap::test {
namespace {

TEST_F(ViewTest, MatchesAndThePreviewAreMarkedOnScreen) {
    settings.areaLeft = 100;
    settings.areaTop = 50;
    settings.areaWidth = 300;
    settings.areaHeight = 200;
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    const auto markers = [] {
        std::vector<QRect> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (dynamic_cast<CScreenOverlay*>(w) && w->isVisible()) found.push_back(w->geometry());
        }
        return found;
    };
    form.OnShowOverlay(MatchReport{"a.bmp", 40, 20, {700, 400}});
    form.OnPreviewScreenArea();
    std::vector<QRect> shown = markers();
    std::sort(shown.begin(), shown.end(), [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    EXPECT_EQ(shown, (std::vector<QRect>{QRect(100, 50, 300, 200), QRect(700, 400, 40, 20)}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return markers().empty(); }));
}

TEST_F(ViewTest, ATryThatFindsNothingShowsAndMarksWhereItCameClosest) {
    ScreenPainter painter;
    painter.FillRoot(0);
    BmpPicture picture = RandomPicture(40, 20, 8);
    painter.DrawOnRoot(1500, 800, 40, 20, picture.pixels);
    ShiftChannel(picture.pixels[10 * 40 + 3], 0, 40);
    WriteBmp(DefaultFolder() / "a.bmp", picture);
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return host.statusMessages.contains(u"Closest: 1500, 800 \u2014 needs tolerance 40"); }))
        << host.statusMessages.join('|').toStdString();
    form.OnStartStopSearch();
    form.OnShowClosestMatch();
    std::vector<QRect> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (dynamic_cast<CScreenOverlay*>(w) && w->isVisible()) shown.push_back(w->geometry());
    }
    EXPECT_EQ(shown, (std::vector<QRect>{QRect(1500, 800, 40, 20)}));
}

}  // namespace
}  // namespace glimtap::test
