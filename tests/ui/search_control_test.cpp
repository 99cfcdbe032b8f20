#include "ui/search_control.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/utf16.h"
#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"

namespace glimtap::test {
namespace {

// The machine has no sound card: speech is noted, not heard.
class RecordingSpeaker : public Speaker {
public:
    explicit RecordingSpeaker(std::shared_ptr<std::atomic<int>> count = nullptr)
        : count_(std::move(count)) {}
    bool Speak(std::u16string_view text) override {
        spoken.push_back(ToUtf8(text));
        if (count_) ++*count_;
        return true;
    }
    std::vector<std::string> spoken;

private:
    std::shared_ptr<std::atomic<int>> count_;
};

BmpPicture Pattern() {
    BmpPicture picture{8, 8, {}};
    for (int i = 0; i < 64; ++i) picture.pixels.push_back(0xFF000000u | (i * 0x030507u + 0x102030u));
    return picture;
}

// A search control over real widgets, searching the real screen of the test's Xvfb for one
// template kept in a folder of its own.
class SearchControlTest : public testing::Test {
protected:
    SearchControlTest() {
        WriteBmp(folder / "pattern.bmp", Pattern());
        settings.targetFolder = FromPath(folder.path());
        settings.areaWidth = 1920;
        settings.areaHeight = 1080;
        settings.tolerance = 0;
        settings.matchDelayMs = 5;
        settings.speechAlerts = 1;
        painter.FillRoot(0);
    }

    std::unique_ptr<SearchControl> MakeControl() {
        SearchServices services{
            [] { return platform::OpenScreenCapture(); },
            [started = workerSpeech] { return std::make_unique<RecordingSpeaker>(started); },
        };
        SearchReactions reactions{
            [this](const MatchReport& match) { matches.push_back(match); },
            [this](const MatchReport&) { ++overlays; },
            [this] { ++beeps; },
            [](const std::string&, const std::optional<ClosestMiss>&) {},
        };
        return std::make_unique<SearchControl>(settings, SearchDisplay{button, counter, progress},
                                               speech, services, reactions);
    }

    void ShowPatternOnScreen() {
        const BmpPicture picture = Pattern();
        painter.DrawOnRoot(300, 200, picture.width, picture.height, picture.pixels);
    }

    bool Busy() const { return progress.minimum() == 0 && progress.maximum() == 0; }
    bool Idle() const {
        return button.text() == "Start Image Search" && button.isEnabled() && !Busy() &&
               progress.value() == 0;
    }

    TempDir folder;
    ScreenPainter painter;
    SearchSettings settings;
    QPushButton button{"Start Image Search"};
    QLabel counter{"Counter"};
    QProgressBar progress;
    RecordingSpeaker speech;
    std::shared_ptr<std::atomic<int>> workerSpeech = std::make_shared<std::atomic<int>>(0);
    std::vector<MatchReport> matches;
    int overlays = 0;
    int beeps = 0;
};

TEST_F(SearchControlTest, RunEndsByItselfAfterAutoStopAndReturnsToIdle) {
    ShowPatternOnScreen();
    settings.autoStopEnabled = 1;
    settings.autoStopCount = 1;
    settings.overlayOnMatch = 1;
    const auto control = MakeControl();

    ASSERT_TRUE(control->Start());
    EXPECT_TRUE(control->IsRunning());
    EXPECT_EQ(button.text(), "Stop Image Search");
    EXPECT_EQ(counter.text(), "Starting");
    EXPECT_TRUE(Busy());

    ASSERT_TRUE(ProcessEventsUntil([&] { return !control->IsRunning(); }));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(counter.text(), "Tried : 1, Matched : 1");
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].location, (MatchPoint{300, 200}));
    EXPECT_EQ(overlays, 1);
    EXPECT_EQ(speech.spoken, std::vector<std::string>{"Stopped"});
    EXPECT_EQ(*workerSpeech, 1);  // "Started", by the worker's own speaker
    EXPECT_EQ(beeps, 0);
}

TEST_F(SearchControlTest, StopKeepsTheCountersAndTheRunsLastReportsStillArrive) {
    settings.autoStopEnabled = 0;
    settings.beepForSearch = 1;
    const auto control = MakeControl();
    ASSERT_TRUE(control->Start());
    ASSERT_TRUE(ProcessEventsUntil([&] { return control->Tried() >= 3; }));

    control->Stop();
    EXPECT_FALSE(control->IsRunning());
    EXPECT_TRUE(Idle());
    const int triedAtStop = control->Tried();
    EXPECT_GE(triedAtStop, 3);
    EXPECT_TRUE(speech.spoken.empty());

    // The worker's end report was queued before it ended: it still arrives, once.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !speech.spoken.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(speech.spoken, std::vector<std::string>{"Stopped"});
    EXPECT_TRUE(Idle());
    EXPECT_GE(control->Tried(), triedAtStop);
    EXPECT_EQ(counter.text(), QString("Tried : %1, Matched : 0").arg(control->Tried()));
    EXPECT_EQ(beeps, control->Tried());

    // A new start begins counting from nothing.
    settings.speechAlerts = 0;
    ASSERT_TRUE(control->Start());
    EXPECT_EQ(control->Tried(), 0);
    EXPECT_EQ(counter.text(), "Starting");
    control->Stop();
}

TEST_F(SearchControlTest, ARestartDropsWhatTheRunBeforeStillHadOnItsWay) {
    settings.autoStopEnabled = 0;
    const auto control = MakeControl();
    ASSERT_TRUE(control->Start());
    ASSERT_TRUE(ProcessEventsUntil([&] { return control->Tried() >= 1; }));
    control->Stop();
    ASSERT_TRUE(control->Start());

    // The first run's end report must neither end the second run nor count in it.
    ASSERT_TRUE(ProcessEventsUntil([&] { return control->Tried() >= 2; }));
    EXPECT_TRUE(control->IsRunning());
    EXPECT_EQ(button.text(), "Stop Image Search");
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(speech.spoken.empty());

    control->Stop();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !speech.spoken.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(speech.spoken.size(), 1u);
}

TEST_F(SearchControlTest, DestroyingItDuringARunStopsTheWorkerAndDropsItsReports) {
    ShowPatternOnScreen();
    settings.autoStopEnabled = 0;
    settings.matchDelayMs = 60000;  // a stop must cut this pause short
    auto control = MakeControl();
    ASSERT_TRUE(control->Start());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !matches.empty(); }));

    control.reset();
    const size_t matchesAtEnd = matches.size();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(matches.size(), matchesAtEnd);
    EXPECT_TRUE(speech.spoken.empty());
}

}  // namespace
}  // namespace glimtap::test
