#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/data_file.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/process_resources.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"
#include "support/xvfb_server.h"

namespace glimtap {
namespace {

using namespace std::chrono_literals;
using testing::ContainsRegex;
using testing::HasSubstr;

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), GLIMTAP_CLI);
    return test::RunProcess(args);
}

// glimtap-cli on a desktop without a screen: what needs none works, the rest says why not.
class CliTest : public testing::Test {
protected:
    CliTest() { std::filesystem::create_directory(folder); }
    // A data file as the window would store it; `areaWidth` may lie outside today's range.
    void Store(int32_t areaWidth, int32_t passDelayMs = 0, int32_t beep = 0) {
        DataFile data;
        data.settings.areaWidth = areaWidth;
        data.settings.areaHeight = 1080;
        data.settings.matchDelayMs = passDelayMs;
        data.settings.moveCursorToMatch = 1;
        data.settings.autoStopEnabled = 1;
        data.settings.autoStopCount = 1;
        data.settings.beepForSearch = beep;
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
        {{"find"}, "find needs --template FILE.bmp"},
        {{"find", "--template"}, "--template needs a value"},
        {{"find", "--template", d + "notes.txt"}, "cannot load template '" + d + "notes.txt': not a bitmap"},
        {{"find", "--template", "x", "--tolerance", "-1"}, "--tolerance must be a whole number from 0 to 255, not '-1'"},
        {{"find", "--template", "x", "--tolerance", "256"}, "--tolerance must be a whole number from 0 to 255"},
        {{"find", "--template", "x", "--max-matches", "-1"}, "--max-matches must be a whole number from 0 to"},
        {{"find", "--template", "x", "--repeat", "0"}, "--repeat must be a whole number from 1 to"},
        {{"find", "--template", "x", "--area", "1,2,3"}, "--area takes LEFT,TOP,WIDTH,HEIGHT"},
        {{"find", "--template", "x", "--area", "1,2,0,5"}, "--area needs a positive width and height"},
        {{"find", "--template", "x", "--screen", "--image", "y"}, "find takes --screen or --image, not both"},
        {{"find", "--template", "x", "--frobnicate"}, "find: unknown argument '--frobnicate'"},
        {{"run", dataFile, "--passes", "0"}, "--passes must be a whole number from 1 to 2147483647, not '0'"},
        {{"run", dataFile, "--folder", d + "notes.txt"}, "notes.txt' is not a folder"},
        {{"run", dataFile, "--folder", d + "none"}, "none' does not exist"},
        {{"run", d + "missing"}, "Cannot open '" + d + "missing'. It does not exist."},
        {{"settings", d}, "Cannot open '" + d + "'. It is a folder."},
        {{"settings", dataFile, "--set", "tolerance=-5"}, "tolerance must be a whole number from 0 to 255, not '-5'"},
        {{"settings", dataFile, "--set", "matchDelayMs=-5"}, "matchDelayMs must be a whole number from 0 to"},
        {{"settings", dataFile, "--set", "areaWidth=99999999"}, "areaWidth must be a whole number from 0 to 32767"},
        {{"settings", dataFile, "--set", "fileVersion=7"}, "fileVersion must be a whole number from 1 to 1"},
        {{"settings", dataFile, "--set", "tolerance=5", "--set", "colour=1"}, "unknown field 'colour'"},
        {{"settings", dataFile, "--set", "novalue"}, "--set takes FIELD=VALUE"},
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
    for (const char* command : {"find", "run", "settings"}) {
        const auto r = Cli({command, "--help"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out.rfind("Usage:\n  glimtap-cli " + std::string(command), 0), 0u) << r.out;
    }
}

// A template off by 40 in one channel of one pixel: found nowhere, closest where it was cut.
TEST_F(CliTest, FindInABitmapSaysWhereAndWhatToleranceWouldMatch) {
    const test::BmpPicture screen = test::RandomPicture(200, 150, 1);
    test::BmpPicture templ{30, 20, std::vector<uint32_t>(30 * 20)};
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 30; ++x) templ.pixels[size_t(y * 30 + x)] = screen.pixels[size_t((90 + y) * 200 + 120 + x)];
    const std::string screenPath = (dir / "screen.bmp").string(), templatePath = (dir / "near.bmp").string();
    test::WriteBmp(screenPath, screen);
    test::WriteBmp(templatePath, templ);
    auto r = Cli({"find", "--template", templatePath, "--image", screenPath, "--json", "--repeat", "3", "--area",
                  "-5,-5,99999999,99999999"});
    EXPECT_THAT(r.out, ContainsRegex(R"(^\{"matches":\[\{"x":120,"y":90,"width":30,"height":20\}\],"capture_ms":[0-9.e-]+,"scan_ms":[0-9.e-]+\}
$)")) << r.err;

    test::ShiftChannel(templ.pixels[3 * 30 + 4], 8, 40);
    test::WriteBmp(templatePath, templ);
    for (const std::vector<std::string>& order : {std::vector<std::string>{"--tolerance", "15"}, {"--by-columns"}}) {
        std::vector<std::string> argv{"find", "--template", templatePath, "--image", screenPath, "--closest"};
        argv.insert(argv.end(), order.begin(), order.end());
        r = Cli(argv);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(r.out, "closest 120 90 needs tolerance 40 (99.8% of pixels within 15)\n");
    }
    EXPECT_THAT(Cli({"find", "--template", templatePath, "--image", screenPath, "--closest", "--json"}).out,
                HasSubstr(R"(,"closest":{"x":120,"y":90,"width":30,"height":20,"tolerance":40,"agreeing":0.998333}})"));
}

// A new file takes the screen as its area.
TEST_F(CliOnScreen, SettingsCreatesChangesAndPrints) {
    const std::string path = (dir / "new doc.GlimtapDataFile").string();
    auto r = Cli({"settings", path, "--set", "tolerance=40", "--set", "targetFolder=/home/ü/a \"b\"\xFF"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Cli({"settings", path, "--json"});
    EXPECT_EQ(r.out,
              "{\"fileVersion\":1,\"areaLeft\":0,\"areaTop\":0,\"areaWidth\":1920,\"areaHeight\":1080,"
              "\"autoStopCount\":1,\"autoStopEnabled\":1,\"speechAlerts\":1,\"overlayOnMatch\":1,"
              "\"matchDelayMs\":500,\"tolerance\":40,\"targetFolder\":\"/home/ü/a \\\"b\\\"\\udcff\","
              "\"moveCursorToMatch\":0,\"touchAtMatch\":0,\"executeEnabled\":0,\"executeFile\":\"notepad\","
              "\"executeVerb\":\"open\",\"beepForSearch\":0}\n");
    // A value stored before the ranges existed is shown and kept.
    Store(99999999);
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "targetFolder=/a\xFF"}).exitCode, 0);
    EXPECT_THAT(Cli({"settings", dataFile}).out, HasSubstr("areaWidth=99999999\n"));
    EXPECT_THAT(Cli({"settings", dataFile}).out, HasSubstr("targetFolder=/a\xFF\n"));
}

// Only the part of the area on the screen is searched; an area of any size ends as fast.
TEST_F(CliOnScreen, FindSearchesTheScreenWhereTheAreaMeetsIt) {
    const test::BmpPicture picture = test::RandomPicture(60, 40, 3);
    test::ScreenPainter painter;
    painter.FillRoot(0x00203040);
    painter.DrawOnRoot(1500, 700, 60, 40, picture.pixels);
    painter.DrawOnRoot(1890, 1060, 60, 40, picture.pixels);  // cut by the corner
    const std::string templ = (dir / "tmpl é.bmp").string();
    test::WriteBmp(templ, picture);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "1500 700 60 40\n"},
        {{"--area", "-99999999,-99999999,2147483647,2147483647", "--max-matches", "0"}, "1500 700 60 40\n"},
        {{"--area", "1800,1000,400,400"}, ""},
        {{"--max-matches", "0", "--tolerance", "255", "--area", "4,5,130,40"}, "4 5 60 40\n64 5 60 40\n"},
    };
    for (const auto& [args, out] : cases) {
        std::vector<std::string> argv{"find", "--template", templ};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto r = Cli(argv);
        EXPECT_EQ(r.exitCode, out.empty() ? 1 : 0) << r.err;
        EXPECT_EQ(r.out, out);
    }
}

TEST_F(CliOnScreen, RunMovesThePointerReportsClosestMissesAndSaysOnceThatSoundsAreOff) {
    const test::BmpPicture screen = test::RandomPicture(200, 150, 5);
    test::ScreenPainter painter;
    painter.FillRoot(0);
    painter.DrawOnRoot(700, 400, 200, 150, screen.pixels);
    test::BmpPicture here{40, 20, {}}, near{30, 20, {}};
    for (int32_t y = 0; y < 20; ++y) {
        here.pixels.insert(here.pixels.end(), &screen.pixels[size_t(y) * 200], &screen.pixels[size_t(y) * 200 + 40]);
        near.pixels.insert(near.pixels.end(), &screen.pixels[size_t(90 + y) * 200 + 120],
                           &screen.pixels[size_t(90 + y) * 200 + 150]);
    }
    test::ShiftChannel(near.pixels[3 * 30 + 4], 8, 40);
    test::WriteBmp(folder / "here.bmp", here);
    test::WriteBmp(folder / "near.bmp", near);
    Store(99999999, 0, 1);  // an area wider than any screen, from an older file
    const auto r = Cli({"run", dataFile, "--folder", folder.string(), "--json", "--passes", "1", "--closest"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // No sound server here: said once, in the program's words, and nothing of Qt's own.
    EXPECT_EQ(r.err, "glimtap-cli: no audio output, so beeps and spoken alerts are off\n");
    EXPECT_THAT(r.out, ContainsRegex(R"(^\{"event":"started","backend":"x11","templates":2\}
)"));
    EXPECT_THAT(r.out, ContainsRegex(R"(
\{"event":"match","template":"here.bmp","x":700,"y":400,"width":40,"height":20,"point":\[7[0-3][0-9],4[01][0-9]\]\}
)"));
    EXPECT_THAT(r.out, HasSubstr(R"({"event":"attempt","template":"near.bmp","closest":{"x":820,"y":490,)"
                                 R"("width":30,"height":20,"tolerance":40,"agreeing":0.998333}})"));
    EXPECT_THAT(r.out, testing::EndsWith("\n{\"event\":\"finished\",\"tried\":2,\"matched\":1}\n"));
}

TEST_F(CliOnScreen, RunPassesStatusLineDefaultFolderAndTermination) {
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(10, 10, 6));
    test::WriteBmp(folder / "absent2.bmp", test::RandomPicture(10, 10, 7));
    Store(1920);
    ASSERT_EQ(Cli({"settings", dataFile, "--set", "targetFolder=" + folder.string()}).exitCode, 0);
    EXPECT_EQ(Cli({"run", dataFile, "--passes", "3"}).out, "Tried : 6, Matched : 0\n");  // the stored folder
    EXPECT_EQ(Cli({"run", dataFile, "--passes", "1", "--quiet"}).out, "");
    // Without a stored folder, the document's own folder under the data home is made.
    const std::string other = (dir / "other.GlimtapDataFile").string();
    Store(1920);
    std::filesystem::rename(dataFile, other);
    auto r = test::RunProcess({"/usr/bin/env", "XDG_DATA_HOME=" + dir.path().string(), GLIMTAP_CLI, "run", other, "--json"});
    EXPECT_EQ(r.out, "{\"event\":\"started\",\"backend\":\"x11\",\"templates\":0}\n{\"event\":\"finished\",\"tried\":0,\"matched\":0}\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Glimtap" / "other"));
    // SIGTERM ends a run in its hour-long pause, and the end is still reported.
    Store(1920, 3'600'000);
    r = test::RunProcess({"/usr/bin/timeout", "--preserve-status", "-s", "TERM", "2", GLIMTAP_CLI, "run",
                          dataFile, "--folder", folder.string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("{\"event\":\"finished\",\"tried\":2,\"matched\":0}"));
}

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
        EXPECT_THAT(Cli({"settings", data, "--json"}).out, HasSubstr("\"targetFolder\":\"" + dir.path().string() + "/" + json + "\","));
        const test::BmpPicture screen = test::RandomPicture(60, 40, 41);
        test::WriteBmp(place / ("screen " + strange + ".bmp"), screen);
        test::WriteBmp(place / (strange + ".bmp"), screen);
        r = Cli({"find", "--template", (place / (strange + ".bmp")).string(), "--image", (place / ("screen " + strange + ".bmp")).string()});
        EXPECT_EQ(r.out, "0 0 60 40\n") << r.err;
        r = Cli({"run", data, "--passes", "1", "--json"});  // the stored folder
        EXPECT_THAT(r.out, HasSubstr("{\"event\":\"started\",\"backend\":\"x11\",\"templates\":2}\n"));
        EXPECT_THAT(r.out, HasSubstr("{\"event\":\"attempt\",\"template\":\"" + json + ".bmp\"}\n"));
        r = Cli({"run", data, "--folder", place.string(), "--passes", "1", "--json"});
        EXPECT_THAT(r.out, HasSubstr("{\"event\":\"attempt\",\"template\":\"screen " + json + ".bmp\"}\n"));
    }
}

// How the cli was busy when its X server went, and what it then prints.
struct LostCase {
    const char* name;
    std::vector<std::string> args;  // after the data file or template
    bool run;
    bool busyShowsInOutput;  // else its first shared-memory segment tells
    const char* out;         // a regular expression
};

void PrintTo(const LostCase& c, std::ostream* out) { *out << c.name; }

class CliLostDisplay : public CliOnScreen, public testing::WithParamInterface<LostCase> {};

TEST_P(CliLostDisplay, EndsWithAnError) {
    const LostCase& c = GetParam();
    const std::string templ = (folder / "absent.bmp").string();
    test::WriteBmp(templ, test::RandomPicture(10, 10, 2));
    Store(1920, 20);
    std::vector<std::string> argv{GLIMTAP_CLI, c.run ? "run" : "find"};
    if (c.run) argv.insert(argv.end(), {dataFile, "--folder", folder.string()});
    else argv.insert(argv.end(), {"--template", templ});
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    test::ChildProcess cli(argv);
    ASSERT_TRUE(test::PollUntil([&] {
        return c.busyShowsInOutput ? cli.OutputSoFar().find("\"event\":\"attempt\"") != std::string::npos
                                   : test::SharedSegmentsCreatedBy(cli.pid()) > 0;
    })) << "never got going: " << cli.OutputSoFar();
    server_.Stop();
    const std::optional<test::ProcessResult> r = cli.WaitFor(20s);
    ASSERT_TRUE(r) << "still running 20 s after its X server went";
    EXPECT_EQ(r->exitCode, 2);
    EXPECT_THAT(r->err, testing::EndsWith("glimtap-cli: the connection to the X server of display '" +
                                          server_.display() + "' was lost\n"));
    EXPECT_THAT(r->out, testing::MatchesRegex(c.out));
}

INSTANTIATE_TEST_SUITE_P(
    , CliLostDisplay,
    testing::Values(LostCase{"find", {"--screen", "--repeat", "2000000000"}, false, false, ""},
                    // The run's end is still reported, with what it tried.
                    LostCase{"runWithAPassLimit", {"--passes", "2000000000", "--json"}, true, true,
                             "(.*\n)*\\{\"event\":\"finished\",\"tried\":[0-9]+,\"matched\":0\\}\n"},
                    LostCase{"runWithoutALimit", {}, true, false, "Tried : [0-9]+, Matched : 0\n"}),
    [](const testing::TestParamInfo<LostCase>& lost) { return lost.param.name; });

}  // namespace
}  // namespace glimtap
