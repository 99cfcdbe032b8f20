#include "response/screen_markers.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/backends.h"
#include "support/marker_windows.h"
#include "support/poll_until.h"
#include "support/run_process.h"
#include "support/x_drawing.h"
#include "support/x_input.h"

namespace glimtap::test {
namespace {

// `over` at the markers' alpha on `under`, as a compositor blends it, give or take 2.
bool Shows(uint32_t pixel, uint32_t over, uint32_t under, bool blended) {
    for (int shift : {0, 8, 16}) {
        const int top = over >> shift & 0xFF, below = under >> shift & 0xFF;
        const int expected = blended ? (top * 130 + below * 125) / 255 : top;
        if (std::abs(int(pixel >> shift & 0xFF) - expected) > 2) return false;
    }
    return true;
}

class ScreenMarkersTest : public testing::TestWithParam<bool> {};

// Around the match, never over it, with a compositor (xcompmgr) and without: the match keeps
// every pixel, the red frame (4 pixels at 96 dots per inch) lies just outside it, then the
// translucent yellow band where a compositor runs; the countdown lies above the match, below
// one at the screen's top. Clicks go through to the window under the marker.
TEST_P(ScreenMarkersTest, FrameAndCountdownLieAroundTheMatchAndLetClicksThrough) {
    const bool compositor = GetParam();
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    std::optional<ChildProcess> xcompmgr;
    if (compositor) xcompmgr.emplace(std::vector<std::string>{"xcompmgr"});
    ASSERT_TRUE(PollUntil([&] { return backends->Geometry().CompositorRunning() == compositor; }));
    const ScreenShot backdrop = PatternedScreen(backends->Geometry().VirtualScreenSize());
    ScreenPainter painter;
    painter.DrawOnRoot(backdrop);
    const char* scaled = std::getenv("QT_SCALE_FACTOR");
    const int32_t scale = scaled != nullptr ? std::atoi(scaled) : 1, frame = 4 * scale;
    QPushButton under;
    int presses = 0;
    QObject::connect(&under, &QPushButton::pressed, [&presses] { ++presses; });
    under.setWindowFlags(Qt::X11BypassWindowManagerHint);
    under.setGeometry(1000 / scale, 0, 400 / scale, 300 / scale);
    under.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&under));
    ScreenOverlays overlays(backends->Geometry());
    ScreenMarkers markers(&overlays);
    markers.Show({600, 400, 200, 100}, MarkerKind::kMatch, MatchMarkers::kSeconds);
    markers.Show({1100, 0, 200, 100}, MarkerKind::kMatch, MatchMarkers::kSeconds);
    ScreenShot shot;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        shot = CaptureWholeScreen();
        return Shows(shot.At(600 - frame, 450), 0xED1C24, backdrop.At(600 - frame, 450), compositor);
    }, 10000)) << "the marker was never painted";
    for (int32_t i = 0; i < 200 * 100; ++i) {
        ASSERT_EQ(shot.At(600 + i % 200, 400 + i / 200), backdrop.At(600 + i % 200, 400 + i / 200)) << i;
    }
    for (int32_t i = 1; i <= 4 * frame; ++i) {
        const auto [x, y] = std::pair{600 - i, 450};
        const uint32_t colour = i <= frame ? 0xED1C24 : compositor && i <= 3 * frame ? 0xFFF200 : backdrop.At(x, y);
        EXPECT_TRUE(Shows(shot.At(x, y), colour, backdrop.At(x, y), compositor && colour != backdrop.At(x, y)))
            << std::hex << shot.At(x, y) << " at " << std::dec << x;
    }
    EXPECT_NE(shot.At(700, 400 - frame - 4 * scale), backdrop.At(700, 400 - frame - 4 * scale)) << "no countdown above";
    EXPECT_NE(shot.At(1200, 100 + frame + 4 * scale), shot.At(1390, 290)) << "no countdown below";
    OtherClient().Click(1100 - frame, 50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 1; }, 5000)) << "the click stayed on the marker";

    EXPECT_TRUE(QTest::qWaitFor([] { return MarkerWindows().empty(); }, 15000)) << "still up after the countdown";
}

INSTANTIATE_TEST_SUITE_P(Compositor, ScreenMarkersTest, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "With" : "Without"; });

}  // namespace
}  // namespace glimtap::test
