#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "engine/search_worker.h"
#include "engine/template_folder.h"
#include "platform/fake/image_capture.h"
#include "support/bmp_writer.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

enum class Kind { Loaded, Attempt, Match, Overlay, Finished };

struct Event {
    Kind kind;
    MatchReport match;  // the name alone for Attempt; the count in width for Loaded
    friend bool operator==(const Event&, const Event&) = default;
};

// Records reports from any thread; requests a stop once `attemptsBeforeStop` tries came.
class RecordingSink : public SearchEventSink {
public:
    RecordingSink(StopSignal& stop, int attemptsBeforeStop) : stop_(stop), left_(attemptsBeforeStop) {}
    void OnTemplatesLoaded(int32_t count) override { Add({Kind::Loaded, {{}, count, 0, {}}}); }
    void OnSearchAttempt(const std::string& name) override {
        Add({Kind::Attempt, {name, 0, 0, {}}});
        if (--left_ == 0) stop_.Request();
    }
    void OnMatchFound(const MatchReport& m) override { Add({Kind::Match, m}); }
    void OnShowOverlay(const MatchReport& m) override { Add({Kind::Overlay, m}); }
    void OnSearchFinished() override { Add({Kind::Finished, {}}); }

    std::vector<Event> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    void WaitForEvents(size_t count) {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(added_.wait_for(lock, std::chrono::seconds(30), [&] { return events_.size() >= count; }));
    }

private:
    void Add(const Event& event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        added_.notify_all();
    }
    StopSignal& stop_;
    int left_;
    std::mutex mutex_;
    std::condition_variable added_;
    std::vector<Event> events_;
};

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

// A blank screen that is lost after `captures` captures, as when the X server goes.
class LosingCapture : public platform::ScreenCapture {
public:
    explicit LosingCapture(int captures) : left_(captures) {}
    std::optional<platform::ScreenImage> Capture(const platform::ScreenRect& area) override {
        if (left_-- <= 0) throw platform::ScreenLost("lost the test screen");
        pixels_.assign(static_cast<size_t>(area.width) * static_cast<size_t>(area.height), 0);
        return platform::ScreenImage{pixels_.data(), area.width, area.height, area.left, area.top};
    }

private:
    int left_;
    std::vector<uint32_t> pixels_;
};

std::vector<Kind> Kinds(const std::vector<Event>& events) {
    std::vector<Kind> kinds;
    for (const auto& e : events) kinds.push_back(e.kind);
    return kinds;
}

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
    void AddTemplate(const std::filesystem::path& name, int32_t w, int32_t h, uint32_t seed,
                     std::optional<MatchPoint> at = std::nullopt) {
        const auto picture = test::RandomPicture(w, h, seed);
        test::WriteBmp(dir.path() / name, picture);
        if (!at) return;
        for (int32_t r = 0; r < h; ++r)
            for (int32_t k = 0; k < w; ++k) screen[size_t(at->y + r) * 300 + at->x + k] = picture.pixels[size_t(r) * w + k];
    }

    SearchServices Services() {
        return {[this] { return std::make_unique<platform::ImageCapture>(screen, 300, 200); },
                [this] { return std::make_unique<RecordingSpeaker>(spoken); }};
    }

    std::vector<Event> Run(int attemptsBeforeStop, std::optional<std::filesystem::path> folder = {}) {
        StopSignal stop;
        auto sink = std::make_shared<RecordingSink>(stop, attemptsBeforeStop);
        RunSearch(settings, {sink, folder.value_or(dir.path())}, Services(), stop);
        return sink->Events();
    }

    test::TempDir dir;
    SearchSettings settings;
    std::vector<uint32_t> screen;
    std::vector<std::u16string> spoken;
};

TEST_F(SearchWorkerTest, ReportsEachTryAndMatchInOrderUntilStopped) {
    AddTemplate("only.bmp", 20, 10, 1, MatchPoint{250, 150});
    settings.areaLeft = 100;  // screen coordinates of the match: area origin + offset
    settings.areaTop = 50;
    settings.areaWidth = 200;
    settings.areaHeight = 150;
    const MatchReport match{"only.bmp", 20, 10, {250, 150}};
    const Event attempt{Kind::Attempt, {"only.bmp", 0, 0, {}}};
    const std::vector<Event> expected = {
        {Kind::Loaded, {{}, 1, 0, {}}},
        attempt, {Kind::Match, match}, {Kind::Overlay, match},
        attempt, {Kind::Match, match}, {Kind::Overlay, match},
        {Kind::Finished, {}}};
    EXPECT_EQ(Run(2), expected);
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
    // Two templates a pass, one match a pass: count 2 ends the run in the second pass.
    for (const auto& [count, matches] : {std::pair{2, 2}, {1, 1}, {0, 1}, {-5, 1}}) {
        settings.autoStopCount = count;
        const auto kinds = Kinds(Run(100));
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::Match), matches) << count;
        EXPECT_EQ(kinds.back(), Kind::Finished);
    }
}

TEST_F(SearchWorkerTest, NothingToSearchEndsAtOnce) {
    const std::vector<Event> finishedOnly = {{Kind::Loaded, {}}, {Kind::Finished, {}}};
    test::WriteFile(dir / "plain-file", {1, 2, 3});
    for (const std::filesystem::path& folder : {dir.path(), dir / "no-such-folder", dir / "plain-file",
                                                std::filesystem::path()}) {
        EXPECT_EQ(Run(100, folder), finishedOnly) << folder;
    }
    test::WriteBmp(dir / "eight.bmp", test::RandomPicture(4, 4, 1), {.bitsPerPixel = 8});
    EXPECT_EQ(Run(100), finishedOnly);  // only bitmaps of another depth
    EXPECT_EQ(spoken.size(), 5u);  // "Started" every time all the same
}

// One rule for the worker and the image list: regular .bmp files, any case, links followed.
TEST_F(SearchWorkerTest, TemplatesAreTheRegularFilesWithTheBitmapExtension) {
    for (const char* name : {"A.BMP", "b.Bmp", "c.bmp.txt", "d.bmpx", ".bmp", "f.bmp"}) {
        test::WriteBmp(dir / name, test::RandomPicture(3, 3, 7));
    }
    std::filesystem::create_directory(dir / "e.bmp");
    std::filesystem::create_symlink(dir / "f.bmp", dir / "link.bmp");
    test::WriteFile(dir / "broken.bmp", {'B', 'M', 0});
    // Dangling links must not end the listing, wherever it puts them.
    for (const char* name : {"dangling1.bmp", "dangling2.bmp", "dangling3.bmp", "dangling4.bmp"}) {
        std::filesystem::create_symlink(dir / "nowhere.bmp", dir / name);
    }
    std::error_code failure;
    std::vector<std::string> listed;
    for (const auto& file : ListTemplateFiles(dir.path(), failure)) listed.push_back(file.filename());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"A.BMP", "b.Bmp", "broken.bmp", "f.bmp", "link.bmp"}));
    EXPECT_FALSE(failure);

    const AtomicInt32 tolerance = 33;
    const auto templates = LoadTemplateFolder(dir.path(), tolerance);
    ASSERT_EQ(templates.size(), 4u);  // all but the broken one
    for (const auto& [name, t] : templates) {
        EXPECT_EQ(t.maxMatches, 1);
        EXPECT_EQ(t.tolerance, 33);
    }
    ListTemplateFiles(dir / "no-such-folder", failure);
    EXPECT_TRUE(failure);
}

TEST_F(SearchWorkerTest, FindsTemplatesWithStrangeNamesInAFolderWithAStrangeName) {
    // Quotes, a newline, shell syntax, letters beyond ASCII, and bytes that are no UTF-8.
    for (const std::string strange : {"my 'shots' \"x\"\n$HOME `id` ü ✓ 漢", "Bilder \xE4\xFF"}) {
        SCOPED_TRACE(strange);
        std::filesystem::create_directory(dir / strange);
        const std::string found = strange.substr(0, 8) + " t 'a'\n$(id) \xFC\xC3.bmp";
        const std::string absent = "$PATH ü.BMP";
        AddTemplate(strange + "/" + found, 12, 9, 21, MatchPoint{40, 60});
        AddTemplate(strange + "/" + absent, 8, 8, 22);
        settings.overlayOnMatch = 0;

        const auto events = Run(2, dir / strange);
        std::vector<std::string> tried;
        std::vector<MatchReport> matches;
        for (const Event& e : events) {
            if (e.kind == Kind::Attempt) tried.push_back(e.match.templateName);
            if (e.kind == Kind::Match) matches.push_back(e.match);
        }
        std::sort(tried.begin(), tried.end());
        EXPECT_EQ(tried, (std::vector<std::string>{absent, found}));
        EXPECT_EQ(matches, (std::vector<MatchReport>{{found, 12, 9, {40, 60}}}));
    }
}

TEST_F(SearchWorkerTest, PassLimitEndsTheRunWithoutAFinalPause) {
    AddTemplate("absent.bmp", 8, 8, 2);
    AddTemplate("absent2.bmp", 8, 8, 4);
    settings.matchDelayMs = 3'600'000;
    StopSignal stop;
    auto sink = std::make_shared<RecordingSink>(stop, 100);
    RunSearch(settings, {sink, dir.path(), 1}, {}, stop);
    EXPECT_EQ(Kinds(sink->Events()), (std::vector<Kind>{Kind::Loaded, Kind::Attempt, Kind::Attempt, Kind::Finished}));
}

TEST_F(SearchWorkerTest, StopEndsALongPauseAtOnce) {
    AddTemplate("absent.bmp", 8, 8, 2);
    settings.matchDelayMs = 3'600'000;
    StopSignal unused;
    auto sink = std::make_shared<RecordingSink>(unused, 100);
    {
        SearchWorker worker(settings, {sink, dir.path()}, Services());
        sink->WaitForEvents(2);
        worker.RequestStop();
        worker.Join();  // would hang for an hour if the pause ignored the stop
        EXPECT_EQ(Kinds(sink->Events()), (std::vector<Kind>{Kind::Loaded, Kind::Attempt, Kind::Finished}));
    }
    // Destroying a running worker stops and joins it.
    settings.matchDelayMs = 0;
    sink = std::make_shared<RecordingSink>(unused, 100);
    { SearchWorker worker(settings, {sink, dir.path()}, {}); }
    EXPECT_EQ(Kinds(sink->Events()).back(), Kind::Finished);
}

TEST_F(SearchWorkerTest, ALostScreenEndsTheRunWhichReportsItsEndAndWhy) {
    AddTemplate("one.bmp", 8, 8, 1);
    AddTemplate("two.bmp", 8, 8, 2);
    const SearchServices services{[] { return std::make_unique<LosingCapture>(3); }, {}};
    const std::vector<Kind> lostOnTheFourthTry = {Kind::Loaded,  Kind::Attempt, Kind::Attempt,
                                                  Kind::Attempt, Kind::Attempt, Kind::Finished};
    StopSignal stop;
    auto sink = std::make_shared<RecordingSink>(stop, 1000);
    EXPECT_THROW(RunSearch(settings, {sink, dir.path()}, services, stop), platform::ScreenLost);
    EXPECT_EQ(Kinds(sink->Events()), lostOnTheFourthTry);

    for (const int32_t passes : {1000, 1}) {
        sink = std::make_shared<RecordingSink>(stop, 1000);
        SearchWorker worker(settings, {sink, dir.path(), passes}, services);
        worker.Join();
        // A run that ends as it should has nothing to say.
        EXPECT_EQ(worker.Failure(), passes == 1 ? std::nullopt : std::optional<std::string>("lost the test screen"));
        EXPECT_EQ(sink->Events().size(), passes == 1 ? 4u : 6u);
    }
}

}  // namespace
}  // namespace glimtap
