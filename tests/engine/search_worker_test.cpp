#include "engine/search_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "platform/image_screen.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

using Events = std::vector<std::string>;

// Notes reports as text, from any thread; requests a stop once `triesBeforeStop` tries came.
class RecordingSink : public SearchEventSink {
public:
    RecordingSink(StopSignal& stop, int triesBeforeStop) : stop_(stop), left_(triesBeforeStop) {}
    void OnTemplatesLoaded(int32_t count) override { Add("loaded " + std::to_string(count)); }
    void OnTemplateSkipped(const std::string& name, const std::string& why) override { Add("skip " + name + ": " + why); }
    void OnSearchAttempt(const std::string& name) override {
        Add("try " + name);
        if (--left_ == 0) stop_.Request();
    }
    void OnMatchFound(const MatchReport& m) override { Add("match " + Text(m)); }
    void OnShowOverlay(const MatchReport& m) override { Add("overlay " + Text(m)); }
    void OnSearchFinished() override { Add("finished"); }
    Events Recorded() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    static std::string Text(const MatchReport& m) {
        return m.templateName + " " + std::to_string(m.width) + "x" + std::to_string(m.height) + " at " +
               std::to_string(m.location.x) + "," + std::to_string(m.location.y);
    }
    void Add(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    StopSignal& stop_;
    int left_;
    std::mutex mutex_;
    Events events_;
};

class SearchWorkerTest : public ::testing::Test {
protected:
    SearchWorkerTest() {
        settings.areaWidth = 300, settings.areaHeight = 200, settings.matchDelayMs = 0;
        settings.speechAlerts = settings.overlayOnMatch = 1;
    }
    // Writes a 12 x 9 template file and, when `at` is given, puts the picture on the screen there.
    void AddTemplate(const std::filesystem::path& name, uint32_t seed, std::optional<MatchPoint> at = {}) {
        const auto picture = test::RandomPicture(12, 9, seed);
        test::WriteBmp(dir.path() / name, picture);
        for (int32_t r = 0; at && r < 9; ++r)
            std::copy_n(&picture.pixels[size_t(r) * 12], 12, &screen[size_t(at->y + r) * 300 + at->x]);
    }
    SearchServices Services() {
        return {[this] { return std::make_unique<platform::ImageScreen>(screen, 300, 200); },
                [this] { return std::make_unique<test::RecordingSpeaker>(speaker); }};
    }
    std::shared_ptr<RecordingSink> Run(int triesBeforeStop, std::optional<std::filesystem::path> folder = {},
                                       int32_t passes = 0) {
        StopSignal stop;
        auto sink = std::make_shared<RecordingSink>(stop, triesBeforeStop);
        RunSearch(settings, {sink, folder.value_or(dir.path()), passes}, Services(), stop);
        return sink;
    }
    test::TempDir dir;
    SearchSettings settings;
    std::vector<uint32_t> screen = std::vector<uint32_t>(300 * 200, 0x00404040);
    test::RecordingSpeaker speaker;
};

TEST_F(SearchWorkerTest, ReportsEachTryAndMatchInOrderUntilStopped) {
    AddTemplate("only.bmp", 1, MatchPoint{250, 150});
    // Screen coordinates of the match: area origin + offset.
    settings.areaLeft = 100, settings.areaTop = 50, settings.areaWidth = 200;
    const Events pass = {"try only.bmp", "match only.bmp 12x9 at 250,150", "overlay only.bmp 12x9 at 250,150"};
    EXPECT_EQ(Run(2)->Recorded(), (Events{"loaded 1", pass[0], pass[1], pass[2], pass[0], pass[1], pass[2], "finished"}));
    EXPECT_EQ(speaker.Spoken(), std::vector<std::u16string>{u"Started"});
    settings.overlayOnMatch = settings.speechAlerts = 0;
    EXPECT_EQ(Run(1)->Recorded(), (Events{"loaded 1", pass[0], pass[1], "finished"}));
    EXPECT_EQ(speaker.Spoken().size(), 1u);
}

// Which files are templates, in which order (case aside, numbers by value) and why the search
// skips one: folders, dangling links and other extensions are none; nothing to search ends the run.
TEST_F(SearchWorkerTest, TemplatesAreTheRegularBitmapFilesOfTheFolderInNameOrder) {
#ifdef _WIN32
    GTEST_SKIP() << "links are POSIX's; the Windows C++ library makes none";
#endif
    for (const char* name : {"t10.bmp", "T2.BMP", "b.bmpx"}) AddTemplate(name, name[1]);
    AddTemplate("t1.bmp", 1, MatchPoint{0, 0});
    test::ShiftChannel(screen[0], 0, 33);  // found within the tolerance the run was given
    settings.tolerance = 33;
    test::WriteBmp(dir / "palette.bmp", test::RandomPicture(4, 3, 1), {.bitsPerPixel = 8});
    test::WriteFile(dir / "notes.bmp", std::vector<uint8_t>(80, 'x'));
    std::filesystem::create_symlink(dir / "t1.bmp", dir / "link.bmp");
    for (const char* name : {"d1.bmp", "d2.bmp", "d3.bmp"}) std::filesystem::create_symlink(dir / "none", dir / name);
    std::filesystem::create_directory(dir / "e.bmp");
    settings.overlayOnMatch = 0;
    EXPECT_EQ(Run(4)->Recorded(), (Events{"loaded 4", "skip notes.bmp: not a bitmap",
                                          "skip palette.bmp: 8 bits per pixel; 24 or 32 are read", "try link.bmp",
                                          "match link.bmp 12x9 at 0,0", "try t1.bmp", "match t1.bmp 12x9 at 0,0",
                                          "try T2.BMP", "try t10.bmp", "finished"}));
    for (const std::filesystem::path& folder : {dir / "e.bmp", dir / "none", dir / "t1.bmp", std::filesystem::path()})
        EXPECT_EQ(Run(100, folder)->Recorded(), (Events{"loaded 0", "finished"})) << folder;
    EXPECT_EQ(speaker.Spoken().size(), 5u);  // "Started" all the same
}

TEST_F(SearchWorkerTest, StopEndsALongPauseAtOnce) {
    AddTemplate("absent.bmp", 2);
    settings.matchDelayMs = 3'600'000;
    StopSignal unused;
    auto sink = std::make_shared<RecordingSink>(unused, 100);
    {
        SearchWorker worker(settings, {sink, dir.path()}, Services());
        ASSERT_TRUE(test::PollUntil([&] { return sink->Recorded().size() >= 2; }));
        worker.RequestStop();
        worker.Join();  // would hang for an hour if the pause ignored the stop
        EXPECT_EQ(sink->Recorded(), (Events{"loaded 1", "try absent.bmp", "finished"}));
    }
    // The pass limit skips the last pause, which would hang the test if waited for.
    EXPECT_EQ(Run(100, {}, 1)->Recorded(), (Events{"loaded 1", "try absent.bmp", "finished"}));
    // Destroying a running worker stops and joins it.
    sink = std::make_shared<RecordingSink>(unused, 100);
    { SearchWorker worker(settings, {sink, dir.path()}, {}); }
    EXPECT_EQ(sink->Recorded().back(), "finished");
}

TEST_F(SearchWorkerTest, ALostScreenEndsTheRunWhichReportsItsEndAndWhy) {
    AddTemplate("one.bmp", 1);
    AddTemplate("two.bmp", 2);
    const SearchServices services{[] { return std::make_unique<test::LosingCapture>(3); }, {}};
    StopSignal stop;
    auto sink = std::make_shared<RecordingSink>(stop, 1000);
    EXPECT_THROW(RunSearch(settings, {sink, dir.path()}, services, stop), platform::ScreenLost);
    EXPECT_EQ(sink->Recorded().size(), 6u);  // lost on the fourth try, then "finished"
    EXPECT_EQ(sink->Recorded().back(), "finished");
    for (const int32_t passes : {1000, 1}) {
        sink = std::make_shared<RecordingSink>(stop, 1000);
        SearchWorker worker(settings, {sink, dir.path(), passes}, services);
        worker.Join();
        // A run that ends as it should has nothing to say.
        EXPECT_EQ(worker.Failure(), passes == 1 ? std::nullopt : std::optional<std::string>("lost the test screen"));
        EXPECT_EQ(sink->Recorded().size(), passes == 1 ? 4u : 6u);
    }
}

}  // namespace
}  // namespace glimtap
