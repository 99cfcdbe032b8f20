// glimtap-cli on a real headless GNOME Shell (tests/with-gnome): screen cast and input through
// the desktop portals, a full-screen client of the test showing TestPicture and telling what
// reaches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>

#include "engine/data_file.h"
#include "gnome/test_picture.h"
#include "platform/backends.h"
#include "platform/consent_memory.h"
#include "support/bmp_writer.h"
#include "support/fakes.h"
#include "support/poll_until.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

// How many portal dialogs the person at the desktop has answered.
size_t DialogsAnswered() {
    std::ifstream log(std::getenv("GLIMTAP_GNOME_DIALOGS"));
    return std::count(std::istreambuf_iterator<char>(log), {}, '\n');
}

// The screen as the portal shows it to this process, with the consent given before.
class PortalScreen : platform::ConsentMemory {
public:
    PortalScreen() {
        set_->AskConsent();
        EXPECT_TRUE(PollUntil([&] { return set_->ScreenConsent() == platform::Consent::kGiven; })) << set_->Missing();
        capture_ = set_->OpenCapture();
    }
    // 0x00RRGGBB at the pixel; 0xFFFFFFFF when there is no picture (yet).
    uint32_t At(int32_t x, int32_t y) {
        const auto image = capture_ ? capture_->Capture({x, y, 1, 1}) : std::nullopt;
        return image && image->width == 1 ? image->pixels[0] & 0xFFFFFF : 0xFFFFFFFF;
    }

private:
    std::string Recall() const override { return token_; }
    void Remember(const std::string& token) override { token_ = token; }

    std::string token_ = std::getenv("GLIMTAP_GNOME_TOKEN");
    std::unique_ptr<platform::BackendSet> set_ = platform::OpenBackends(this);
    std::unique_ptr<platform::ScreenCapture> capture_;
};

class GnomeTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(PollUntil([&] { return client_.OutputSoFar().find("shown 1920 1080\n") != std::string::npos; }))
            << client_.OutputSoFar();
        BmpPicture templ{24, 16, {}};
        for (int32_t i = 0; i < 24 * 16; ++i) templ.pixels.push_back(TestPicture(1400 + i % 24, 800 + i / 24));
        WriteBmp(dir_ / "t.bmp", templ);
    }

    // A search of the whole screen for the template (right of and below the window), at once
    // on each match.
    std::string Job(const std::function<void(SearchSettings&)>& change) {
        DataFile data;
        data.settings.ResetToDefaults(FixedDesktop{});
        data.settings.targetFolder = dir_.path();
        data.settings.matchDelayMs = 100;
        data.settings.autoStopEnabled = data.settings.speechAlerts = data.settings.overlayOnMatch = 0;
        change(data.settings);
        SaveDataFile(dir_ / "job.GlimtapDataFile", data);
        return (dir_ / "job.GlimtapDataFile").string();
    }

    ChildProcess client_{{GNOME_TEST_CLIENT}};
    const TempDir dir_;
};

// With the consent given before, and without a dialog: `find` sees the picture at its pixels,
// twice, and the window's search, started by `glimtap --start`, marks the match: the marker, an
// XWayland window GNOME keeps on top, frames the match on the screen the portal shows, the
// match itself untouched.
TEST_F(GnomeTest, FindAndTheWindowSearchSeeTheScreenWithTheConsentGivenBefore) {
    PortalScreen screen;
    const size_t dialogs = DialogsAnswered();
    for (int start = 0; start < 2; ++start) {
        const ProcessResult found =
            RunProcess({GLIMTAP_CLI, "find", "--template", (dir_ / "t.bmp").string(), "--screen"});
        EXPECT_EQ(found.out, "1400 800 24 16\n") << found.err;
    }
    const std::string job = Job([](SearchSettings& s) { s.overlayOnMatch = 1; });
    ChildProcess window({GLIMTAP_APP, job});
    ASSERT_TRUE(PollUntil([] { return RunProcess({GLIMTAP_APP, "--start"}).exitCode == 0; }));
    EXPECT_TRUE(PollUntil([&] { return screen.At(1398, 808) != TestPicture(1398, 808); })) << "no marker";
    EXPECT_EQ(screen.At(1400, 808), TestPicture(1400, 808));
    EXPECT_EQ(screen.At(1423, 815), TestPicture(1423, 815));
    EXPECT_EQ(DialogsAnswered(), dialogs) << "a dialog asked again";
}

// The pointer moves into the match and a real touch lands there, after the person at the
// desktop allowed remote interaction.
TEST_F(GnomeTest, RunMovesThePointerIntoTheMatchAndTouchesIt) {
    const std::string job = Job([](SearchSettings& s) { s.moveCursorToMatch = s.touchAtMatch = 1; });
    const ProcessResult r = RunProcess({GLIMTAP_CLI, "run", job, "--passes", "1", "--json"});
    std::smatch point;
    ASSERT_TRUE(std::regex_search(r.out, point, std::regex(R"("x":1400,"y":800,.*"point":\[(\d+),(\d+)\])")))
        << r.out << r.err;
    // The client's events: the pointer moved to the match's point, then a touch down there and up.
    const std::string there = point[1].str() + R"((\.\d+)? )" + point[2].str() + R"((\.\d+)?\n)";
    const std::regex events("motion " + there + "down " + there + "up\n");
    EXPECT_TRUE(PollUntil([&] { return std::regex_search(client_.OutputSoFar(), events); }, std::chrono::seconds(5)))
        << client_.OutputSoFar();
    EXPECT_GE(DialogsAnswered(), 1u);
}

}  // namespace
}  // namespace glimtap::test
