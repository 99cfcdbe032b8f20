// The search under load and faults, driven like a user: the hot key, the button, the files.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <fstream>

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

using namespace std::chrono_literals;

// Closes every message box that shows up and notes its text, so that none can hold a test.
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

// A shown form searching a black screen without pauses or an end, over `count` templates
// of the document's folder, none of them on the screen yet.
class SearchStressTest : public ViewTest {
protected:
    SearchStressTest() { settings.matchDelayMs = settings.autoStopEnabled = settings.tolerance = 0; }

    CGlimtapView& OpenForm(int count) {
        for (int i = 0; i < count; ++i)
            WriteBmp(DefaultFolder() / ("template " + std::to_string(i) + ".bmp"),
                     RandomPicture(24 + i, 16 + i, 100 + i));
        View().OnInitialUpdate();
        View().show();
        // A window manager that has only just started may map the form late or not report it
        // exposed; the hot key, the search and the markers work either way.
        static_cast<void>(QTest::qWaitForWindowExposed(&View()));
        return View();
    }

    void PressF6(bool running) {
        keyboard.Tap(XK_F6);
        EXPECT_TRUE(ProcessEventsUntil([&] { return view->Search().IsRunning() == running; }));
    }

    ScreenPainter painter;
    OtherClient keyboard;
    MessageBoxCounter messages;
};

TEST_F(SearchStressTest, HotKeyStartsAndStopsLeaveNothingBehind) {
    settings.beepForSearch = 1;
    ASSERT_EQ(OpenForm(4).HotKey(), "F6");
    // The first run opens what lives as long as the form: the X connections of the pointer
    // and Qt's helpers.
    PressF6(true);
    PressF6(false);
    QTest::qWait(200);
    const ProcessResources before = CountProcessResources();
    for (int i = 0; i < 100; ++i) {
        PressF6(true);
        PressF6(false);
        ASSERT_FALSE(HasFailure()) << "cycle " << i << " hung";
    }
    // Threads of the last run may still be on their way out.
    ProcessResources after;
    ProcessEventsUntil([&] { return (after = CountProcessResources()) == before; });
    EXPECT_EQ(after, before);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

// Markers on, every template found on every pass, under a window manager: the worker must
// never bury the window, and the matches of more templates than markers may show reach the cap.
TEST_F(SearchStressTest, ARunWithoutPausesNeverFloodsTheWindow) {
    ChildProcess windowManager({"/usr/bin/openbox"});
    ASSERT_TRUE(PollUntil([] {
        return RunProcess({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).out.find("window id") !=
               std::string::npos;
    }));
    // Every template matches at the area's corner, whatever covers it.
    settings.tolerance = 255, settings.areaWidth = 400, settings.areaHeight = 300;
    settings.overlayOnMatch = settings.beepForSearch = 1;
    // Every match moves the cursor and taps: a tap holds for 200 ms, off the window's thread.
    settings.moveCursorToMatch = settings.touchAtMatch = 1;
    CGlimtapView& form = OpenForm(ScreenMarkers::kMostAlive + 4);

    // The first round settles what lives as long as the form; the later ones must not grow.
    int mostMarkers = 0;
    [[maybe_unused]] int64_t settledKiB = 0, mostKiB = 0;
    for (int round = 0; round < 3; ++round) {
        PressF6(true);
        const QDeadlineTimer end(3s);
        while (!end.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            mostMarkers = std::max(mostMarkers, static_cast<int>(MarkerWindows().size()));
            if (round > 0) mostKiB = std::max(mostKiB, ResidentKiB());
        }
        PressF6(false);
        // A try cut short by the stop finds nothing.
        EXPECT_GT(form.Search().Tried(), 50) << "round " << round;
        EXPECT_GE(form.Search().Matched() + 1, form.Search().Tried()) << "round " << round;
        if (round == 0) settledKiB = ResidentKiB();
    }
    EXPECT_EQ(mostMarkers, ScreenMarkers::kMostAlive);
    // Under AddressSanitizer freed memory waits in quarantine, so only the plain build can tell.
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(mostKiB - settledKiB, 8 * 1024) << settledKiB << " KiB grew to " << mostKiB;
#endif
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST_F(SearchStressTest, FaultsDuringARunNeverStopItUncleanly) {
    const BmpPicture shown = RandomPicture(30, 20, 9);
    WriteBmp(DefaultFolder() / "shown.bmp", shown);
    painter.DrawOnRoot(1900, 1070, shown.width, shown.height, shown.pixels);
    // Reaches far beyond every edge of the screen; what lies off it is black.
    settings.areaLeft = -3000, settings.areaTop = -2000, settings.areaWidth = 8000, settings.areaHeight = 6000;
    // A marker would wipe the painted picture off the root window.
    settings.overlayOnMatch = 0;
    CGlimtapView& form = OpenForm(3);
    const auto triesGrowBy = [&](int more) {
        const int32_t from = form.Search().Tried();
        return ProcessEventsUntil([&] { return form.Search().Tried() >= from + more; });
    };
    const auto click = [&](bool running) {
        QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
        return ProcessEventsUntil([&] { return form.Search().IsRunning() == running; });
    };

    // A picture cut by the screen's corner is no match; shown whole, it is found.
    click(true);
    ASSERT_TRUE(triesGrowBy(20));
    EXPECT_EQ(form.Search().Matched(), 0);
    painter.DrawOnRoot(1200, 700, shown.width, shown.height, shown.pixels);
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Search().Matched() > 0; }));

    // Templates are read when a run starts: garbage in one, or the whole folder gone, does
    // not disturb the run under way; a new run passes over the garbage.
    std::ofstream(DefaultFolder() / "template 0.bmp", std::ios::trunc) << "not a bitmap";
    ASSERT_TRUE(triesGrowBy(20));
    ASSERT_TRUE(click(false));
    ASSERT_TRUE(click(true));
    ASSERT_TRUE(triesGrowBy(20));
    std::filesystem::remove_all(DefaultFolder());
    ASSERT_TRUE(triesGrowBy(20));
    ASSERT_TRUE(click(false));

    // Without its folder the next run ends by itself at once.
    ASSERT_TRUE(click(false));
    EXPECT_EQ(form.Form().startStop->text(), "Start Image Search");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

}  // namespace
}  // namespace glimtap::test
