#include <gtest/gtest.h>

#include <QStatusBar>
#include <QTest>

#include "app/app_fixture.h"
#include "support/bmp_writer.h"
#include "support/x_drawing.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

// "near" is off by 40 in one channel of one pixel: each run first comes close. The file holds
// values outside today's ranges, as older files may: each runs with its meaning (no pause,
// exact colours, a stop at the first match, the area on the screen).
TEST_F(AppTest, OnlyAMatchRunsTheCommandNeverOpeningAFileAndTheClosestMissGoesAtStartAndMatch) {
    // Something to find in a corner of the screen, away from the window.
    const BmpPicture picture = RandomPicture(16, 12, 31);
    BmpPicture near = picture;
    ShiftChannel(near.pixels[20], 8, 40);
    ScreenPainter painter;
    painter.DrawOnRoot(1800, 1000, near.width, near.height, near.pixels);
    WriteBmp(home / "target.bmp", picture);
    const fs::path file = home / "armed.GlimtapDataFile";
    WriteDataFile(file, -3, [&](DataFile& data) {
        SearchSettings& s = data.settings;
        data.fileVersion = 7, s.targetFolder = home.path();
        s.areaLeft = 1700, s.areaTop = 950, s.areaWidth = 99999999, s.areaHeight = 130;
        s.speechAlerts = s.overlayOnMatch = 0;
        s.matchDelayMs = -5, s.autoStopCount = -2, s.autoStopEnabled = s.executeEnabled = 2;
        s.executeFile = FromPath(home / "ran");
    });
    const std::vector<uint8_t> stored = ReadFile(file);

    // Named at start, File > Open, a recent file and a drop.
    StartApp(Q(file));
    ChooseInNextFileDialog(Q(file));
    app->OnFileOpen();
    app->OnOpenRecentFile(0);
    const fs::path copy = home / "armed copy.GlimtapDataFile";
    fs::copy_file(file, copy);
    Drop(Frame(), copy);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Caption().startsWith("armed copy"); }));
    EXPECT_TRUE(launcher.Calls().empty());

    const auto closest = [&] { return Frame().statusBar()->currentMessage().startsWith("Closest: 1800, 1000"); };
    for (const bool found : {false, true}) {
        QTest::mouseClick(Form().startStop, Qt::LeftButton);
        EXPECT_FALSE(closest());
        ASSERT_TRUE(ProcessEventsUntil(closest));
        if (found) painter.DrawOnRoot(1800, 1000, picture.width, picture.height, picture.pixels);
        else QTest::mouseClick(Form().startStop, Qt::LeftButton);
        ASSERT_TRUE(ProcessEventsUntil([&] { return !Frame().View().Search().IsRunning(); }));
    }
    EXPECT_FALSE(closest());
    // The command runs off the window's thread, once.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !launcher.Calls().empty(); }));
    QTest::qWait(100);
    EXPECT_EQ(launcher.Calls(), (std::vector<RecordingLauncher::Call>{{"open", (home / "ran").string()}}));
    ASSERT_TRUE(Frame().View().OnSave());
    EXPECT_EQ(ReadFile(copy), stored);

    // An area with no part on the screen is refused at Start.
    app->Settings().areaLeft = 5000;
    QTest::mouseClick(Form().startStop, Qt::LeftButton);
    EXPECT_FALSE(Frame().View().Search().IsRunning());
    EXPECT_EQ(Frame().statusBar()->currentMessage().toStdString(),
              "Not started: the area 5000,950 99999999×130 lies outside the screen (0,0 1920×1080)");
}

}  // namespace
}  // namespace glimtap::test
