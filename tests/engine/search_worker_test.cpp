#include <gtest/gtest.h>


#include "engine/search_event_queue.h"
#include "engine/search_worker.h"
#include "engine/template_folder.h"
#include "engine/utf16.h"
#include "platform/image_screen.h"
#include "support/bmp_writer.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

using Kind = SearchEvent::Kind;

class RecordingSpeaker : public Speaker {
public:
    explicit RecordingSpeaker(std::vector<std::u16string>& spoken) : spoken_(spoken) {}
    bool Speak(std::u16string_view text) override {
        spoken_.emplace_back(text);
        return true;
    }

private:
    std::vector<std::u16string>& spoken_;
};

// Records reports and requests a stop once `attemptsBeforeStop` tries were reported.
class RecordingSink : public SearchEventSink {
public:
    RecordingSink(StopSignal& stop, int attemptsBeforeStop) : stop_(stop), left_(attemptsBeforeStop) {}
    void OnTemplatesLoaded(int32_t count) override { events.push_back({Kind::Loaded, {}, count}); }
    void OnSearchAttempt(const std::string& name) override {
        events.push_back({Kind::Attempt, {name, 0, 0, {}}});
        if (--left_ == 0) stop_.Request();
    }
    void OnMatchFound(const MatchReport& m) override { events.push_back({Kind::Match, m}); }
    void OnShowOverlay(const MatchReport& m) override { events.push_back({Kind::Overlay, m}); }
    void OnSearchFinished() override { events.push_back({Kind::Finished, {}}); }
    std::vector<SearchEvent> events;

private:
    StopSignal& stop_;
    int left_;
};

class SearchWorkerTest : public ::testing::Test {
protected:
    SearchWorkerTest() {
        settings.areaWidth = 300;
        settings.areaHeight = 200;
        settings.matchDelayMs = 0;
        settings.speechAlerts = 1;
        settings.overlayOnMatch = 1;
        screen.assign(300 * 200, 0x00404040);
    }

    // Writes a template file and, when `at` is given, puts the picture on the screen there.
    void AddTemplate(const std::string& name, int32_t w, int32_t h, uint32_t seed,
                     std::optional<MatchPoint> at = std::nullopt) {
        const auto picture = test::RandomPicture(w, h, seed);
        test::WriteBmp(dir / name, picture);
        if (!at) return;
        for (int32_t r = 0; r < h; ++r)
            for (int32_t k = 0; k < w; ++k) screen[size_t(at->y + r) * 300 + at->x + k] = picture.pixels[size_t(r) * w + k];
    }

    std::vector<SearchEvent> Run(int attemptsBeforeStop, std::u16string folder = {}) {
        StopSignal stop;
        auto sink = std::make_shared<RecordingSink>(stop, attemptsBeforeStop);
        SearchServices services{
            [this] { return std::make_unique<platform::ImageScreen>(screen, 300, 200); },
            [this] { return std::make_unique<RecordingSpeaker>(spoken); }};
        RunSearch(settings, {sink, folder.empty() ? FromPath(dir.path()) : folder}, services, stop);
        return sink->events;
    }

    test::TempDir dir;
    SearchSettings settings;
    std::vector<uint32_t> screen;
    std::vector<std::u16string> spoken;
};

std::vector<Kind> Kinds(const std::vector<SearchEvent>& events) {
    std::vector<Kind> kinds;
    for (const auto& e : events) kinds.push_back(e.kind);
    return kinds;
}

TEST_F(SearchWorkerTest, ReportsEachTryAndMatchInOrderUntilStopped) {
    AddTemplate("only.bmp", 20, 10, 1, MatchPoint{250, 150});
    settings.areaLeft = 100;  // screen coordinates of the match: area origin + offset
    settings.areaTop = 50;
    settings.areaWidth = 200;
    settings.areaHeight = 150;
    settings.autoStopEnabled = 0;

    const auto events = Run(3);
    const MatchReport match{"only.bmp", 20, 10, {250, 150}};
    const SearchEvent attempt{Kind::Attempt, {"only.bmp", 0, 0, {}}};
    const std::vector<SearchEvent> expected = {
        {Kind::Loaded, {}, 1},
        attempt, {Kind::Match, match}, {Kind::Overlay, match},
        attempt, {Kind::Match, match}, {Kind::Overlay, match},
        attempt, {Kind::Match, match}, {Kind::Overlay, match},
        {Kind::Finished, {}}};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(spoken, std::vector<std::u16string>{u"Started"});

    settings.overlayOnMatch = 0;
    settings.speechAlerts = 0;
    spoken.clear();
    EXPECT_EQ(Kinds(Run(1)), (std::vector<Kind>{Kind::Loaded, Kind::Attempt, Kind::Match, Kind::Finished}));
    EXPECT_TRUE(spoken.empty());
}

TEST_F(SearchWorkerTest, AutoStopCountsMatchesAcrossPasses) {
    AddTemplate("absent.bmp", 8, 8, 2);
    AddTemplate("present.bmp", 8, 8, 3, MatchPoint{10, 10});
    settings.overlayOnMatch = 0;
    settings.autoStopEnabled = 1;
    settings.autoStopCount = 2;
    // Two templates a pass, one match a pass: the second pass's match ends the run.
    auto kinds = Kinds(Run(100));
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::Attempt), 4);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::Match), 2);
    EXPECT_EQ(kinds.back(), Kind::Finished);

    for (const int32_t count : {0, -5, 1}) {
        settings.autoStopCount = count;
        kinds = Kinds(Run(100));
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::Match), 1) << count;
        EXPECT_EQ(kinds.back(), Kind::Finished);
    }
}

TEST_F(SearchWorkerTest, NothingToSearchEndsAtOnce) {
    const std::vector<SearchEvent> finishedOnly = {{Kind::Loaded, {}, 0}, {Kind::Finished, {}}};
    EXPECT_EQ(Run(100), finishedOnly);  // empty folder
    EXPECT_EQ(Run(100, u"/no/such/folder"), finishedOnly);
    test::WriteFile(dir / "plain-file", {1, 2, 3});
    EXPECT_EQ(Run(100, FromPath(dir / "plain-file")), finishedOnly);  // a file, not a folder
    test::WriteBmp(dir / "eight.bmp", test::RandomPicture(4, 4, 1), {.bitsPerPixel = 8});
    EXPECT_EQ(Run(100), finishedOnly);  // only bitmaps of unsupported depth
    EXPECT_EQ(spoken.size(), 4u);  // "Started" every time all the same
    settings.targetFolder = u"";
    StopSignal stop;
    auto sink = std::make_shared<RecordingSink>(stop, 1);
    RunSearch(settings, {sink, u""}, {}, stop);  // no folder, no services
    EXPECT_EQ(sink->events, finishedOnly);
}

TEST_F(SearchWorkerTest, LoadsOnlyRegularFilesWithTheBitmapExtension) {
    for (const char* name : {"A.BMP", "b.Bmp", "c.bmp.txt", "d.bmpx", ".bmp", "f.bmp"}) {
        test::WriteBmp(dir / name, test::RandomPicture(3, 3, 7));
    }
    std::filesystem::create_directory(dir / "e.bmp");
    test::WriteFile(dir / "broken.bmp", {'B', 'M', 0});
    // Dangling links among the files must not end the loading, wherever the listing puts them.
    for (const char* name : {"dangling1.bmp", "dangling2.bmp", "dangling3.bmp", "dangling4.bmp"}) {
        std::filesystem::create_symlink(dir / "nowhere.bmp", dir / name);
    }
    const AtomicInt32 tolerance = 33;
    const auto templates = LoadTemplateFolder(dir.path(), tolerance);
    ASSERT_EQ(templates.size(), 3u);
    std::vector<std::string> names;
    for (const auto& [name, t] : templates) {
        names.push_back(name);
        EXPECT_EQ(t.maxMatches, 1);
        EXPECT_EQ(t.tolerance, 33);
        EXPECT_EQ(t.scanByColumns, 0);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A.BMP", "b.Bmp", "f.bmp"}));
    EXPECT_TRUE(HasBitmapExtension("x/Y.bMp"));
    EXPECT_FALSE(HasBitmapExtension("x/.bmp"));
    EXPECT_FALSE(HasBitmapExtension("x/bmp"));
}

TEST_F(SearchWorkerTest, FindsTemplatesWithStrangeNamesInAFolderWithAStrangeName) {
    // Quotes, a newline, shell and command syntax, and letters from beyond ASCII, in both.
    const std::string strange = "my 'shots' \"x\"\n$HOME `id` ü ✓ 漢";
    std::filesystem::create_directory(dir / strange);
    const std::string found = "t 'a' \"b\"\n$(id) `x` ü✓漢.bmp";
    const std::string absent = "$PATH ü.BMP";
    AddTemplate(strange + "/" + found, 12, 9, 21, MatchPoint{40, 60});
    AddTemplate(strange + "/" + absent, 8, 8, 22);
    settings.autoStopEnabled = 0;
    settings.overlayOnMatch = 0;

    const auto events = Run(2, FromPath(dir / strange));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), (SearchEvent{Kind::Loaded, {}, 2}));
    std::vector<std::string> tried;
    std::vector<MatchReport> matches;
    for (const SearchEvent& e : events) {
        if (e.kind == Kind::Attempt) tried.push_back(e.match.templateName);
        if (e.kind == Kind::Match) matches.push_back(e.match);
    }
    std::sort(tried.begin(), tried.end());
    EXPECT_EQ(tried, (std::vector<std::string>{absent, found}));
    EXPECT_EQ(matches, (std::vector<MatchReport>{{found, 12, 9, {40, 60}}}));
}

TEST_F(SearchWorkerTest, PassLimitEndsTheRunWithoutAFinalPause) {
    AddTemplate("absent.bmp", 8, 8, 2);
    AddTemplate("absent2.bmp", 8, 8, 4);
    settings.matchDelayMs = 3'600'000;
    StopSignal stop;
    auto sink = std::make_shared<RecordingSink>(stop, 100);
    RunSearch(settings, {sink, FromPath(dir.path()), 1}, {}, stop);
    EXPECT_EQ(Kinds(sink->events), (std::vector<Kind>{Kind::Loaded, Kind::Attempt, Kind::Attempt, Kind::Finished}));
}

TEST_F(SearchWorkerTest, StopEndsALongPauseAtOnce) {
    AddTemplate("absent.bmp", 8, 8, 2);
    settings.matchDelayMs = 3'600'000;
    auto queue = std::make_shared<SearchEventQueue>();
    {
        SearchWorker worker(settings, {queue, FromPath(dir.path())},
                            {[this] { return std::make_unique<platform::ImageScreen>(screen, 300, 200); }, {}});
        ASSERT_EQ(queue->Next(std::chrono::seconds(30))->kind, Kind::Loaded);
        ASSERT_EQ(queue->Next(std::chrono::seconds(30))->kind, Kind::Attempt);
        worker.RequestStop();
        worker.Join();  // would hang for an hour if the pause ignored the stop
    }
    EXPECT_EQ(queue->Next(std::chrono::seconds(0)), (SearchEvent{Kind::Finished, {}}));

    // Destroying a running worker stops and joins it.
    settings.matchDelayMs = 0;
    { SearchWorker worker(settings, {queue, FromPath(dir.path())}, {}); }
    SearchEvent last;
    while (auto e = queue->Next(std::chrono::seconds(0))) last = *e;
    EXPECT_EQ(last.kind, Kind::Finished);
}

}  // namespace
}  // namespace glimtap
