#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/data_file.h"
#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/process_resources.h"
#include "support/x_drawing.h"
#include "support/xvfb_server.h"

namespace glimtap {
namespace {

using testing::ContainsRegex;
using testing::HasSubstr;
using test::Cut;

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), GLIMTAP_CLI);
    return test::RunProcess(args);
}

// glimtap-cli on a desktop without a screen: what needs none works, the rest says why not.
class CliTest : public testing::Test {
protected:
    CliTest() { std::filesystem::create_directory(folder); }
    // A data file as an older window may have stored it, with values outside today's ranges:
    // a negative tolerance acts as 0, and an Auto Stop count of -1 as 1.
    void Store(int32_t areaWidth, int32_t passDelayMs = 0, int32_t beep = 0) {
        DataFile data{7, {}};
        SearchSettings& s = data.settings;
        s.areaWidth = areaWidth, s.areaHeight = 1080, s.matchDelayMs = passDelayMs, s.beepForSearch = beep;
        s.moveCursorToMatch = s.autoStopEnabled = 1, s.tolerance = -3, s.autoStopCount = -1;
        SaveDataFile(dataFile, data);
    }
    test::EnvironmentOverride backend_{"GLIMTAP_BACKEND", "null"};
    test::DisplayOverride display_{""};
    test::TempDir dir;
    std::filesystem::path folder = dir / "templates ü";
    std::string dataFile = (dir / "job.GlimtapDataFile").string();
};

// The same on an X server of its own, where the screen can be drawn on.
class CliOnScreen : public CliTest {
protected:
    test::XvfbServer server_{{"-screen", "0", "1920x1080x24"}};
    test::EnvironmentOverride x11_{"GLIMTAP_BACKEND", "x11"};
    test::DisplayOverride serverDisplay_{server_.display()};
};

TEST_F(CliTest, ErrorsSayWhatIsWrongAndChangeNothing) {
    test::WriteBmp(dir / "tiny.bmp", test::RandomPicture(4, 4, 2));
    test::WriteFile(dir / "notes.txt", std::vector<uint8_t>(80, 'x'));
    const std::string d = dir.path().string() + "/";
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "tolerance=3"}).exitCode, 0);
    const auto before = test::ReadFile(dataFile);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"find", "--template", d + "tiny.bmp", "--screen"}, "no screen available: GLIMTAP_BACKEND=null"},
        {{"run", dataFile, "--folder", d}, "no screen available: GLIMTAP_BACKEND=null"},
        {{"find", "--template", d + "notes.txt"}, "cannot load template '" + d + "notes.txt': not a bitmap"},
        {{"find", "--template", "x", "--tolerance", "-1"}, "--tolerance must be a whole number from 0 to 255, not '-1'"},
        {{"find", "--template", "x", "--area", "1,2,3"}, "--area takes LEFT,TOP,WIDTH,HEIGHT"},
        {{"find", "--template", "x", "--frobnicate"}, "find: unknown argument '--frobnicate'"},
        {{"run", dataFile, "--passes", "0"}, "--passes must be a whole number from 1 to 2147483647, not '0'"},
        {{"run", dataFile, "--folder", d + "notes.txt"}, "notes.txt' is not a folder"},
        {{"settings", d}, "Cannot open '" + d + "'. It is a folder."},
        {{"settings", dataFile, "--set", "areaWidth=99999999"}, "areaWidth must be a whole number from 0 to 32767"},
        {{"settings", dataFile, "--set", "tolerance=5", "--set", "colour=1"}, "unknown field 'colour'"},
        {{"launch"}, "unknown command 'launch'"},
    };
    for (const auto& [args, message] : cases) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_EQ(r.err.rfind("glimtap-cli: ", 0), 0u) << r.err;
        EXPECT_THAT(r.err, HasSubstr(message));
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(test::ReadFile(dataFile), before);
}

// "near" is off by 40 in one channel of one pixel: found nowhere, closest where it was cut.
TEST_F(CliOnScreen, RunMovesThePointerReportsClosestMissesAndSaysOnceThatSoundsAreOff) {
    const test::BmpPicture screen = test::RandomPicture(200, 150, 5);
    test::ScreenPainter().DrawOnRoot(700, 400, 200, 150, screen.pixels);
    test::BmpPicture near = Cut(screen, 120, 90, 30, 20);
    test::ShiftChannel(near.pixels[3 * 30 + 4], 8, 40);
    test::WriteBmp(folder / "then.bmp", Cut(screen, 0, 0, 40, 20));
    test::WriteBmp(folder / "near.bmp", near);
    test::WriteFile(folder / "notes.bmp", std::vector<uint8_t>(80, 'x'));
    Store(99999999, -5, 1);  // an area wider than any screen, no pause
    const auto r = Cli({"run", dataFile, "--folder", folder.string(), "--json", "--passes", "1", "--closest"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // No sound server here: said once, in the program's words, and nothing of Qt's own.
    EXPECT_EQ(r.err, "glimtap-cli: no audio output, so beeps and spoken alerts are off\n");
    EXPECT_THAT(r.out, ContainsRegex(R"(^\{"event":"started","backend":"x11","templates":2\}
\{"event":"skipped","template":"notes.bmp","reason":"not a bitmap"\}
)"));
    EXPECT_THAT(r.out, ContainsRegex(R"(
\{"event":"match","template":"then.bmp","x":700,"y":400,"width":40,"height":20,"point":\[7[0-3][0-9],4[01][0-9]\]\}
)"));
    EXPECT_THAT(r.out, HasSubstr(R"({"event":"attempt","template":"near.bmp","closest":{"x":820,"y":490,)"
                                 R"("width":30,"height":20,"tolerance":40,"agreeing":0.998333}})"));
    EXPECT_THAT(r.out, testing::EndsWith("\n{\"event\":\"finished\",\"tried\":2,\"matched\":1}\n"));
    // Written back as they were.
    const std::vector<uint8_t> stored = test::ReadFile(dataFile);
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "beepForSearch=1"}).exitCode, 0);
    EXPECT_EQ(test::ReadFile(dataFile), stored);
}

TEST_F(CliOnScreen, RunPassesStatusLineAndTermination) {
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(10, 10, 6));
    Store(1920);
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "targetFolder=" + folder.string()}).exitCode, 0);
    test::WriteBmp(folder / "palette.bmp", test::RandomPicture(2, 2, 1), {.bitsPerPixel = 8});
    const auto plain = Cli({"run", dataFile, "--passes", "3"});
    EXPECT_EQ(plain.out, "Tried : 3, Matched : 0\n");  // the stored folder
    EXPECT_EQ(plain.err, "glimtap-cli: skipped 'palette.bmp': 8 bits per pixel; 24 or 32 are read\n");
    // SIGTERM ends a run in its hour-long pause, and the end is still reported.
    Store(1920, 3'600'000);
    const auto r = test::RunProcess({"/usr/bin/timeout", "--preserve-status", "-s", "TERM", "2", GLIMTAP_CLI, "run",
                                    dataFile, "--folder", folder.string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("{\"event\":\"finished\",\"tried\":1,\"matched\":0}"));

    // An area with no part on the screen is a mistake to name.
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "areaLeft=-5000"}).exitCode, 0);
    const std::string off = " lies outside the screen (0,0 1920×1080)\n";
    for (const auto& [args, area] : {std::pair{std::vector<std::string>{"run", dataFile}, "-5000,0 1920×1080"},
                                     {{"find", "--template", (folder / "absent.bmp").string(), "--screen", "--area",
                                       "2000,2000,10,10"}, "2000,2000 10×10"}}) {
        const auto refused = Cli(args);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(refused.err, "glimtap-cli: the area " + std::string(area) + off);
    }
}

class CliMarkers : public CliOnScreen, public testing::WithParamInterface<bool> {};

// The window's markers, with a compositor (xcompmgr) and without: shown around the match and
// never over it, so a template fixed on the screen is found on every pass.
TEST_P(CliMarkers, RunMarksEveryMatchWithoutHidingIt) {
    std::optional<test::ChildProcess> compositor;
    if (GetParam()) compositor.emplace(std::vector<std::string>{"xcompmgr"});
    ASSERT_TRUE(test::PollUntil([] { return platform::OpenBackends()->Geometry().CompositorRunning() == GetParam(); }));
    const test::BmpPicture screen = test::RandomPicture(60, 40, 7);
    test::ScreenPainter painter;
    painter.DrawOnRoot(700, 400, 60, 40, screen.pixels);
    test::WriteBmp(folder / "here.bmp", Cut(screen, 10, 10, 40, 20));
    Store(1920, 100);
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "overlayOnMatch=1", "--set", "autoStopEnabled=0"}).exitCode, 0);
    test::ChildProcess run({GLIMTAP_CLI, "run", dataFile, "--folder", folder.string(), "--passes", "20", "--json"});
    EXPECT_TRUE(test::PollUntil([&] { return test::CaptureWholeScreen().At(709, 420) != screen.pixels[10 * 60 + 9]; }))
        << "no marker";
    const test::ProcessResult r = run.Wait();
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr(R"({"event":"finished","tried":20,"matched":20})"));
}

INSTANTIATE_TEST_SUITE_P(Compositor, CliMarkers, testing::Bool(),
                         [](const auto& tested) { return tested.param ? "With" : "Without"; });

// Quotes, a newline, shell syntax, letters beyond ASCII and bytes that are no UTF-8, in the
// names of the data file, the folders and the templates; JSON shows stray bytes as \udcXX.
TEST_F(CliOnScreen, StrangeNamesRoundTrip) {
    for (const std::string& strange : {std::string("my 'f' \"x\"\n$HOME `id` ü ✓ 漢"), std::string("Bilder \xE4\xFF")}) {
        const std::string json = strange[0] == 'm' ? "my 'f' \\\"x\\\"\\n$HOME `id` ü ✓ 漢" : "Bilder \\udce4\\udcff";
        const std::filesystem::path place = dir / strange;
        std::filesystem::create_directory(place);
        const std::string data = (place / (strange + ".GlimtapDataFile")).string();
        auto r = Cli({"settings", data, "--set", "targetFolder=" + place.string(), "--set", "speechAlerts=0",
                      "--set", "matchDelayMs=0", "--set", "autoStopEnabled=0"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string settings = Cli({"settings", data, "--json"}).out;
        EXPECT_THAT(settings, HasSubstr("\"targetFolder\":\"" + dir.path().string() + "/" + json + "\","));
        EXPECT_THAT(settings, HasSubstr("\"areaWidth\":1920,"));  // a new file takes the screen
        const test::BmpPicture screen = test::RandomPicture(60, 40, 41);
        test::WriteBmp(place / ("screen " + strange + ".bmp"), screen);
        test::WriteBmp(place / (strange + ".bmp"), screen);
        r = Cli({"find", "--template", (place / (strange + ".bmp")).string(), "--image", (place / ("screen " + strange + ".bmp")).string()});
        EXPECT_EQ(r.out, "0 0 60 40\n") << r.err;
        r = Cli({"run", data, "--passes", "1", "--json"});  // the stored folder
        EXPECT_THAT(r.out, HasSubstr("{\"event\":\"started\",\"backend\":\"x11\",\"templates\":2}\n"));
        EXPECT_THAT(r.out, HasSubstr("{\"event\":\"attempt\",\"template\":\"" + json + ".bmp\"}\n"));
        EXPECT_THAT(r.out, HasSubstr("{\"event\":\"attempt\",\"template\":\"screen " + json + ".bmp\"}\n"));
    }
}

// A find, busy once it made its first shared-memory segment, and a run, busy once it tried
// (its end still reported, with what it tried), each on an X server that then goes.
TEST_F(CliTest, ALostDisplayEndsFindAndRunWithAnError) {
    const std::string templ = (folder / "absent.bmp").string();
    test::WriteBmp(templ, test::RandomPicture(10, 10, 2));
    Store(1920, 20);
    const std::pair<std::vector<std::string>, const char*> cases[] = {  // what runs, what it prints
        {{"find", "--template", templ, "--screen", "--repeat", "2000000000"}, ""},
        {{"run", dataFile, "--folder", folder.string(), "--passes", "2000000000", "--json"},
         "(.*\n)*\\{\"event\":\"finished\",\"tried\":[0-9]+,\"matched\":0\\}\n"}};
    for (auto [argv, out] : cases) {
        test::XvfbServer server{{"-screen", "0", "1920x1080x24"}};
        const test::EnvironmentOverride x11{"GLIMTAP_BACKEND", "x11"};
        const test::DisplayOverride display{server.display()};
        argv.insert(argv.begin(), GLIMTAP_CLI);
        test::ChildProcess cli(argv);
        ASSERT_TRUE(test::PollUntil([&] {
            return *out ? cli.OutputSoFar().find("\"event\":\"attempt\"") != std::string::npos
                        : !test::SharedSegmentsOf(cli.pid()).empty();
        })) << argv[1] << " never got going: " << cli.OutputSoFar();
        server.Stop();
        const std::optional<test::ProcessResult> r = cli.WaitFor(std::chrono::seconds(20));
        ASSERT_TRUE(r) << argv[1] << " still running 20 s after its X server went";
        EXPECT_EQ(r->exitCode, 2);
        EXPECT_THAT(r->err, testing::EndsWith("glimtap-cli: the connection to the X server of display '" +
                                              server.display() + "' was lost\n"));
        EXPECT_THAT(r->out, testing::MatchesRegex(out));
    }
}

}  // namespace
}  // namespace glimtap
