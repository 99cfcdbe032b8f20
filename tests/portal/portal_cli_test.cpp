#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <regex>

#include "engine/data_file.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

namespace glimtap {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), GLIMTAP_CLI);
    return test::RunProcess(args);
}

// A stream the test portal serves: a picture in a pixel format, with a row stride in bytes
// (0: none beyond the pixels), at a place on the desktop.
struct Stream {
    const char* format;
    int32_t stride, x, y;
};

// glimtap-cli on the portal of tests/with-portal, which answers as each test tells it.
class PortalTest : public testing::Test {
protected:
    PortalTest() {
        std::filesystem::create_directory(folder);
        std::ofstream(Portal() / "calls", std::ios::trunc);
    }
    static std::filesystem::path Portal() { return std::getenv("GLIMTAP_TEST_PORTAL"); }
    // The picture of stream i: 320 x 200 pixels of its own.
    static test::BmpPicture Picture(size_t i) { return test::RandomPicture(320, 200, uint32_t(i + 1)); }
    // What the next session is given (or refused: `more` JSON members of the answer).
    void Answer(const std::vector<Stream>& streams, const std::string& more = "\"response\": 0") {
        std::string list;
        for (size_t i = 0; i < streams.size(); ++i) {
            const auto picture = dir / ("stream " + std::to_string(i) + ".bmp");
            test::WriteBmp(picture, Picture(i));
            const Stream& s = streams[i];
            list += (i ? ", " : "") + std::string("{\"picture\": \"") + picture.string() + "\", \"format\": \"" +
                    s.format + "\", \"stride\": " + std::to_string(s.stride) + ", \"position\": [" +
                    std::to_string(s.x) + ", " + std::to_string(s.y) + "]}";
        }
        std::ofstream(Portal() / "answer") << "{" << more << ", \"streams\": [" << list << "]}";
    }
    // What the portal was called with since the test began or this was last asked: a line of
    // JSON for each call.
    static std::string Calls() {
        const auto bytes = test::ReadFile(Portal() / "calls");
        std::ofstream(Portal() / "calls", std::ios::trunc);
        return {bytes.begin(), bytes.end()};
    }
    void LoseMidRun(const char* pidVariable, int signal, const std::string& text);
    void Store(int32_t point, int32_t touch) {
        DataFile data{7, {}};
        SearchSettings& s = data.settings;
        s.areaWidth = 640, s.areaHeight = 300, s.matchDelayMs = 50;
        s.moveCursorToMatch = point, s.touchAtMatch = touch;
        SaveDataFile(dataFile, data);
    }

    test::TempDir dir;
    test::EnvironmentOverride backend_{"GLIMTAP_BACKEND", "portal"};
    test::EnvironmentOverride profile_{"XDG_CONFIG_HOME", (dir / "profile").string()};
    std::filesystem::path folder = dir / "templates";
    std::string dataFile = (dir / "job.GlimtapDataFile").string();
};

// Each format, rows padded or not, and two streams side by side, one left of the origin.
TEST_F(PortalTest, FindSeesEachFormatStrideAndStreamWhereItIs) {
    const struct {
        std::vector<Stream> streams;
        size_t cutFrom;
        const char* found;
    } rows[] = {
        {{{"BGRx", 0, 0, 0}}, 0, "40 30 24 16\n"},
        {{{"RGBx", 1292, 0, 0}}, 0, "40 30 24 16\n"},
        {{{"BGRA", 1344, 0, 0}}, 0, "40 30 24 16\n"},
        {{{"RGBA", 2048, 0, 0}}, 0, "40 30 24 16\n"},
        {{{"RGBx", 1296, -320, 0}, {"BGRx", 0, 0, 0}}, 0, "-280 30 24 16\n"},
        {{{"BGRA", 0, 0, 0}, {"RGBA", 1400, 320, 100}}, 1, "360 130 24 16\n"},
    };
    for (const auto& row : rows) {
        Answer(row.streams);
        test::WriteBmp(folder / "here.bmp", test::Cut(Picture(row.cutFrom), 40, 30, 24, 16));
        const auto r = Cli({"find", "--template", (folder / "here.bmp").string(), "--screen"});
        EXPECT_EQ(r.exitCode, 0) << row.found << r.err;
        EXPECT_EQ(r.out, row.found);
    }
}

TEST_F(PortalTest, RefusalEndsTheCommandWithThePortalsReason) {
    const std::pair<std::string, std::string> rows[] = {
        {"\"response\": 1", "the desktop's user did not allow Glimtap to see the screen\n"},
        {"\"response\": 2", "the desktop could not share the screen: the portal ended its Start request\n"},
        {"\"error\": \"no monitor\"", "the desktop could not share the screen: Start failed: no monitor\n"},
    };
    test::WriteBmp(folder / "here.bmp", test::RandomPicture(8, 8, 9));
    Store(0, 0);
    for (const auto& [answer, text] : rows) {
        Answer({{"BGRx", 0, 0, 0}}, answer);
        for (const auto& args : {std::vector<std::string>{"find", "--template", (folder / "here.bmp").string(),
                                                          "--screen"},
                                 {"run", dataFile, "--folder", folder.string()}}) {
            const auto r = Cli(args);
            EXPECT_EQ(r.exitCode, 2) << answer;
            EXPECT_THAT(r.err, StartsWith("glimtap-cli: " + text));
        }
    }
}

// The match in the second stream: the pointer moves into it there, and the tap is a touch
// where the desktop grants touch, else a click. The second run restores the first's consent.
TEST_F(PortalTest, RunPointsAndTapsOnTheStreamOfTheMatchAndRestoresConsent) {
    test::WriteBmp(folder / "here.bmp", test::Cut(Picture(1), 40, 30, 24, 16));
    Store(1, 1);
    for (const bool touch : {true, false}) {
        Answer({{"BGRx", 0, 0, 0}, {"BGRx", 0, 320, 100}}, touch ? "\"devices\": 7" : "\"devices\": 3");
        const auto r = Cli({"run", dataFile, "--folder", folder.string(), "--passes", "1", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_THAT(r.out, HasSubstr(R"("event":"match","template":"here.bmp","x":360,"y":130,)"));
        const std::string calls = Calls();
        std::smatch node;  // the second stream of the remote-desktop session
        const std::regex started(R"(RemoteDesktop.Start", "options": \{[^}]*\}, "streams": \[\d+, (\d+)\])");
        ASSERT_TRUE(std::regex_search(calls, node, started)) << calls;
        const std::string at = "\"stream\": " + node[1].str() + R"(, "x": (4\d|5\d|6[0-3])\.\d+, )"
                               R"("y": (3\d|4[0-5])\.\d+)";  // inside the match
        EXPECT_TRUE(std::regex_search(calls, std::regex("NotifyPointerMotionAbsolute\", " + at))) << calls;
        if (touch) {
            EXPECT_TRUE(std::regex_search(calls, std::regex(R"("NotifyTouchDown", "slot": (\d+), )" + at +
                                                            R"(\}\n(.*\n)*.*"NotifyTouchUp", "slot": \1\})")))
                << calls;
        } else {
            const auto press = calls.find(R"({"button": 272, "call": "NotifyPointerButton", "state": 1})");
            EXPECT_LT(press, calls.find(R"({"button": 272, "call": "NotifyPointerButton", "state": 0})", press));
        }
        EXPECT_THAT(calls, HasSubstr(touch ? R"(, "types": 6})" : R"(, "types": 2})"));  // pointer and touch
        const std::string sources = touch ? R"("persist_mode": 2, "types": 1})"
                                          : R"("persist_mode": 2, "restore_token": "token-1", "types": 1})";
        EXPECT_TRUE(std::regex_search(calls, std::regex(R"("ScreenCast.SelectSources", "options": )"
                                                        R"(\{"cursor_mode": 1, "handle_token": "[^"]+", )"
                                                        R"("multiple": 1, )" + sources)));
    }
}

// A desktop that lets no program drive the pointer: a run that neither points nor taps finds;
// one that taps says why it cannot.
TEST_F(PortalTest, RunNeedsThePointerOnlyWhenItsSettingsUseIt) {
    Answer({{"BGRx", 0, 0, 0}}, "\"devices\": 0");
    test::WriteBmp(folder / "here.bmp", test::Cut(Picture(0), 40, 30, 24, 16));
    for (const int32_t tap : {0, 1}) {
        Store(0, tap);
        const auto r = Cli({"run", dataFile, "--folder", folder.string(), "--passes", "1", "--quiet"});
        EXPECT_EQ(r.exitCode, tap ? 2 : 0) << r.err;
        EXPECT_EQ(r.err, tap ? "glimtap-cli: no pointer available: this desktop lets no program "
                               "drive its pointer\n"
                             : "");
    }
}

// A run looking for what is not there, when its screen cast goes: it ends at once, saying why.
void PortalTest::LoseMidRun(const char* pidVariable, int signal, const std::string& text) {
    Answer({{"BGRx", 0, 0, 0}});
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(8, 8, 9));
    Store(0, 0);
    test::ChildProcess run({GLIMTAP_CLI, "run", dataFile, "--folder", folder.string(), "--json"});
    ASSERT_TRUE(test::PollUntil([&] { return run.OutputSoFar().find("\"attempt\"") != std::string::npos; }));
    kill(std::stoi(std::getenv(pidVariable)), signal);
    const auto r = run.WaitFor(std::chrono::seconds(10));
    ASSERT_TRUE(r.has_value()) << "still running";
    EXPECT_EQ(r->exitCode, 2);
    EXPECT_THAT(r->err, HasSubstr("glimtap-cli: " + text + "\n"));
}

TEST_F(PortalTest, MidRunRevoked) {
    LoseMidRun("GLIMTAP_TEST_PORTAL_PID", SIGUSR1, "the desktop stopped sharing the screen");
}
TEST_F(PortalTest, MidRunStreamEnded) {
    LoseMidRun("GLIMTAP_TEST_PORTAL_PID", SIGUSR2, "the screen cast's PipeWire stream ended");
}
// These end the session bus or PipeWire, for the whole program: ctest entries of their own.
TEST_F(PortalTest, MidRunBusLost) {
    LoseMidRun("GLIMTAP_TEST_BUS_PID", SIGTERM, "the connection to the session bus was lost");
}
TEST_F(PortalTest, MidRunPipeWireLost) {
    LoseMidRun("GLIMTAP_TEST_PIPEWIRE_PID", SIGTERM, "the screen cast's PipeWire stream ended");
}

}  // namespace
}  // namespace glimtap
