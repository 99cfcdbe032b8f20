#include "response/match_responder.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/backends.h"
#include "support/fakes.h"
#include "support/geometry_printing.h"
#include "support/modal_driver.h"

namespace glimtap::test {
namespace {

using platform::Point;
using Step = FakeTouch::Step;

MatchReport Match(int32_t width, int32_t height, int32_t x, int32_t y) {
    return {.templateName = "t.bmp", .width = width, .height = height, .location = {x, y}};
}

SearchSettings Settings(bool move, bool tap, bool command) {
    SearchSettings settings;
    settings.moveCursorToMatch = move, settings.touchAtMatch = tap, settings.executeEnabled = command;
    settings.executeVerb = u"open";
    settings.executeFile = u"notes.txt";
    return settings;
}

struct Outcome {
    bool move, tap, command;
    Step refused;
    bool pointer, touch;   // offered by the desktop
    Point end;             // where the pointer is left
    int downs, ups, nudges, launches;
};

// The pointer starts at 7,9; the match is the one pixel 40,50.
const Outcome kOutcomes[] = {
    {false, false, false, Step::kNone, true, true, {7, 9}, 0, 0, 0, 0},
    {true, false, false, Step::kNone, true, true, {40, 50}, 0, 0, 0, 0},
    // A tap puts the cursor back where it was and nudges it, so the desktop shows it again.
    {false, true, false, Step::kNone, true, true, {7, 9}, 1, 1, 2, 0},
    {true, true, false, Step::kNone, true, true, {40, 50}, 1, 1, 2, 0},
    {false, false, true, Step::kNone, true, true, {7, 9}, 0, 0, 0, 1},
    // A refused step ends the tap, never the match: the command still runs.
    {true, true, true, Step::kPrepare, true, true, {40, 50}, 0, 0, 0, 1},
    {true, true, true, Step::kDown, true, true, {40, 50}, 1, 0, 0, 1},
    {true, true, true, Step::kUp, true, true, {40, 50}, 1, 1, 0, 1},
    // What the desktop does not offer is skipped.
    {true, true, true, Step::kNone, false, true, {7, 9}, 1, 1, 0, 1},
    {true, true, true, Step::kNone, true, false, {40, 50}, 0, 0, 0, 1},
};

TEST(MatchResponderTest, OutcomesOfEverySettingAndRefusal) {
    for (const Outcome& o : kOutcomes) {
        SCOPED_TRACE(testing::Message() << "outcome " << (&o - kOutcomes));
        FakePointer pointer;
        FakeTouch touch;
        touch.refused = o.refused;
        RecordingLauncher launcher;
        MatchResponder responder(o.pointer ? &pointer : nullptr, o.touch ? &touch : nullptr,
                                 launcher, nullptr, [](std::chrono::milliseconds) {});
        const std::optional<Point> picked =
            responder.OnMatchFound(Match(1, 1, 40, 50), Settings(o.move, o.tap, o.command));
        EXPECT_EQ(picked.has_value(), o.move || o.tap);
        EXPECT_EQ(pointer.at, o.end);
        EXPECT_EQ(static_cast<int>(touch.downs.size()), o.downs);
        for (const Point& down : touch.downs) EXPECT_EQ(down, (Point{40, 50}));
        EXPECT_EQ(touch.ups, o.ups);
        EXPECT_EQ(pointer.nudges, o.nudges);
        EXPECT_EQ(launcher.Calls().size(), static_cast<size_t>(o.launches));
        for (const auto& call : launcher.Calls()) EXPECT_EQ(call.file, "notes.txt");
    }
}

// The range is inclusive at both ends, on the real pointer.
TEST(MatchResponderTest, CursorLandsOnEveryPixelOfTheMatchAndNowhereElse) {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::Pointer& pointer = *backends->MousePointer();
    RecordingLauncher launcher;
    MatchResponder responder(&pointer, nullptr, launcher, nullptr);
    std::set<std::pair<int32_t, int32_t>> pixels;
    for (int i = 0; i < 200; ++i) {
        const std::optional<Point> picked = responder.OnMatchFound(Match(3, 2, 100, 200), Settings(true, false, false));
        const std::optional<Point> at = pointer.Position();
        EXPECT_EQ(at, picked);
        if (at) pixels.insert({at->x, at->y});
    }
    EXPECT_EQ(pixels, (std::set<std::pair<int32_t, int32_t>>{{100, 200}, {101, 200}, {102, 200},
                                                             {100, 201}, {101, 201}, {102, 201}}));
}

// A window that notes the buttons pressed and released on it, and where on the screen.
class ButtonWindow : public QWidget {
public:
    using Presses = std::vector<std::pair<Qt::MouseButton, Point>>;
    Presses presses, releases;

protected:
    void mousePressEvent(QMouseEvent* event) override { Note(presses, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Note(releases, event); }

private:
    static void Note(Presses& into, QMouseEvent* event) {
        const QPoint at = event->globalPosition().toPoint();
        into.emplace_back(event->button(), Point{at.x(), at.y()});
    }
};

// No uinput here: the tap falls back to XTest clicks. Off the screen there is nothing to
// tap, where the server would press at the edge instead.
TEST(XTestTapTest, TapPressesAndReleasesTheFirstButtonAtThePointOnly) {
    ButtonWindow window;
    window.setWindowFlags(Qt::X11BypassWindowManagerHint);
    window.setGeometry(100, 120, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::TouchInjector& tap = *backends->Touch();
    ASSERT_TRUE(tap.Prepare());
    EXPECT_FALSE(tap.Down({-5, 130}));
    EXPECT_FALSE(tap.Down({150, 100000}));
    ASSERT_TRUE(tap.Down({150, 170}));
    ASSERT_TRUE(tap.Up({150, 170}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return !window.releases.empty(); }));
    const ButtonWindow::Presses tapped{{Qt::LeftButton, {150, 170}}};
    EXPECT_EQ(window.presses, tapped);
    EXPECT_EQ(window.releases, tapped);
}

}  // namespace
}  // namespace glimtap::test
