#include "reaction/match_responder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "qt_support/application_thread.h"
#include "reaction/run_loop.h"
#include "reaction/search_event_relay.h"
#include "response/screen_markers.h"
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

// Marker surfaces that note the numbers each one shows; the markers may outlive them.
struct FakeMarkerSurfaces : MarkerSurfaces {
    struct Surface : MarkerSurface {
        std::shared_ptr<std::vector<int64_t>> shown = std::make_shared<std::vector<int64_t>>();
        void Show(int64_t seconds) override { shown->push_back(seconds); }
    };
    std::unique_ptr<MarkerSurface> Open(const platform::ScreenRect&, MarkerKind, std::function<void()>) override {
        auto surface = std::make_unique<Surface>();
        opened.push_back(surface->shown);
        return surface;
    }
    std::vector<std::shared_ptr<std::vector<int64_t>>> opened;
};

struct Outcome {
    bool move, tap, command;
    Step refused;
    bool pointer, touch;   // offered by the desktop
    Point end;             // where the pointer is left
    int downs, ups, nudges, launches;
    int overlays = 0;   // markers asked for, each a pixel further right unless `same`
    bool same = false;  // every one over the match, the next once it shows 2; then to its end
    int opened = 0;     // surfaces opened for them
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
    // At most 16 markers; one over the same match counts down afresh instead of a second one.
    {false, false, false, Step::kNone, true, true, {7, 9}, 0, 0, 0, 0, 20, false, ScreenMarkers::kMostAlive},
    {false, false, false, Step::kNone, true, true, {7, 9}, 0, 0, 0, 0, 2, true, 1},
};

TEST(MatchResponderTest, OutcomesOfEverySettingAndRefusal) {
    for (const Outcome& o : kOutcomes) {
        SCOPED_TRACE(testing::Message() << "outcome " << (&o - kOutcomes));
        FakePointer pointer;
        FakeTouch touch;
        touch.refused = o.refused;
        RecordingLauncher launcher;
        FakeMarkerSurfaces surfaces;
        ScreenMarkers markers(&surfaces);
        MatchResponder responder(o.pointer ? &pointer : nullptr, o.touch ? &touch : nullptr,
                                 launcher, &markers, [](std::chrono::milliseconds) {});
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
        for (int i = 0; i < o.overlays; ++i) {
            if (o.same && i > 0) { ASSERT_TRUE(ProcessEventsUntil([&] { return surfaces.opened[0]->back() == 2; })); }
            responder.OnShowOverlay(Match(1, 1, o.same ? 40 : 40 + i, 50));
        }
        if (o.same) { ASSERT_TRUE(ProcessEventsUntil([&] { return markers.Alive() == 0; })); }
        ASSERT_EQ(static_cast<int>(surfaces.opened.size()), o.opened);
        const std::vector<int64_t> life = o.same ? std::vector<int64_t>{3, 2, 3, 2, 1} : std::vector<int64_t>{3};
        for (const auto& shown : surfaces.opened) EXPECT_EQ(*shown, life);
    }
}

// Notes the templates of the attempts it receives.
class RecordingSink : public SearchEventSink {
public:
    void OnTemplatesLoaded(int32_t) override {}
    void OnSearchAttempt(const std::string& name) override { names.push_back(std::stoi(name)); }
    void OnMatchFound(const MatchReport&) override {}
    void OnShowOverlay(const MatchReport&) override {}
    void OnSearchFinished() override {}
    std::vector<int> names;
};

TEST(SearchEventRelayTest, AWorkerAheadOfTheApplicationWaitsAndLosesNothing) {
    RecordingSink sink;
    SearchEventRelay relay(sink, PostToApplication);
    constexpr int kReports = 2000;
    std::atomic<int> handed{0};
    std::thread worker([&] {
        for (int i = 0; i < kReports; ++i, ++handed) relay.OnSearchAttempt(std::to_string(i));
    });
    // The application is busy elsewhere: the backlog stops growing at the bound.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(handed.load(), SearchEventRelay::kMostWaiting);
    ASSERT_TRUE(ProcessEventsUntil([&] { return static_cast<int>(sink.names.size()) == kReports; }));
    worker.join();
    for (int i = 0; i < kReports; ++i) ASSERT_EQ(sink.names[i], i);

    // Once the application waits for the worker, the worker waits for nothing.
    std::thread blocked([&] {
        for (int i = 0; i < 3 * SearchEventRelay::kMostWaiting; ++i) relay.OnSearchAttempt("0");
    });
    relay.StopHolding();
    blocked.join();
    // Detached, the reports still under way reach nothing, as when the sink goes first.
    relay.Detach();
    QCoreApplication::processEvents();
    EXPECT_EQ(sink.names.size(), size_t{kReports});
}

// The command line's loop runs what other threads post, in order, on its own thread, what
// was posted when the end came too; after that nothing is taken.
TEST(RunLoopTest, RunsPostedWorkInOrderUntilTheEnd) {
    RunLoop loop;
    std::vector<int> ran;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) loop.Post([&ran, i] { ran.push_back(i); });
        loop.Post([&] {
            loop.Quit(std::chrono::milliseconds(0));
            loop.Post([&ran] { ran.push_back(100); });
        });
    });
    loop.Run();
    poster.join();
    ASSERT_EQ(ran.size(), 101u);
    for (int i = 0; i <= 100; ++i) EXPECT_EQ(ran[i], i);
    EXPECT_FALSE(loop.Post([] {}));
}

}  // namespace
}  // namespace glimtap::test
