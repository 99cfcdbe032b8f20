// The search under load and under faults, driven like a user: the global hot key, the
// button, files changing under a running search.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "response/screen_markers.h"
#include "support/bmp_writer.h"
#include "support/marker_windows.h"
#include "support/modal_driver.h"
#include "support/poll_until.h"
#include "support/process_resources.h"
#include "support/run_process.h"
#include "support/x_drawing.h"
#include "support/x_input.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Counts the message boxes that show up and closes each at once, so none can hold a test.
class MessageBoxCounter {
public:
    MessageBoxCounter() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box == nullptr || !box->isVisible()) continue;
                texts.append(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(20);
    }
    QStringList texts;

private:
    QTimer timer_;
};

class SearchStressTest : public ViewTest {
protected:
    SearchStressTest() {
        painter.FillRoot(0);
        settings.matchDelayMs = 0;
        settings.autoStopEnabled = 0;
        settings.tolerance = 0;
        settings.areaWidth = 1920;
        settings.areaHeight = 1080;
    }

    // `count` templates in the document's folder, none of them on the screen yet.
    void WriteTemplates(int count) {
        for (int i = 0; i < count; ++i) {
            WriteBmp(DefaultFolder() / ("template " + std::to_string(i) + ".bmp"),
                     RandomPicture(24 + i, 16 + i, 100 + i));
        }
    }

    CGlimtapView& OpenForm() {
        CGlimtapView& form = View();
        form.OnInitialUpdate();
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        return form;
    }

    bool WaitRunning(bool running) {
        return ProcessEventsUntil([&] { return view->Search().IsRunning() == running; });
    }

    // How long the window takes to answer F6 pressed on the keyboard, in milliseconds.
    qint64 AnswerToF6(bool running) {
        QElapsedTimer answered;
        answered.start();
        keyboard.Tap(XK_F6);
        EXPECT_TRUE(WaitRunning(running));
        return answered.elapsed();
    }

    ScreenPainter painter;
    OtherClient keyboard;
};

TEST_F(SearchStressTest, HotKeyStartsAndStopsLeaveNothingBehind) {
    WriteTemplates(4);
    settings.beepForSearch = 1;
    CGlimtapView& form = OpenForm();
    ASSERT_EQ(form.HotKey(), "F6");
    // The first run opens what lives as long as the form: the X connections of the pointer
    // and Qt's helpers.
    AnswerToF6(true);
    AnswerToF6(false);
    QTest::qWait(200);
    const ProcessResources before = CountProcessResources();
    for (int i = 0; i < 100; ++i) {
        AnswerToF6(true);
        AnswerToF6(false);
        ASSERT_FALSE(HasFailure()) << "cycle " << i << " hung";
    }
    // Threads of the last run may still be on their way out.
    ProcessResources after;
    ProcessEventsUntil([&] {
        after = CountProcessResources();
        return after == before;
    });
    EXPECT_EQ(after, before);
}

// No pause, markers on, every template found on every pass, under a window manager: the
// worker must never bury the window.
TEST_F(SearchStressTest, ARunWithoutPausesNeverFloodsTheWindow) {
    ChildProcess windowManager({"/usr/bin/openbox"});
    ASSERT_TRUE(PollUntil([] {
        return RunProcess({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).out.find("window id") !=
               std::string::npos;
    }));
    // Every template matches at the area's corner, whatever covers it.
    WriteTemplates(6);
    settings.tolerance = 255;
    settings.areaWidth = 400;
    settings.areaHeight = 300;
    settings.overlayOnMatch = 1;
    settings.beepForSearch = 1;
    // Every match moves the cursor and taps: a tap holds for 200 ms, off the window's thread.
    settings.moveCursorToMatch = 1;
    settings.touchAtMatch = 1;
    MessageBoxCounter messages;
    CGlimtapView& form = OpenForm();

    AnswerToF6(true);
    int mostMarkers = 0;
    qint64 slowestAnswer = 0;
    int64_t settledKiB = 0;
    int64_t mostKiB = 0;
    const QDeadlineTimer settled(8s);
    for (int round = 0; round < 5; ++round) {
        const QDeadlineTimer end(4s);
        while (!end.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            mostMarkers = std::max(mostMarkers, static_cast<int>(MarkerWindows().size()));
            if (!settled.hasExpired()) continue;
            if (settledKiB == 0) settledKiB = ResidentKiB();
            mostKiB = std::max(mostKiB, ResidentKiB());
        }
        slowestAnswer = std::max(slowestAnswer, AnswerToF6(false));
        // A try cut short by the stop finds nothing.
        const int32_t tried = form.Search().Tried();
        EXPECT_GT(tried, 50) << "round " << round;
        EXPECT_GE(form.Search().Matched() + 1, tried) << "round " << round;
        AnswerToF6(true);
    }
    AnswerToF6(false);
    EXPECT_LT(slowestAnswer, 200);
    EXPECT_GE(mostMarkers, 6);
    EXPECT_LE(mostMarkers, ScreenMarkers::kMostAlive);
    // Under AddressSanitizer freed memory waits in quarantine, so only the plain build can tell.
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(mostKiB - settledKiB, 8 * 1024) << settledKiB << " KiB grew to " << mostKiB;
#endif
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(SearchStressTest, FaultsDuringARunNeverStopItUncleanly) {
    WriteTemplates(3);
    const BmpPicture shown = RandomPicture(30, 20, 9);
    WriteBmp(DefaultFolder() / "shown.bmp", shown);
    painter.DrawOnRoot(1900, 1070, shown.width, shown.height, shown.pixels);
    // Reaches far beyond every edge of the screen; what lies off it is black.
    settings.areaLeft = -3000;
    settings.areaTop = -2000;
    settings.areaWidth = 8000;
    settings.areaHeight = 6000;
    // A marker would wipe the painted picture off the root window.
    settings.overlayOnMatch = 0;
    MessageBoxCounter messages;
    CGlimtapView& form = OpenForm();
    const auto triesGrowBy = [&](int more) {
        const int32_t from = form.Search().Tried();
        return ProcessEventsUntil([&] { return form.Search().Tried() >= from + more; });
    };
    const auto click = [&] { QTest::mouseClick(form.Form().startStop, Qt::LeftButton); };

    // The picture cut by the screen's corner is found where its visible part lies.
    click();
    ASSERT_TRUE(triesGrowBy(20));
    EXPECT_EQ(form.Search().Matched(), 0);
    painter.DrawOnRoot(1200, 700, shown.width, shown.height, shown.pixels);
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Search().Matched() > 0; }));

    // Templates are read when a run starts: garbage in one, or the whole folder gone, does
    // not disturb the run under way.
    std::ofstream(DefaultFolder() / "template 0.bmp", std::ios::trunc) << "not a bitmap";
    ASSERT_TRUE(triesGrowBy(20));
    click();
    ASSERT_TRUE(WaitRunning(false));

    // A new run passes over the garbage and searches the rest.
    click();
    ASSERT_TRUE(triesGrowBy(20));
    fs::remove_all(DefaultFolder());
    ASSERT_TRUE(triesGrowBy(20));
    click();
    ASSERT_TRUE(WaitRunning(false));

    // Without its folder the next run ends by itself at once.
    click();
    ASSERT_TRUE(WaitRunning(false));
    EXPECT_EQ(form.Form().startStop->text(), "Start Image Search");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

}  // namespace
}  // namespace glimtap::test
