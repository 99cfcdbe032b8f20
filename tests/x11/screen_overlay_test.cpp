#include "response/screen_overlay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/backends.h"
#include "support/geometry_printing.h"
#include "support/screen_shots.h"
#include "support/x_mouse.h"
#include "support/x_observer.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;

constexpr uint32_t kYellow = 0xFFF200;
constexpr uint32_t kRed = 0xED1C24;

std::vector<QPointer<CScreenOverlay>> Markers() {
    std::vector<QPointer<CScreenOverlay>> markers;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* marker = dynamic_cast<CScreenOverlay*>(widget); marker && marker->isVisible()) {
            markers.emplace_back(marker);
        }
    }
    return markers;
}

// The one marker that is on the screen, once the server shows it.
QPointer<CScreenOverlay> ShownMarker(WindowObserver& observer) {
    QPointer<CScreenOverlay> marker;
    const bool shown = QTest::qWaitFor(
        [&] {
            const auto markers = Markers();
            if (markers.size() == 1) marker = markers.front();
            return marker && observer.IsViewable(static_cast<xcb_window_t>(marker->winId()));
        },
        10000);
    return shown ? marker : nullptr;
}

bool WaitUntilGone(const QPointer<CScreenOverlay>& marker) {
    return QTest::qWaitFor([&] { return marker.isNull(); }, 15000);
}

// How many physical pixels one device-independent pixel covers in this run.
int32_t ScaleFactor() {
    const char* factor = std::getenv("QT_SCALE_FACTOR");
    return factor != nullptr ? std::atoi(factor) : 1;
}

// A window of the user's, holding the keyboard focus.
class UserWindow {
public:
    UserWindow() {
        edit_.setGeometry(50, 50, 300, 40);
        edit_.show();
        edit_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&edit_));
    }
    QLineEdit& widget() { return edit_; }
    xcb_window_t window() { return static_cast<xcb_window_t>(edit_.winId()); }

private:
    QLineEdit edit_;
};

TEST(ScreenOverlayTest, MarksTheRectangleCountsDownAndGoes) {
    WindowObserver observer;
    const ScreenRect match{600, 400, 200, 100};
    StartScreenOverlay(match, 3);
    const QPointer<CScreenOverlay> marker = ShownMarker(observer);
    ASSERT_TRUE(marker);
    const auto window = static_cast<xcb_window_t>(marker->winId());
    EXPECT_EQ(observer.RootGeometry(window), match);
    EXPECT_TRUE(observer.IsOverrideRedirect(window));
    const std::optional<uint32_t> opacity = observer.Opacity(window);
    ASSERT_TRUE(opacity.has_value());
    EXPECT_NEAR(*opacity, 130.0 * 0x01010101, 2.0);

    // 3, 2, 1, then gone; a generous bound, the lifetime is not measured here.
    std::vector<int64_t> shown;
    const bool gone = QTest::qWaitFor(
        [&] {
            if (marker.isNull()) return true;
            if (shown.empty() || shown.back() != marker->SecondsLeft()) {
                shown.push_back(marker->SecondsLeft());
            }
            return false;
        },
        15000);
    EXPECT_TRUE(gone);
    EXPECT_EQ(shown, (std::vector<int64_t>{3, 2, 1}));
    EXPECT_FALSE(observer.IsViewable(window));
}

TEST(ScreenOverlayTest, DrawsFillOutlineAndNumberOverTheMatch) {
    RootBackdrop backdrop(PatternedScreenPixels(platform::OpenBackends()->Geometry().VirtualScreenSize()));
    WindowObserver observer;
    const ScreenRect match{600, 400, 200, 100};
    StartScreenOverlay(match, 3);
    const QPointer<CScreenOverlay> marker = ShownMarker(observer);
    ASSERT_TRUE(marker);

    ScreenShot shot;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            shot = CaptureWholeScreen();
            return shot.At(700, 402) == kYellow || shot.At(700, 410) == kYellow;
        },
        10000))
        << "the marker was never painted";
    KeepScreenShot(shot, "marker_over_match");

    // Exactly over the match: the screen shows round it.
    for (int32_t x = 595; x < 805; ++x) {
        ASSERT_EQ(shot.At(x, 399), backdrop.At(x, 399)) << x;
        ASSERT_EQ(shot.At(x, 500), backdrop.At(x, 500)) << x;
    }
    for (int32_t y = 395; y < 505; ++y) {
        ASSERT_EQ(shot.At(599, y), backdrop.At(599, y)) << y;
        ASSERT_EQ(shot.At(800, y), backdrop.At(800, y)) << y;
    }
    // The red frame's inner half, 4 pixels wide at 96 dots per inch, then yellow.
    const int32_t frame = 2 * ScaleFactor();
    for (int32_t i = 0; i < frame; ++i) {
        EXPECT_EQ(shot.At(600 + i, 450), kRed) << i;
        EXPECT_EQ(shot.At(799 - i, 450), kRed) << i;
        EXPECT_EQ(shot.At(620, 400 + i), kRed) << i;
        EXPECT_EQ(shot.At(620, 499 - i), kRed) << i;
    }
    EXPECT_EQ(shot.At(600 + frame, 450), kYellow);
    EXPECT_EQ(shot.At(799 - frame, 450), kYellow);
    EXPECT_EQ(shot.At(620, 400 + frame), kYellow);
    EXPECT_EQ(shot.At(620, 499 - frame), kYellow);

    // The number: dark pixels, centred, as tall as the fitted font makes a digit.
    int32_t left = 800, right = 0, top = 500, bottom = 0;
    for (int32_t y = 400 + frame; y < 500 - frame; ++y) {
        for (int32_t x = 600 + frame; x < 800 - frame; ++x) {
            const uint32_t pixel = shot.At(x, y);
            if ((pixel >> 16 & 0xFF) < 80 && (pixel >> 8 & 0xFF) < 80) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_LT(left, right) << "no number";
    EXPECT_NEAR((left + right) / 2.0, 700, 10);
    EXPECT_NEAR((top + bottom) / 2.0, 450, 10);
    EXPECT_GT(bottom - top, 40) << "the number is not fitted to the marker";
    EXPECT_LT(bottom - top, 92);

    marker->close();
    ASSERT_TRUE(WaitUntilGone(marker));
}

TEST(ScreenOverlayTest, NeverTakesTheFocusButClosesOnEscape) {
    UserWindow user;
    WindowObserver observer;
    ASSERT_EQ(observer.InputFocus(), user.window());

    StartScreenOverlay({1000, 600, 300, 200}, 3);
    const QPointer<CScreenOverlay> marker = ShownMarker(observer);
    ASSERT_TRUE(marker);
    EXPECT_EQ(QApplication::activeWindow(), &user.widget());
    EXPECT_EQ(observer.InputFocus(), user.window());

    // A click lands on the marker, and still the user's window keeps the keyboard.
    FakeMouse mouse;
    mouse.Click(1150, 700);
    QTest::qWait(300);
    EXPECT_TRUE(marker);
    EXPECT_EQ(QApplication::activeWindow(), &user.widget());
    EXPECT_EQ(observer.InputFocus(), user.window());
    EXPECT_TRUE(user.widget().hasFocus());

    // Escape, when it reaches the marker, closes it at once.
    QTest::keyClick(marker.data(), Qt::Key_Escape);
    EXPECT_TRUE(WaitUntilGone(marker));
    EXPECT_EQ(QApplication::activeWindow(), &user.widget());
}

TEST(ScreenOverlayTest, ManyMarkersLiveSideBySideAndEmptyOnesAreNotShown) {
    StartScreenOverlay({0, 0, 0, 50}, 3);
    StartScreenOverlay({0, 0, 50, 50}, 0);
    WindowObserver observer;
    const std::vector<ScreenRect> places = {
        {10, 10, 40, 1}, {10, 10, 40, 30}, {1500, 900, 420, 180}};
    for (const ScreenRect& place : places) StartScreenOverlay(place, 3);
    std::vector<QPointer<CScreenOverlay>> markers;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            markers = Markers();
            return markers.size() == places.size() &&
                   std::all_of(markers.begin(), markers.end(), [&](const auto& marker) {
                       return observer.IsViewable(static_cast<xcb_window_t>(marker->winId()));
                   });
        },
        10000))
        << "markers on screen: " << Markers().size();
    std::vector<ScreenRect> where;
    for (const auto& marker : markers) {
        where.push_back(*observer.RootGeometry(static_cast<xcb_window_t>(marker->winId())));
    }
    for (const ScreenRect& place : places) {
        EXPECT_NE(std::find(where.begin(), where.end(), place), where.end()) << place;
    }
    for (const auto& marker : markers) EXPECT_TRUE(WaitUntilGone(marker));
}

TEST(ScreenOverlayTest, AMarkerStillCountingGoesWhenTheApplicationQuits) {
    WindowObserver observer;
    StartScreenOverlay({100, 100, 60, 40}, 3);
    const QPointer<CScreenOverlay> marker = ShownMarker(observer);
    ASSERT_TRUE(marker);
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    QApplication::exec();
    EXPECT_TRUE(marker.isNull());
}

}  // namespace
}  // namespace glimtap::test
