// The control that runs the search on a real screen.
#include "ui/search_control.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/x_drawing.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

const BmpPicture kPattern = RandomPicture(8, 8, 5);

// A search control over real widgets, searching the whole screen for one template shown at
// (300, 200).
class SearchControlTest : public testing::Test {
protected:
    SearchControlTest() {
        WriteBmp(folder / "pattern.bmp", kPattern);
        settings.ResetToDefaults(backends->Geometry());
        settings.targetFolder = folder.path();
        settings.tolerance = settings.autoStopEnabled = 0, settings.matchDelayMs = 5;
        painter.DrawOnRoot(300, 200, kPattern.width, kPattern.height, kPattern.pixels);
    }

    std::unique_ptr<SearchControl> MakeControl() {
        SearchServices services{[this] { return backends->OpenCapture(); },
                                [record = workerSpeech] { return std::make_unique<RecordingSpeaker>(record); }};
        SearchReactions reactions{[this](const MatchReport& match) { matches.push_back(match); },
                                  [this](const MatchReport&) { ++overlays; }, [this] { ++beeps; },
                                  [](const std::string&, const std::optional<ClosestMiss>&) {},
                                  [](const std::string&, const std::string&) {}, [](const std::string&) {}};
        return std::make_unique<SearchControl>(settings, SearchDisplay{button, counter, progress},
                                               speech, services, reactions);
    }

    bool Idle() const {
        return button.text() == "Start Image Search" && button.isEnabled() &&
               progress.maximum() == 100 && progress.value() == 0;
    }

    std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    TempDir folder;
    ScreenPainter painter;
    SearchSettings settings;
    QPushButton button{"Start Image Search"};
    QLabel counter;
    QProgressBar progress;
    RecordingSpeaker speech;
    std::shared_ptr<RecordingSpeaker::Record> workerSpeech = std::make_shared<RecordingSpeaker::Record>();
    std::vector<MatchReport> matches;
    int overlays = 0, beeps = 0;
};

TEST_F(SearchControlTest, AStoppedRunsLastReportsArriveButNeverInTheNextRun) {
    settings.beepForSearch = 1;
    const auto control = MakeControl();
    ASSERT_TRUE(control->Start());
    ASSERT_TRUE(ProcessEventsUntil([&] { return control->Tried() >= 3; }));
    control->Stop();
    EXPECT_TRUE(Idle());
    // The worker's end report was queued before it ended: it arrives, once.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !speech.Spoken().empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(speech.Spoken(), std::vector<std::u16string>{u"Stopped"});
    EXPECT_EQ(counter.text(), QString("Tried : %1, Matched : %2").arg(control->Tried()).arg(control->Matched()));
    EXPECT_EQ(beeps, control->Tried());

    // A restart at once: the first run's end report neither ends the second nor counts in it.
    ASSERT_TRUE(control->Start());
    control->Stop();
    ASSERT_TRUE(control->Start());
    EXPECT_EQ(control->Tried(), 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return control->Tried() >= 2; }));
    EXPECT_TRUE(control->IsRunning());
    EXPECT_EQ(speech.Spoken().size(), 1u);
    control->Stop();
}

TEST_F(SearchControlTest, DestroyingItDuringThePauseStopsTheWorkerAndDropsItsReports) {
    settings.matchDelayMs = 60000;  // a stop must cut this pause short
    auto control = MakeControl();
    ASSERT_TRUE(control->Start());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !matches.empty(); }));
    control.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(matches.size(), 1u);
    EXPECT_TRUE(speech.Spoken().empty());
}

}  // namespace
}  // namespace glimtap::test
