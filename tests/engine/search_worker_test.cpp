#include "engine/search_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "engine/template_folder.h"
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
    settings.areaLeft = 100;  // screen coordinates of the match: area origin + offset
    settings.areaTop = 50;
    settings.areaWidth = 200;
    const Events pass = {"try only.bmp", "match only.bmp 12x9 at 250,150", "overlay only.bmp 12x9 at 250,150"};
    EXPECT_EQ(Run(2)->Recorded(), (Events{"loaded 1", pass[0], pass[1], pass[2], pass[0], pass[1], pass[2], "finished"}));
    EXPECT_EQ(speaker.Spoken(), std::vector<std::u16string>{u"Started"});
    settings.overlayOnMatch = 0;
    settings.speechAlerts = 0;
    EXPECT_EQ(Run(1)->Recorded(), (Events{"loaded 1", pass[0], pass[1], "finished"}));
    EXPECT_EQ(speaker.Spoken().size(), 1u);
}

// Which files are templates (the image list's test covers names, case and links): folders and
// dangling links are not, a broken file is listed but not loaded; nothing to search ends the run.
TEST_F(SearchWorkerTest, TemplatesAreTheRegularBitmapFilesOfTheFolder) {
    AddTemplate("f.bmp", 7);
    std::filesystem::create_directory(dir / "e.bmp");
    test::WriteFile(dir / "broken.bmp", {'B', 'M', 0});
    for (const char* name : {"dangling1.bmp", "dangling2.bmp", "dangling3.bmp"}) {
        std::filesystem::create_symlink(dir / "nowhere.bmp", dir / name);
    }
    std::error_code failure;
    EXPECT_EQ(ListTemplateFiles(dir.path(), failure).size(), 2u);
    EXPECT_FALSE(failure);
    const auto templates = LoadTemplateFolder(dir.path(), AtomicInt32(33));
    ASSERT_EQ(templates.size(), 1u);
    EXPECT_EQ(templates[0].image.tolerance, 33);
    ListTemplateFiles(dir / "none", failure);
    EXPECT_TRUE(failure);
    for (const std::filesystem::path& folder : {dir / "e.bmp", dir / "none", dir / "f.bmp", std::filesystem::path()}) {
        EXPECT_EQ(Run(100, folder)->Recorded(), (Events{"loaded 0", "finished"})) << folder;
    }
    EXPECT_EQ(speaker.Spoken().size(), 4u);  // "Started" all the same
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
    const SearchServices services{[] { return std::make_unique<LosingCapture>(3); }, {}};
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
