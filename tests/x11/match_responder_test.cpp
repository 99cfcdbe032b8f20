#include "response/match_responder.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>

#include "platform/backends.h"
#include "support/geometry_printing.h"
#include "support/fakes.h"

namespace glimtap::test {
namespace {

using platform::Point;

using Step = FakeTouch::Step;

MatchReport Match(int32_t width, int32_t height, int32_t x, int32_t y) {
    return {.templateName = "t.bmp", .width = width, .height = height, .location = {x, y}};
}

SearchSettings Settings(bool move, bool tap, bool command) {
    SearchSettings settings;
    settings.moveCursorToMatch = move ? 1 : 0;
    settings.touchAtMatch = tap ? 1 : 0;
    settings.executeEnabled = command ? 1 : 0;
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
        SCOPED_TRACE(testing::Message() << "move " << o.move << " tap " << o.tap << " command "
                                        << o.command << " refused " << int(o.refused) << " pointer "
                                        << o.pointer << " touch " << o.touch);
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

TEST(MatchResponderTest, CursorLandsOnEveryPixelOfTheMatchAndNowhereElse) {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::Pointer& real = *backends->MousePointer();
    FakePointer fake;
    RecordingLauncher launcher;
    const auto reached = [&](platform::Pointer& pointer, const MatchReport& match) {
        MatchResponder responder(&pointer, nullptr, launcher, nullptr);
        std::set<std::pair<int32_t, int32_t>> pixels;
        for (int i = 0; i < 200; ++i) {
            const std::optional<Point> picked =
                responder.OnMatchFound(match, Settings(true, false, false));
            const std::optional<Point> at = pointer.Position();
            EXPECT_EQ(at, picked);
            if (at) pixels.insert({at->x, at->y});
        }
        return pixels;
    };
    // The range is inclusive at both ends, on the real pointer and off the screen's origin.
    using Pixels = std::set<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(reached(real, Match(3, 2, 100, 200)),
              (Pixels{{100, 200}, {101, 200}, {102, 200}, {100, 201}, {101, 201}, {102, 201}}));
    EXPECT_EQ(reached(fake, Match(2, 2, -50, -20)),
              (Pixels{{-50, -20}, {-49, -20}, {-50, -19}, {-49, -19}}));
}

}  // namespace
}  // namespace glimtap::test
