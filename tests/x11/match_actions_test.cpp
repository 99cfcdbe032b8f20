#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "engine/utf16.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/xtest_tap.h"
#include "response/match_actions.h"

namespace glimtap::test {
namespace {

using platform::Point;
using testing::ElementsAre;

// What the actions did, in order, across the pointer, the touch injector, the launcher
// and the pauses.
using Log = std::vector<std::string>;

std::string Describe(const char* what, Point at) {
    return std::string(what) + " " + std::to_string(at.x) + "," + std::to_string(at.y);
}

// Records each call and passes it on to the real pointer when there is one.
class RecordingPointer : public platform::Pointer {
public:
    explicit RecordingPointer(Log& log, platform::Pointer* real = nullptr)
        : log_(log), real_(real) {}

    bool MoveTo(int32_t x, int32_t y) override {
        log_.push_back(Describe("MoveTo", {x, y}));
        moves.push_back({x, y});
        return real_ == nullptr || real_->MoveTo(x, y);
    }
    std::optional<Point> Position() override {
        log_.push_back("Position");
        return real_ != nullptr ? real_->Position() : std::optional<Point>(Point{7, 9});
    }
    void NudgeHorizontally(int32_t dx) override {
        log_.push_back(dx > 0 ? "Nudge +" + std::to_string(dx) : "Nudge " + std::to_string(dx));
        if (real_ != nullptr) real_->NudgeHorizontally(dx);
    }

    std::vector<Point> moves;

private:
    Log& log_;
    platform::Pointer* real_;
};

class RecordingTouch : public platform::TouchInjector {
public:
    explicit RecordingTouch(Log& log, platform::TouchInjector* real = nullptr)
        : log_(log), real_(real) {}

    bool Prepare() override {
        log_.push_back("Prepare");
        return real_ != nullptr ? real_->Prepare() : prepare_result;
    }
    bool Down(Point at) override {
        log_.push_back(Describe("Down", at));
        return real_ != nullptr ? real_->Down(at) : down_result;
    }
    bool Up(Point at) override {
        log_.push_back(Describe("Up", at));
        return real_ != nullptr ? real_->Up(at) : up_result;
    }

    bool prepare_result = true;
    bool down_result = true;
    bool up_result = true;

private:
    Log& log_;
    platform::TouchInjector* real_;
};

class RecordingLauncher : public platform::Launcher {
public:
    explicit RecordingLauncher(Log& log) : log_(log) {}

    bool Launch(std::u16string_view verb, std::u16string_view file,
                std::string* error) override {
        log_.push_back("Launch " + ToUtf8(verb) + " " + ToUtf8(file));
        if (error != nullptr) *error = "refused";
        return false;
    }

private:
    Log& log_;
};

MatchActions::Sleep RecordingSleep(Log& log) {
    return [&log](std::chrono::milliseconds duration) {
        log.push_back("Sleep " + std::to_string(duration.count()));
    };
}

SearchSettings Settings(bool move_cursor, bool touch, bool execute = false) {
    SearchSettings settings;
    settings.moveCursorToMatch = move_cursor ? 1 : 0;
    settings.touchAtMatch = touch ? 1 : 0;
    settings.executeEnabled = execute ? 1 : 0;
    settings.executeVerb = u"open";
    settings.executeFile = u"notepad";
    return settings;
}

// A template of width x height found with its top-left corner at (x, y).
MatchReport Match(int32_t width, int32_t height, int32_t x, int32_t y) {
    return {.templateName = "target.bmp", .width = width, .height = height, .location = {x, y}};
}

bool Inside(Point at, const MatchReport& match) {
    return at.x >= match.location.x && at.x < match.location.x + match.width &&
           at.y >= match.location.y && at.y < match.location.y + match.height;
}

// Everything the actions need, with the real X pointer and XTest taps behind recorders.
struct RealDesktop {
    Log log;
    platform::X11Connection x;
    platform::X11Pointer x_pointer{x};
    platform::XTestTap x_tap{x};
    RecordingPointer pointer{log, &x_pointer};
    RecordingTouch touch{log, &x_tap};
    RecordingLauncher launcher{log};
    MatchActions actions{pointer, touch, launcher, RecordingSleep(log)};
};

TEST(MatchActionsTest, CursorLandsOnEveryPixelOfTheMatchAndNowhereElse) {
    RealDesktop desktop;
    const platform::X11Connection observed;
    platform::X11Pointer observer{observed};
    const SearchSettings settings = Settings(true, false);
    const auto pixels_reached = [&](const MatchReport& match) {
        std::set<std::pair<int32_t, int32_t>> reached;
        for (int i = 0; i < 200; ++i) {
            const std::optional<Point> picked = desktop.actions.OnMatchFound(match, settings);
            const std::optional<Point> at = observer.Position();
            EXPECT_EQ(at, picked);
            EXPECT_TRUE(at && Inside(*at, match)) << Describe("pointer at", at.value_or(Point{}));
            if (at) reached.insert({at->x, at->y});
        }
        return reached;
    };

    // Every one of the six pixels comes up: the range is inclusive at both ends.
    EXPECT_EQ(pixels_reached(Match(3, 2, 100, 200)).size(), 6U);
    for (const auto& [x, y] : pixels_reached(Match(1, 40, 321, 10))) EXPECT_EQ(x, 321);
    for (const auto& [x, y] : pixels_reached(Match(40, 1, 10, 654))) EXPECT_EQ(y, 654);
}

TEST(MatchActionsTest, NegativeCoordinatesAreUsedUnchanged) {
    // A monitor left of or above the origin; an X server would clamp such a move, so the
    // pointer only records it.
    Log log;
    RecordingPointer pointer(log);
    RecordingTouch touch(log);
    RecordingLauncher launcher(log);
    MatchActions actions(pointer, touch, launcher, RecordingSleep(log));
    const MatchReport match = Match(3, 3, -50, -20);
    for (int i = 0; i < 200; ++i) actions.OnMatchFound(match, Settings(true, false));

    std::set<int32_t> xs;
    std::set<int32_t> ys;
    for (const Point& at : pointer.moves) {
        EXPECT_TRUE(Inside(at, match)) << Describe("moved to", at);
        xs.insert(at.x);
        ys.insert(at.y);
    }
    EXPECT_THAT(xs, ElementsAre(-50, -49, -48));
    EXPECT_THAT(ys, ElementsAre(-20, -19, -18));
}

TEST(MatchActionsTest, WithBothActionsOffNothingHappens) {
    RealDesktop desktop;
    ASSERT_TRUE(desktop.x_pointer.MoveTo(12, 34));
    desktop.log.clear();

    // No point is even picked.
    EXPECT_EQ(desktop.actions.OnMatchFound(Match(10, 10, 500, 500), Settings(false, false)),
              std::nullopt);

    EXPECT_THAT(desktop.log, ElementsAre());
    EXPECT_EQ(desktop.x_pointer.Position(), (Point{12, 34}));
}

TEST(MatchActionsTest, TouchOnlyTapsThenPutsTheCursorBackAndNudgesIt) {
    RealDesktop desktop;
    ASSERT_TRUE(desktop.x_pointer.MoveTo(700, 500));
    desktop.log.clear();
    const MatchReport match = Match(40, 30, 100, 200);

    const std::optional<Point> picked = desktop.actions.OnMatchFound(match, Settings(false, true));

    ASSERT_TRUE(picked.has_value());
    const Point at = *picked;
    EXPECT_TRUE(Inside(at, match)) << Describe("tapped", at);
    EXPECT_THAT(desktop.log, ElementsAre("Prepare", "Position", Describe("Down", at), "Sleep 200",
                                         Describe("Up", at), "Sleep 15", "MoveTo 700,500",
                                         "Nudge +1", "Nudge -1"));
    EXPECT_EQ(desktop.x_pointer.Position(), (Point{700, 500}));
}

TEST(MatchActionsTest, CursorAndTouchTapWhereTheCursorWentAndStayThere) {
    RealDesktop desktop;
    ASSERT_TRUE(desktop.x_pointer.MoveTo(700, 500));
    desktop.log.clear();
    const MatchReport match = Match(40, 30, 100, 200);

    desktop.actions.OnMatchFound(match, Settings(true, true));

    ASSERT_EQ(desktop.pointer.moves.size(), 2U);
    const Point at = desktop.pointer.moves[0];
    EXPECT_TRUE(Inside(at, match)) << Describe("moved to", at);
    EXPECT_THAT(desktop.log,
                ElementsAre(Describe("MoveTo", at), "Prepare", "Position", Describe("Down", at),
                            "Sleep 200", Describe("Up", at), "Sleep 15", Describe("MoveTo", at),
                            "Nudge +1", "Nudge -1"));
    EXPECT_EQ(desktop.x_pointer.Position(), at);
}

TEST(MatchActionsTest, AFailedTapStepEndsTheTapButNotTheMatch) {
    Log log;
    RecordingPointer pointer(log);
    RecordingTouch touch(log);
    RecordingLauncher launcher(log);
    MatchActions actions(pointer, touch, launcher, RecordingSleep(log));
    // One pixel, so that the point is known.
    const MatchReport match = Match(1, 1, 40, 50);
    const SearchSettings settings = Settings(true, true, true);

    touch.prepare_result = false;
    actions.OnMatchFound(match, settings);
    // The position is saved even so; the cursor move and the command still happen.
    EXPECT_THAT(log, ElementsAre("MoveTo 40,50", "Prepare", "Position", "Launch open notepad"));

    log.clear();
    touch.prepare_result = true;
    touch.down_result = false;
    actions.OnMatchFound(match, settings);
    EXPECT_THAT(log, ElementsAre("MoveTo 40,50", "Prepare", "Position", "Down 40,50",
                                 "Launch open notepad"));

    log.clear();
    touch.down_result = true;
    touch.up_result = false;
    actions.OnMatchFound(match, settings);
    EXPECT_THAT(log, ElementsAre("MoveTo 40,50", "Prepare", "Position", "Down 40,50",
                                 "Sleep 200", "Up 40,50", "Launch open notepad"));
}

TEST(MatchActionsTest, TheCommandRunsOnceAfterTheTapAndOnTest) {
    Log log;
    RecordingPointer pointer(log);
    RecordingTouch touch(log);
    RecordingLauncher launcher(log);
    MatchActions actions(pointer, touch, launcher, RecordingSleep(log));
    const MatchReport match = Match(1, 1, 40, 50);

    actions.OnMatchFound(match, Settings(false, true, true));
    EXPECT_THAT(log, ElementsAre("Prepare", "Position", "Down 40,50", "Sleep 200", "Up 40,50",
                                 "Sleep 15", "MoveTo 7,9", "Nudge +1", "Nudge -1",
                                 "Launch open notepad"));

    log.clear();
    SearchSettings command_only = Settings(false, false, true);
    command_only.executeVerb = u"";
    command_only.executeFile = u"https://example.com/";
    actions.OnMatchFound(match, command_only);
    EXPECT_THAT(log, ElementsAre("Launch  https://example.com/"));

    log.clear();
    std::string error;
    EXPECT_FALSE(actions.RunTestCommand(u"edit", u"notes.txt", &error));
    EXPECT_EQ(error, "refused");
    EXPECT_THAT(log, ElementsAre("Launch edit notes.txt"));
}

}  // namespace
}  // namespace glimtap::test
