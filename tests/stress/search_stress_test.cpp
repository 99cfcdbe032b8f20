// The search under load and under faults, driven like a user: the global hot key, the
// button, files changing under a running search.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/utf16.h"
#include "response/screen_overlay.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/process_resources.h"
#include "support/x_drawing.h"
#include "support/x_keyboard.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A window showing a picture where the search can find it. Unlike pixels drawn on the root,
// it is drawn again when a marker over it goes away.
std::unique_ptr<QLabel> ShowPicture(const BmpPicture& picture, QPoint at) {
    QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                 picture.height, picture.width * 4, QImage::Format_RGB32);
    auto label = std::make_unique<QLabel>();
    label->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setContentsMargins(0, 0, 0, 0);
    label->setPixmap(QPixmap::fromImage(image.copy()));
    label->setFixedSize(picture.width, picture.height);
    label->move(at);
    label->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(label.get()));
    return label;
}

int MarkersOnScreen() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return static_cast<int>(std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
        return dynamic_cast<CScreenOverlay*>(w) != nullptr && w->isVisible();
    }));
}

// Counts the message boxes that show up and closes each at once, so none can hold a test.
class MessageBoxCounter {
public:
    MessageBoxCounter() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box != nullptr && box->isVisible()) {
                    ++count;
                    texts.append(box->text());
                    box->done(QMessageBox::Ok);
                }
            }
        });
        timer_.start(20);
    }
    int count = 0;
    QStringList texts;

private:
    QTimer timer_;
};

// Runs the event loop for `duration`.
void Spin(std::chrono::milliseconds duration) {
    const QDeadlineTimer deadline(duration);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

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

    // The form after a New, with its hot key.
    CGlimtapView& OpenForm() {
        CGlimtapView& form = View();
        form.OnInitialUpdate();
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        return form;
    }

    bool WaitRunning(CGlimtapView& form, bool running) {
        return ProcessEventsUntil([&] { return form.Search().IsRunning() == running; });
    }

    ScreenPainter painter;
};

TEST_F(SearchStressTest, AThousandHotKeyStartsAndStopsLeaveNothingBehind) {
    WriteTemplates(4);
    settings.beepForSearch = 1;
    CGlimtapView& form = OpenForm();
    ASSERT_EQ(form.HotKey(), "F6");
    OtherClient keyboard;
    const auto cycle = [&] {
        keyboard.Tap(XK_F6);
        if (!WaitRunning(form, true)) return false;
        keyboard.Tap(XK_F6);
        return WaitRunning(form, false);
    };
    // The first run opens what lives as long as the form: the X connections of the pointer
    // and Qt's helpers.
    ASSERT_TRUE(cycle());
    Spin(200ms);
    const ProcessResources before = CountProcessResources();

    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(cycle()) << "cycle " << i << " hung";
    EXPECT_GT(form.Search().Tried(), 0);

    // Still answering: a click on the button starts and stops a run.
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(WaitRunning(form, true));
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(WaitRunning(form, false));

    // Threads of the last run may still be on their way out.
    ProcessResources after;
    ProcessEventsUntil([&] {
        after = CountProcessResources();
        return after == before;
    });
    EXPECT_EQ(after, before);
}

TEST_F(SearchStressTest, AMinuteOfSearchingKeepsMemoryFlatAndMarkersFew) {
    WriteTemplates(8);
    const BmpPicture first = RandomPicture(30, 20, 7);
    const BmpPicture second = RandomPicture(20, 30, 8);
    WriteBmp(DefaultFolder() / "on screen 1.bmp", first);
    WriteBmp(DefaultFolder() / "on screen 2.bmp", second);
    const std::unique_ptr<QLabel> shownFirst = ShowPicture(first, {1500, 200});
    const std::unique_ptr<QLabel> shownSecond = ShowPicture(second, {300, 800});
    settings.beepForSearch = 1;
    settings.overlayOnMatch = 1;
    settings.moveCursorToMatch = 1;
    MessageBoxCounter messages;
    CGlimtapView& form = OpenForm();

    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(form.Search().IsRunning());
    int mostMarkers = 0;
    int64_t settledKiB = 0;
    int64_t mostKiB = 0;
    const QDeadlineTimer end(60s);
    const QDeadlineTimer settled(15s);
    while (!end.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        mostMarkers = std::max(mostMarkers, MarkersOnScreen());
        if (settled.hasExpired()) {
            if (settledKiB == 0) settledKiB = ResidentKiB();
            mostKiB = std::max(mostKiB, ResidentKiB());
        }
    }
    ASSERT_TRUE(form.Search().IsRunning());
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(WaitRunning(form, false));

    // Thousands of tries, matches on both pictures, each marked in turn.
    EXPECT_GT(form.Search().Tried(), 1000);
    EXPECT_GT(form.Search().Matched(), 20);
    // A marker hides its match until it goes; only the passes made before it shows add more.
    EXPECT_GE(mostMarkers, 1);
    EXPECT_LE(mostMarkers, 10) << form.Search().Matched() << " matches";
    // After the first quarter of a minute everything the search keeps has been made. Under
    // AddressSanitizer freed memory waits in quarantine, so only the plain build can tell.
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(mostKiB - settledKiB, 16 * 1024) << settledKiB << " KiB grew to " << mostKiB;
#endif
    EXPECT_EQ(messages.count, 0) << messages.texts.join('\n').toStdString();
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

    // The picture cut by the screen's corner is found where its visible part lies.
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(triesGrowBy(20));
    EXPECT_EQ(form.Search().Matched(), 0);
    painter.DrawOnRoot(1200, 700, shown.width, shown.height, shown.pixels);
    ASSERT_TRUE(ProcessEventsUntil([&] { return form.Search().Matched() > 0; }));

    // Templates are read when a run starts: garbage in one, or the whole folder gone, does
    // not disturb the run under way.
    std::ofstream(DefaultFolder() / "template 0.bmp", std::ios::trunc) << "not a bitmap";
    ASSERT_TRUE(triesGrowBy(20));
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(WaitRunning(form, false));

    // A new run passes over the garbage and searches the rest.
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(triesGrowBy(20));
    fs::remove_all(DefaultFolder());
    ASSERT_TRUE(triesGrowBy(20));
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(WaitRunning(form, false));

    // Without its folder the next run ends by itself at once.
    QTest::mouseClick(form.Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(WaitRunning(form, false));
    EXPECT_EQ(form.Form().startStop->text(), "Start Image Search");
    EXPECT_EQ(messages.count, 0) << messages.texts.join('\n').toStdString();
}

}  // namespace
}  // namespace glimtap::test
