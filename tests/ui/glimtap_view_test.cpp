#include "ui/glimtap_view.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

#include "engine/utf16.h"
#include "platform/backends.h"
#include "response/screen_overlay.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/x_drawing.h"
#include "support/x_keyboard.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

BmpPicture Pattern() {
    BmpPicture picture{6, 5, {}};
    for (int i = 0; i < 30; ++i) picture.pixels.push_back(0xFF000000u | (i * 0x050301u + 0x204060u));
    return picture;
}

// Answers the next message box; its text lands in the returned string.
std::shared_ptr<QString> AnswerNextMessage() {
    auto text = std::make_shared<QString>();
    WhenModal<QMessageBox>([text](QMessageBox& box) {
        *text = box.text();
        box.accept();
    });
    return text;
}

TEST_F(ViewTest, ControlsAndSettingsExchangeBothWays) {
    // A stored value outside its field's range is shown and kept as it is.
    settings.matchDelayMs = -20;
    settings.autoStopEnabled = 0;
    settings.executeFile = u"gedit «x»";
    View().OnInitialUpdate();
    const GlimtapForm& f = View().Form();
    EXPECT_EQ(f.matchDelay->text(), "-20");
    EXPECT_EQ(f.executeFile->text(), QString::fromUtf8("gedit «x»"));
    struct Row {
        QWidget* control;
        QString value;
        AtomicInt32* field;
        int32_t taken;
    };
    const Row rows[] = {
        {f.autoStop, "1", &settings.autoStopEnabled, 1},     {f.autoStopCount, " 12 ", &settings.autoStopCount, 12},
        {f.speechAlerts, "1", &settings.speechAlerts, 1},    {f.overlayOnMatch, "0", &settings.overlayOnMatch, 0},
        {f.tolerance, "0", &settings.tolerance, 0},          {f.cursorToMatch, "1", &settings.moveCursorToMatch, 1},
        {f.touchAtMatch, "1", &settings.touchAtMatch, 1},    {f.execute, "1", &settings.executeEnabled, 1},
        {f.beepForSearch, "1", &settings.beepForSearch, 1},
    };
    for (const Row& row : rows) {
        if (auto* box = qobject_cast<QCheckBox*>(row.control)) box->setChecked(row.value == "1");
        if (auto* edit = qobject_cast<QLineEdit*>(row.control)) edit->setText(row.value);
    }
    f.executeVerb->setText("edit");
    const auto message = AnswerNextMessage();
    EXPECT_FALSE(View().UpdateData(true));  // the kept delay is still refused
    EXPECT_EQ(*message, "Match Time Delay (ms) must be a whole number from 0 to 86400000.");
    for (const Row& row : rows) EXPECT_EQ(*row.field, row.taken) << row.control->metaObject()->className();
    EXPECT_EQ(settings.matchDelayMs, -20);
    EXPECT_EQ(settings.executeVerb, u"edit");
    settings.tolerance = 200;
    View().UpdateData(false);
    EXPECT_EQ(f.tolerance->text(), "200");
}

TEST_F(ViewTest, NumberFieldsTakeDigitsOnlyAndRefusalsNameFieldAndRange) {
    View().OnInitialUpdate();
    const GlimtapForm& f = View().Form();
    for (QLineEdit* edit : {f.autoStopCount, f.matchDelay, f.tolerance}) {
        edit->clear();
        QTest::keyClicks(edit, "4x-2");
        EXPECT_EQ(edit->text(), "42");
    }
    WriteBmp(fs::path(ToPath(settings.targetFolder)) / "a.bmp", Pattern());
    View().OnRefreshFileNames();
    const struct {
        QLineEdit* edit;
        QString text;
        QString message;
    } rows[] = {
        {f.tolerance, "256", "Tolerance must be a whole number from 0 to 255."},
        {f.matchDelay, "", "Match Time Delay (ms) must be a whole number from 0 to 86400000."},
        {f.autoStopCount, "99999999999", "Auto stop count must be a whole number from 0 to 2147483647."},
    };
    for (const auto& row : rows) {
        View().UpdateData(false);
        row.edit->setText(row.text);
        const auto message = AnswerNextMessage();
        QTest::mouseClick(f.startStop, Qt::LeftButton);
        EXPECT_EQ(*message, row.message);
        EXPECT_EQ(View().focusWidget(), row.edit);
        EXPECT_FALSE(View().Search().IsRunning());
    }
    // A save still goes ahead, after saying what is wrong.
    const auto message = AnswerNextMessage();
    EXPECT_TRUE(View().OnSave());
    EXPECT_EQ(*message, rows[2].message);
    EXPECT_EQ(host.saves, std::vector<bool>{false});
}

TEST_F(ViewTest, FailedLaunchesSayWhy) {
    auto real = platform::OpenLauncher();
    CGlimtapView form(settings, profile, host, *real);
    form.OnInitialUpdate();
    // The stored default command is no program here.
    const auto message = AnswerNextMessage();
    QTest::mouseClick(form.Form().test, Qt::LeftButton);
    EXPECT_EQ(*message, "The command could not be run: 'notepad' is no file, folder, URL or program on PATH");

    launcher.failure = "no file manager";
    View().OnInitialUpdate();
    QTest::mouseClick(View().Form().exploreImages, Qt::LeftButton);
    EXPECT_EQ(host.statusMessages.value(0), "The target folder could not be opened: no file manager");
    EXPECT_EQ(launcher.calls.size(), 1u);
}

TEST_F(ViewTest, TargetFolderIsTheStoredOneWhenItExistsElseTheTitlesDefault) {
    const fs::path stored = home / "stored";
    fs::create_directories(stored);
    WriteBmp(stored / "one.bmp", Pattern());
    settings.targetFolder = FromPath(stored);
    View().OnInitialUpdate();
    EXPECT_EQ(View().Form().fileList->rowCount(), 1);

    settings.targetFolder = FromPath(home / "gone");
    host.title = u"Job.GlimtapDataFile";
    View().OnInitialUpdate();
    EXPECT_EQ(settings.targetFolder, FromPath(home / "data" / "Glimtap" / "Job"));
    EXPECT_EQ(View().Form().fileList->rowCount(), 0);
    const auto message = AnswerNextMessage();
    QTest::mouseClick(View().Form().startStop, Qt::LeftButton);
    EXPECT_EQ(*message, "No Image(s) Configured Yet.");
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
    EXPECT_EQ(form.Form().hotKeyText->text(), "Start/Stop hot key: F7");

    keyboard.Tap(XK_F7);
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Search().IsRunning(); }));
    EXPECT_FALSE(host.modified) << "a running search is no edit";
    keyboard.Tap(XK_F7);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !form.Search().IsRunning(); }));
}

TEST_F(ViewTest, ASearchCountsTriesAndMatchesUntilItStopsItselfAndTheLayoutStaysPut) {
    ScreenPainter painter;
    painter.FillRoot(0);
    const BmpPicture picture = Pattern();
    painter.DrawOnRoot(1700, 900, picture.width, picture.height, picture.pixels);
    WriteBmp(DefaultFolder() / "a.bmp", picture);
    settings.matchDelayMs = 5;
    settings.autoStopCount = 2;
    settings.tolerance = 0;
    // A marker over the match would hide it from the next pass.
    settings.overlayOnMatch = 0;
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    form.show();
    const GlimtapForm& f = form.Form();
    const QRect explore = f.exploreImages->geometry();

    QTest::mouseClick(f.startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !form.Search().IsRunning(); }));
    EXPECT_EQ(f.counterText->text(), "Tried : 2, Matched : 2");
    f.counterText->setText("Tried : 2147483647, Matched : 2147483647, and a good deal more");
    QCoreApplication::processEvents();
    EXPECT_EQ(f.exploreImages->geometry(), explore);
    EXPECT_LE(explore.right(), form.width());
}

TEST_F(ViewTest, MatchesAndThePreviewAreMarkedOnScreen) {
    settings.areaLeft = 100;
    settings.areaTop = 50;
    settings.areaWidth = 300;
    settings.areaHeight = 200;
    View().OnInitialUpdate();
    const auto markers = [] {
        std::vector<QRect> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (dynamic_cast<CScreenOverlay*>(w) && w->isVisible()) found.push_back(w->geometry());
        }
        std::sort(found.begin(), found.end(), [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        return found;
    };
    View().OnShowOverlay(MatchReport{"a.bmp", 40, 20, {700, 400}});
    View().OnPreviewScreenArea();
    EXPECT_EQ(markers(), (std::vector<QRect>{QRect(100, 50, 300, 200), QRect(700, 400, 40, 20)}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return markers().empty(); }));
}

}  // namespace
}  // namespace glimtap::test
