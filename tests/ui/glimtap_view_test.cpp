#include "ui/glimtap_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

#include "response/screen_overlay.h"
#include "platform/utf16.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/x_drawing.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

// Answers the next message box; its text lands in the returned string.
std::shared_ptr<QString> AnswerNextMessage() {
    auto text = std::make_shared<QString>();
    WhenModal<QMessageBox>([text](QMessageBox& box) {
        *text = box.text();
        box.accept();
    });
    return text;
}

TEST_F(ViewTest, ControlsAndSettingsExchangeBothWaysAndStoredValuesAreKept) {
    settings.matchDelayMs = -20;  // out of range, as a data file may hold it
    settings.executeFile = u"gedit «x»";
    View().OnInitialUpdate();
    const GlimtapForm& f = View().Form();
    EXPECT_EQ(f.matchDelay->text(), "-20");
    EXPECT_EQ(f.executeFile->text(), QString::fromUtf8("gedit «x»"));
    EXPECT_EQ(f.hotKeyText->text(), "Start/Stop hot key: " + View().HotKey());
    const struct {
        QWidget* control;
        QString value;
        AtomicInt32* field;
        int32_t taken;
    } rows[] = {
        {f.autoStop, "0", &settings.autoStopEnabled, 0},   {f.autoStopCount, " 12 ", &settings.autoStopCount, 12},
        {f.speechAlerts, "1", &settings.speechAlerts, 1},  {f.overlayOnMatch, "0", &settings.overlayOnMatch, 0},
        {f.tolerance, "0", &settings.tolerance, 0},        {f.cursorToMatch, "1", &settings.moveCursorToMatch, 1},
        {f.touchAtMatch, "1", &settings.touchAtMatch, 1},  {f.execute, "1", &settings.executeEnabled, 1},
        {f.beepForSearch, "1", &settings.beepForSearch, 1}, {f.matchDelay, "-20", &settings.matchDelayMs, -20},
    };
    for (const auto& row : rows) {
        if (auto* box = qobject_cast<QCheckBox*>(row.control)) box->setChecked(row.value == "1");
        if (auto* edit = qobject_cast<QLineEdit*>(row.control)) edit->setText(row.value);
    }
    f.executeVerb->setText("edit");
    const auto message = AnswerNextMessage();
    EXPECT_FALSE(View().UpdateData(true));  // the kept delay is taken, and refused
    EXPECT_EQ(*message, "Match Time Delay (ms) must be a whole number from 0 to 86400000.");
    for (const auto& row : rows) EXPECT_EQ(*row.field, row.taken) << row.control->metaObject()->className();
    EXPECT_EQ(settings.executeVerb, u"edit");
}

TEST_F(ViewTest, NumberFieldsTakeDigitsOnlyAndRefusalsNameFieldAndRange) {
    View().OnInitialUpdate();
    const GlimtapForm& f = View().Form();
    WriteBmp(fs::path(ToPath(settings.targetFolder)) / "a.bmp", BmpPicture{2, 2, std::vector<uint32_t>(4, 0)});
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
        row.edit->clear();
        QTest::keyClicks(row.edit, "4x-2");
        EXPECT_EQ(row.edit->text(), "42");
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
    EXPECT_EQ(*message, rows[2].message);  // the first refused field in the form
    EXPECT_EQ(host.saves, std::vector<bool>{false});
}

TEST_F(ViewTest, FailedLaunchesSayWhy) {
    CGlimtapView form(settings, profile, host, *backends, backends->AppLauncher());
    form.OnInitialUpdate();
    // The stored default command is no program here.
    const auto message = AnswerNextMessage();
    QTest::mouseClick(form.Form().test, Qt::LeftButton);
    EXPECT_EQ(*message, "The command could not be run: 'notepad' is no file, folder, URL or program on PATH");

    launcher.failure = "no file manager";
    View().OnInitialUpdate();
    QTest::mouseClick(View().Form().exploreImages, Qt::LeftButton);
    EXPECT_EQ(host.statusMessages.value(0), "The target folder could not be opened: no file manager");
}

TEST_F(ViewTest, TargetFolderIsTheStoredOneWhenItExistsElseTheTitlesDefault) {
    WriteBmp(home / "one.bmp", BmpPicture{2, 2, std::vector<uint32_t>(4, 0)});
    settings.targetFolder = FromPath(home.path());
    View().OnInitialUpdate();
    EXPECT_EQ(View().Form().fileList->rowCount(), 1);
    settings.targetFolder = FromPath(home / "gone");
    host.title = u"Job.GlimtapDataFile";
    View().OnInitialUpdate();
    EXPECT_EQ(settings.targetFolder, FromPath(home / "data" / "Glimtap" / "Job"));
    const auto message = AnswerNextMessage();
    QTest::mouseClick(View().Form().startStop, Qt::LeftButton);
    EXPECT_EQ(*message, "No Image(s) Configured Yet.");
}

TEST_F(ViewTest, ASearchCountsUntilItStopsItselfIsNoEditAndLeavesTheLayoutPut) {
    ScreenPainter painter;
    painter.FillRoot(0);
    const BmpPicture picture = RandomPicture(6, 5, 7);
    painter.DrawOnRoot(1700, 900, picture.width, picture.height, picture.pixels);
    WriteBmp(DefaultFolder() / "a.bmp", picture);
    settings.matchDelayMs = 5;
    settings.autoStopCount = 2;
    settings.tolerance = 0;
    settings.overlayOnMatch = 0;  // a marker would hide the match from the next pass
    CGlimtapView& form = View();
    form.OnInitialUpdate();
    form.show();
    const GlimtapForm& f = form.Form();
    const QRect explore = f.exploreImages->geometry();

    QTest::mouseClick(f.startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !form.Search().IsRunning(); }));
    EXPECT_EQ(f.counterText->text(), "Tried : 2, Matched : 2");
    EXPECT_FALSE(host.modified);
    f.counterText->setText("Tried : 2147483647, Matched : 2147483647, and a good deal more");
    QCoreApplication::processEvents();
    EXPECT_EQ(f.exploreImages->geometry(), explore);
    EXPECT_LE(explore.right(), form.width());
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
