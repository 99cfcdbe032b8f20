#include "response/screen_markers.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "support/fakes.h"
#include "support/geometry_printing.h"
#include "support/marker_windows.h"
#include "support/x_drawing.h"
#include "support/x_input.h"
#include "support/x_observer.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;

constexpr uint32_t kYellow = 0xFFF200;
constexpr uint32_t kRed = 0xED1C24;

// The one marker on show, once the server shows it; null when none comes.
QPointer<CScreenOverlay> ShownMarker() {
    WindowObserver observer;
    std::vector<QPointer<CScreenOverlay>> markers;
    const bool shown = QTest::qWaitFor([&] {
        markers = MarkerWindows();
        return markers.size() == 1 && observer.IsViewable(static_cast<xcb_window_t>(markers[0]->winId()));
    }, 10000);
    return shown ? markers[0] : nullptr;
}

bool AllGone() { return QTest::qWaitFor([] { return MarkerWindows().empty(); }, 15000); }

int32_t ScaleFactor() {
    const char* factor = std::getenv("QT_SCALE_FACTOR");
    return factor != nullptr ? std::atoi(factor) : 1;
}

class ScreenMarkersTest : public testing::TestWithParam<bool> {};

// Exactly over the match, with the inner half of a red frame 4 pixels wide at 96 dots per
// inch and the number in the middle; translucent yellow with a compositor, the screen
// itself showing through without one.
TEST_P(ScreenMarkersTest, MarkerLiesExactlyOverTheMatchCountsDownAndGoes) {
    const bool compositor = GetParam();
    // Xvfb runs no compositor; the test says whether there is one.
    FixedDesktop desktop(compositor);
    const ScreenShot backdrop = PatternedScreen(desktop.VirtualScreenSize());
    ScreenPainter().DrawOnRoot(backdrop);
    ScreenOverlays overlays(desktop);
    ScreenMarkers markers(overlays);
    const ScreenRect match{600, 400, 200, 100};
    markers.Show(match, 3);
    const QPointer<CScreenOverlay> marker = ShownMarker();
    ASSERT_NE(marker, nullptr);
    WindowObserver observer;
    const auto window = static_cast<xcb_window_t>(marker->winId());
    EXPECT_EQ(observer.RootGeometry(window), match);
    EXPECT_TRUE(observer.IsOverrideRedirect(window));
    EXPECT_EQ(observer.Opacity(window).has_value(), compositor);

    ScreenShot shot;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            shot = CaptureWholeScreen();
            return shot.At(600, 450) == kRed;
        },
        10000))
        << "the marker was never painted";
    // Not a pixel beyond the match.
    for (int32_t i = 0; i < 210; ++i) {
        for (const auto& [x, y] : {std::pair{595 + i, 399}, {595 + i, 500}, {599, 395 + i % 110}, {800, 395 + i % 110}}) {
            ASSERT_EQ(shot.At(x, y), backdrop.At(x, y)) << x << "," << y;
        }
    }
    const int32_t frame = 2 * ScaleFactor();
    for (int32_t i = 0; i < frame; ++i) {
        EXPECT_EQ(shot.At(600 + i, 450), kRed) << i;
        EXPECT_EQ(shot.At(799 - i, 450), kRed) << i;
        EXPECT_EQ(shot.At(620, 400 + i), kRed) << i;
        EXPECT_EQ(shot.At(620, 499 - i), kRed) << i;
    }
    for (const auto& [x, y] : {std::pair{600 + frame, 450}, {799 - frame, 450},
                               {620, 400 + frame}, {620, 499 - frame}}) {
        EXPECT_EQ(shot.At(x, y), compositor ? kYellow : backdrop.At(x, y)) << x << "," << y;
    }
    // The number: dark pixels, centred, as tall as the fitted font makes a digit.
    int32_t left = 800, right = 0, top = 500, bottom = 0;
    for (int32_t y = 400 + frame; y < 500 - frame; ++y) {
        for (int32_t x = 600 + frame; x < 800 - frame; ++x) {
            const uint32_t pixel = shot.At(x, y);
            if ((pixel >> 16 & 0xFF) >= 80 || (pixel >> 8 & 0xFF) >= 80 || (pixel & 0xFF) >= 80) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    ASSERT_LT(left, right) << "no number";
    EXPECT_NEAR((left + right) / 2.0, 700, 10);
    EXPECT_NEAR((top + bottom) / 2.0, 450, 10);
    EXPECT_GT(bottom - top, 40) << "the number is not fitted to the marker";

    // 3, 2, 1, then gone.
    std::vector<int64_t> counted;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (marker.isNull()) return true;
            if (counted.empty() || counted.back() != marker->SecondsLeft()) {
                counted.push_back(marker->SecondsLeft());
            }
            return false;
        },
        15000));
    EXPECT_EQ(counted, (std::vector<int64_t>{3, 2, 1}));
}

INSTANTIATE_TEST_SUITE_P(Compositor, ScreenMarkersTest, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "With" : "Without"; });

TEST(ScreenMarkersLimits, ARepeatedMatchRestartsItsMarkerAndTheNumberAliveIsCapped) {
    FixedDesktop desktop(false);
    ScreenOverlays overlays(desktop);
    ScreenMarkers markers(overlays);
    markers.Show({0, 0, 0, 50}, 3);
    markers.Show({0, 0, 50, 50}, 0);
    EXPECT_EQ(markers.Alive(), 0);

    markers.Show({100, 100, 40, 30}, 3);
    const QPointer<CScreenOverlay> first = ShownMarker();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->SecondsLeft() == 2; }, 5000));
    markers.Show({100, 100, 40, 30}, 3);
    EXPECT_EQ(markers.Alive(), 1);
    EXPECT_EQ(first->SecondsLeft(), 3);

    for (int i = 0; i < 3 * ScreenMarkers::kMostAlive; ++i) markers.Show({10 * i, 600, 8, 8}, 3);
    EXPECT_EQ(markers.Alive(), ScreenMarkers::kMostAlive);
    EXPECT_EQ(MarkerWindows().size(), static_cast<size_t>(ScreenMarkers::kMostAlive));
    EXPECT_TRUE(AllGone());
}

TEST(ScreenMarkersFocus, NeverTakeTheFocusCloseOnEscapeAndGoWhenTheApplicationQuits) {
    QLineEdit user;
    user.setGeometry(50, 50, 300, 40);
    user.show();
    user.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&user));
    FixedDesktop desktop(true);
    ScreenOverlays overlays(desktop);
    ScreenMarkers markers(overlays);
    markers.Show({1000, 600, 300, 200}, 3);
    QPointer<CScreenOverlay> shown = ShownMarker();
    ASSERT_NE(shown, nullptr);
    // A click lands on the marker, and still the user's window keeps the keyboard.
    OtherClient().Click(1150, 700);
    QTest::qWait(300);
    EXPECT_EQ(QApplication::activeWindow(), &user);
    EXPECT_EQ(WindowObserver().InputFocus(), static_cast<xcb_window_t>(user.winId()));
    QTest::keyClick(shown.data(), Qt::Key_Escape);
    EXPECT_TRUE(AllGone());

    markers.Show({100, 100, 60, 40}, 3);
    shown = ShownMarker();
    ASSERT_NE(shown, nullptr);
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    QApplication::exec();
    EXPECT_TRUE(shown.isNull());
}

}  // namespace
}  // namespace glimtap::test
