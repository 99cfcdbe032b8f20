#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/search_event_queue.h"
#include "engine/search_worker.h"
#include "engine/utf16.h"
#include "platform/screen_capture.h"
#include "support/bmp_writer.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

using Kind = SearchEvent::Kind;
using platform::ScreenImage;
using platform::ScreenRect;

// A blank screen that is lost after `captures` captures, as when the X server goes.
class LosingCapture : public platform::ScreenCapture {
public:
    explicit LosingCapture(int captures) : left_(captures) {}
    std::optional<ScreenImage> Capture(const ScreenRect& area) override {
        if (left_-- <= 0) throw platform::ScreenLost("lost the test screen");
        pixels_.assign(static_cast<size_t>(area.width) * static_cast<size_t>(area.height), 0);
        return ScreenImage{pixels_.data(), area.width, area.height};
    }

private:
    int left_;
    std::vector<uint32_t> pixels_;
};

std::vector<Kind> Drain(SearchEventQueue& queue) {
    std::vector<Kind> kinds;
    while (const std::optional<SearchEvent> event = queue.Next(std::chrono::milliseconds(0))) {
        kinds.push_back(event->kind);
    }
    return kinds;
}

TEST(ScreenLost, EndsTheRunWhichReportsItsEndAndWhy) {
    test::TempDir dir;
    test::WriteBmp(dir / "one.bmp", test::RandomPicture(8, 8, 1));
    test::WriteBmp(dir / "two.bmp", test::RandomPicture(8, 8, 2));
    SearchSettings settings;
    settings.areaWidth = 100;
    settings.areaHeight = 100;
    settings.matchDelayMs = 0;
    const SearchServices services{[] { return std::make_unique<LosingCapture>(3); }, {}};
    const std::vector<Kind> lostOnTheFourthTry = {Kind::Loaded,  Kind::Attempt, Kind::Attempt,
                                                  Kind::Attempt, Kind::Attempt, Kind::Finished};

    // Without a pass limit only the lost screen can end it.
    StopSignal stop;
    auto queue = std::make_shared<SearchEventQueue>();
    EXPECT_THROW(RunSearch(settings, {queue, FromPath(dir.path())}, services, stop),
                 platform::ScreenLost);
    EXPECT_EQ(Drain(*queue), lostOnTheFourthTry);

    {
        SearchWorker worker(settings, {queue, FromPath(dir.path()), 1000}, services);
        worker.Join();
        EXPECT_EQ(worker.Failure(), "lost the test screen");
    }
    EXPECT_EQ(Drain(*queue), lostOnTheFourthTry);

    // A run that ends as it should has nothing to say.
    {
        SearchWorker worker(settings, {queue, FromPath(dir.path()), 1}, services);
        worker.Join();
        EXPECT_EQ(worker.Failure(), std::nullopt);
    }
    EXPECT_EQ(Drain(*queue), (std::vector<Kind>{Kind::Loaded, Kind::Attempt, Kind::Attempt, Kind::Finished}));
}

}  // namespace
}  // namespace glimtap
