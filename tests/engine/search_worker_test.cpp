#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "engine/search_worker.h"
#include "engine/template_folder.h"
#include "platform/image_screen.h"
#include "support/bmp_writer.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

enum Kind { Loaded, Attempt, Match, Overlay, Finished };

struct Event {
    Kind kind;
    MatchReport match;  // the name alone for an attempt, the count as width for Loaded
    friend bool operator==(const Event&, const Event&) = default;
};

// Records reports from any thread; requests a stop once `attemptsBeforeStop` tries came.
class RecordingSink : public SearchEventSink {
public:
    RecordingSink(StopSignal& stop, int attemptsBeforeStop) : stop_(stop), left_(attemptsBeforeStop) {}
    void OnTemplatesLoaded(int32_t count) override { Add({Loaded, {{}, count, 0, {}}}); }
    void OnSearchAttempt(const std::string& name) override {
        Add({Attempt, {name, 0, 0, {}}});
        if (--left_ == 0) stop_.Request();
    }
    void OnMatchFound(const MatchReport& m) override { Add({Match, m}); }
    void OnShowOverlay(const MatchReport& m) override { Add({Overlay, m}); }
    void OnSearchFinished() override { Add({Finished, {}}); }
    std::vector<Event> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<Kind> Kinds() {
        std::vector<Kind> kinds;
        for (const Event& e : Events()) kinds.push_back(e.kind);
        return kinds;
    }
    void WaitFor(size_t count) {
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

// A blank screen that is lost after `captures` captures, as when the X server goes.
struct LosingCapture : platform::ScreenCapture {
    explicit LosingCapture(int captures) : left(captures) {}
    std::optional<platform::ScreenImage> Capture(const platform::ScreenRect& area) override {
        if (left-- <= 0) throw platform::ScreenLost("lost the test screen");
        pixels.assign(size_t(area.width) * size_t(area.height), 0);
        return platform::ScreenImage{pixels.data(), area.width, area.height, area.left, area.top};
    }
    int left;
    std::vector<uint32_t> pixels;
};

class SearchWorkerTest : public ::testing::Test {
protected:
    SearchWorkerTest() {
        settings.areaWidth = 300;
        settings.areaHeight = 200;
        settings.matchDelayMs = 0;
        settings.speechAlerts = 1;
        settings.overlayOnMatch = 1;
    }
    // Writes a template file and, when `at` is given, puts the picture on the screen there.
    void AddTemplate(const std::filesystem::path& name, uint32_t seed, std::optional<MatchPoint> at = {}) {
        const auto picture = test::RandomPicture(12, 9, seed);
        test::WriteBmp(dir.path() / name, picture);
        for (int32_t r = 0; at && r < 9; ++r)
            std::copy_n(&picture.pixels[size_t(r) * 12], 12, &screen[size_t(at->y + r) * 300 + at->x]);
    }
    SearchServices Services() {
        return {[this] { return std::make_unique<platform::ImageScreen>(screen, 300, 200); },
                [this] { return std::make_unique<test::RecordingSpeaker>(spoken); }};
    }
    std::shared_ptr<RecordingSink> Run(int attemptsBeforeStop, std::optional<std::filesystem::path> folder = {},
                                       int32_t passes = 0) {
        StopSignal stop;
        auto sink = std::make_shared<RecordingSink>(stop, attemptsBeforeStop);
        RunSearch(settings, {sink, folder.value_or(dir.path()), passes}, Services(), stop);
        return sink;
    }
    test::TempDir dir;
    SearchSettings settings;
    std::vector<uint32_t> screen = std::vector<uint32_t>(300 * 200, 0x00404040);
    std::shared_ptr<test::RecordingSpeaker::Record> spoken = std::make_shared<test::RecordingSpeaker::Record>();
};

TEST_F(SearchWorkerTest, ReportsEachTryAndMatchInOrderUntilStopped) {
    AddTemplate("only.bmp", 1, MatchPoint{250, 150});
    settings.areaLeft = 100;  // screen coordinates of the match: area origin + offset
    settings.areaTop = 50;
    settings.areaWidth = 200;
    const MatchReport match{"only.bmp", 12, 9, {250, 150}};
    const Event attempt{Attempt, {"only.bmp", 0, 0, {}}};
    EXPECT_EQ(Run(2)->Events(), (std::vector<Event>{{Loaded, {{}, 1, 0, {}}}, attempt, {Match, match}, {Overlay, match},
                                                    attempt, {Match, match}, {Overlay, match}, {Finished, {}}}));
    EXPECT_EQ(spoken->texts, std::vector<std::u16string>{u"Started"});
    settings.overlayOnMatch = 0;
    settings.speechAlerts = 0;
    EXPECT_EQ(Run(1)->Kinds(), (std::vector<Kind>{Loaded, Attempt, Match, Finished}));
    EXPECT_EQ(spoken->texts.size(), 1u);
}

TEST_F(SearchWorkerTest, AutoStopCountsMatchesAcrossPassesAndThePassLimitSkipsTheLastPause) {
    AddTemplate("absent.bmp", 2);
    AddTemplate("present.bmp", 3, MatchPoint{10, 10});
    settings.overlayOnMatch = 0;
    settings.autoStopEnabled = 1;
    // Two templates a pass, one match a pass: count 2 ends the run in the second pass.
    for (const auto& [count, matches] : {std::pair{2, 2}, {1, 1}, {0, 1}, {-5, 1}}) {
        settings.autoStopCount = count;
        const auto kinds = Run(100)->Kinds();
        EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Match), matches) << count;
        EXPECT_EQ(kinds.back(), Finished);
    }
    settings.autoStopEnabled = 0;
    settings.matchDelayMs = 3'600'000;  // would hang the test if waited for
    EXPECT_EQ(Run(100, {}, 1)->Events().size(), 5u);  // loaded, two tries, a match, finished
}

TEST_F(SearchWorkerTest, NothingToSearchEndsAtOnce) {
    test::WriteFile(dir / "plain-file", {1, 2, 3});
    for (const std::filesystem::path& folder : {dir.path(), dir / "none", dir / "plain-file", std::filesystem::path()}) {
        EXPECT_EQ(Run(100, folder)->Kinds(), (std::vector<Kind>{Loaded, Finished})) << folder;
    }
    test::WriteBmp(dir / "eight.bmp", test::RandomPicture(4, 4, 1), {.bitsPerPixel = 8});
    EXPECT_EQ(Run(100)->Kinds(), (std::vector<Kind>{Loaded, Finished}));  // only bitmaps of another depth
    EXPECT_EQ(spoken->texts.size(), 5u);  // "Started" every time all the same
}

// One rule for the worker and the image list: regular .bmp files, any case, links followed.
TEST_F(SearchWorkerTest, TemplatesAreTheRegularFilesWithTheBitmapExtension) {
    for (const char* name : {"A.BMP", "b.Bmp", "c.bmp.txt", "d.bmpx", ".bmp", "f.bmp"}) AddTemplate(name, 7);
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
    EXPECT_EQ(templates[0].image.maxMatches, 1);
    EXPECT_EQ(templates[0].image.tolerance, 33);
    ListTemplateFiles(dir / "none", failure);
    EXPECT_TRUE(failure);
}

TEST_F(SearchWorkerTest, FindsTemplatesWithStrangeNamesInAFolderWithAStrangeName) {
    // Quotes, a newline, shell syntax, letters beyond ASCII, and bytes that are no UTF-8.
    for (const std::string strange : {"my 'shots' \"x\"\n$HOME `id` ü ✓ 漢", "Bilder \xE4\xFF"}) {
        std::filesystem::create_directory(dir / strange);
        const std::string found = strange.substr(0, 8) + " t 'a'\n$(id) \xFC\xC3.bmp";
        AddTemplate(strange + "/" + found, 21, MatchPoint{40, 60});
        AddTemplate(strange + "/$PATH ü.BMP", 22);
        settings.overlayOnMatch = 0;
        std::vector<std::string> tried;
        std::vector<MatchReport> matches;
        for (const Event& e : Run(2, dir / strange)->Events()) {
            if (e.kind == Attempt) tried.push_back(e.match.templateName);
            if (e.kind == Match) matches.push_back(e.match);
        }
        std::sort(tried.begin(), tried.end());
        EXPECT_EQ(tried, (std::vector<std::string>{"$PATH ü.BMP", found}));
        EXPECT_EQ(matches, (std::vector<MatchReport>{{found, 12, 9, {40, 60}}}));
    }
}

TEST_F(SearchWorkerTest, StopEndsALongPauseAtOnce) {
    AddTemplate("absent.bmp", 2);
    settings.matchDelayMs = 3'600'000;
    StopSignal unused;
    auto sink = std::make_shared<RecordingSink>(unused, 100);
    {
        SearchWorker worker(settings, {sink, dir.path()}, Services());
        sink->WaitFor(2);
        worker.RequestStop();
        worker.Join();  // would hang for an hour if the pause ignored the stop
        EXPECT_EQ(sink->Kinds(), (std::vector<Kind>{Loaded, Attempt, Finished}));
    }
    // Destroying a running worker stops and joins it.
    sink = std::make_shared<RecordingSink>(unused, 100);
    { SearchWorker worker(settings, {sink, dir.path()}, {}); }
    EXPECT_EQ(sink->Kinds().back(), Finished);
}

TEST_F(SearchWorkerTest, ALostScreenEndsTheRunWhichReportsItsEndAndWhy) {
    AddTemplate("one.bmp", 1);
    AddTemplate("two.bmp", 2);
    const SearchServices services{[] { return std::make_unique<LosingCapture>(3); }, {}};
    const std::vector<Kind> lostOnTheFourthTry = {Loaded, Attempt, Attempt, Attempt, Attempt, Finished};
    StopSignal stop;
    auto sink = std::make_shared<RecordingSink>(stop, 1000);
    EXPECT_THROW(RunSearch(settings, {sink, dir.path()}, services, stop), platform::ScreenLost);
    EXPECT_EQ(sink->Kinds(), lostOnTheFourthTry);
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
