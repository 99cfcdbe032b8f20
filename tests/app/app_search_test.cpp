#include <gtest/gtest.h>

#include <QTest>

#include "app/app_fixture.h"
#include "support/bmp_writer.h"
#include "support/x_drawing.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

TEST_F(AppTest, OpeningADataFileNeverRunsItsCommandOnlyAMatchOfAStartedSearchDoes) {
    // Something to find in a corner of the screen, away from the window.
    const BmpPicture picture = RandomPicture(16, 12, 31);
    ScreenPainter painter;
    painter.DrawOnRoot(1800, 1000, picture.width, picture.height, picture.pixels);
    WriteBmp(home / "target.bmp", picture);
    const fs::path file = home / "armed.GlimtapDataFile";
    WriteDataFile(file, 15, [&](SearchSettings& s) {
        s.targetFolder = home.path();
        s.areaLeft = 1700, s.areaTop = 950, s.areaWidth = 220, s.areaHeight = 130;
        s.speechAlerts = s.overlayOnMatch = s.matchDelayMs = 0;
        s.autoStopEnabled = s.autoStopCount = s.executeEnabled = 1;
        s.executeFile = FromPath(home / "ran");
    });

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

    QTest::mouseClick(Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !Frame().View().Search().IsRunning(); }));
    // The command runs off the window's thread, once.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !launcher.Calls().empty(); }));
    QTest::qWait(100);
    EXPECT_EQ(launcher.Calls(), (std::vector<RecordingLauncher::Call>{{"open", (home / "ran").string()}}));
}

}  // namespace
}  // namespace glimtap::test
