#include "response/screen_markers.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

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

class ScreenMarkersTest : public testing::TestWithParam<bool> {};

// Exactly over the match, with the inner half of a red frame 4 pixels wide at 96 dots per
// inch; translucent yellow with a compositor, the screen itself showing through without one.
TEST_P(ScreenMarkersTest, MarkerLiesExactlyOverTheMatchCountsDownAndGoes) {
    const bool compositor = GetParam();
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return (shot = CaptureWholeScreen()).At(600, 450) == kRed; }, 10000))
        << "the marker was never painted";
    // Not a pixel beyond the match.
    for (int32_t i = 0; i < 210; ++i) {
        for (const auto& [x, y] : {std::pair{595 + i, 399}, {595 + i, 500}, {599, 395 + i % 110}, {800, 395 + i % 110}})
            ASSERT_EQ(shot.At(x, y), backdrop.At(x, y)) << x << "," << y;
    }
    const char* scale = std::getenv("QT_SCALE_FACTOR");
    const int32_t frame = 2 * (scale != nullptr ? std::atoi(scale) : 1);
    for (int32_t i = 0; i <= frame; ++i) {
        for (const auto& [x, y] : {std::pair{600 + i, 450}, {799 - i, 450}, {620, 400 + i}, {620, 499 - i}})
            EXPECT_EQ(shot.At(x, y), i < frame ? kRed : compositor ? kYellow : backdrop.At(x, y)) << x << "," << y;
    }
    // 3, 2, 1, then gone.
    std::vector<int64_t> counted;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        if (!marker.isNull() && (counted.empty() || counted.back() != marker->SecondsLeft()))
            counted.push_back(marker->SecondsLeft());
        return marker.isNull();
    }, 15000));
    EXPECT_EQ(counted, (std::vector<int64_t>{3, 2, 1}));
}

INSTANTIATE_TEST_SUITE_P(Compositor, ScreenMarkersTest, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "With" : "Without"; });

TEST(ScreenMarkersFocus, NeverTakeTheFocusAndCloseOnEscape) {
    QLineEdit user;
    user.setGeometry(50, 50, 300, 40);
    user.show();
    user.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&user));
    FixedDesktop desktop(true);
    ScreenOverlays overlays(desktop);
    ScreenMarkers markers(overlays);
    markers.Show({1000, 600, 300, 200}, 3);
    const QPointer<CScreenOverlay> shown = ShownMarker();
    ASSERT_NE(shown, nullptr);
    // A click lands on the marker, and still the user's window keeps the keyboard.
    OtherClient().Click(1150, 700);
    QTest::qWait(300);
    EXPECT_EQ(QApplication::activeWindow(), &user);
    EXPECT_EQ(WindowObserver().InputFocus(), static_cast<xcb_window_t>(user.winId()));
    QTest::keyClick(shown.data(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([] { return MarkerWindows().empty(); }, 15000));
}

}  // namespace
}  // namespace glimtap::test
