#include <gtest/gtest.h>

#include <regex>

#include "support/bmp_writer.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"

namespace glimtap {
namespace {

using test::RunProcess;

class CliRun : public ::testing::Test {
protected:
    CliRun() {
        std::filesystem::create_directory(folder);
        Settings({"speechAlerts=0", "matchDelayMs=0", "moveCursorToMatch=1", "autoStopCount=1"});
    }

    void Settings(std::initializer_list<std::string> assignments) {
        std::vector<std::string> argv{GLIMTAP_CLI, "settings", dataFile};
        for (const auto& a : assignments) {
            argv.push_back("--set");
            argv.push_back(a);
        }
        ASSERT_EQ(RunProcess(argv).exitCode, 0);
    }

    test::TempDir dir;
    std::filesystem::path folder = dir / "templates ü";
    std::string dataFile = (dir / "job.GlimtapDataFile").string();
};

TEST_F(CliRun, FindsTheTemplateOnScreenMovesThePointerAndReportsAsJson) {
    const auto picture = test::RandomPicture(40, 20, 5);
    test::ScreenPainter painter;
    painter.FillRoot(0);
    painter.DrawOnRoot(700, 400, 40, 20, picture.pixels);
    test::WriteBmp(folder / "here.bmp", picture);
    test::WriteBmp(folder / "elsewhere.bmp", test::RandomPicture(10, 10, 6));

    const auto r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--folder", folder.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"event\":\"started\",\"templates\":2}\n", 0), 0u) << r.out;
    const std::regex match(
        R"(\{"event":"match","template":"here.bmp","x":700,"y":400,"width":40,"height":20,"point":\[(\d+),(\d+)\]\})");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(r.out, found, match)) << r.out;
    const int px = std::stoi(found[1]);
    const int py = std::stoi(found[2]);
    EXPECT_TRUE(px >= 700 && px < 740 && py >= 400 && py < 420) << px << "," << py;
    EXPECT_NE(r.out.find("{\"event\":\"attempt\",\"template\":\"here.bmp\"}"), std::string::npos);
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\{"event":"finished","tried":[12],"matched":1\}\n$)"))) << r.out;
}

TEST_F(CliRun, ClosestMissJoinsTheAttemptThatFoundNothing) {
    auto picture = test::RandomPicture(40, 20, 5);
    test::ScreenPainter painter;
    painter.FillRoot(0);
    painter.DrawOnRoot(700, 400, 40, 20, picture.pixels);
    test::ShiftChannel(picture.pixels[5 * 40 + 9], 16, 40);
    test::WriteBmp(folder / "near.bmp", picture);
    const auto r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--folder", folder.string(), "--json",
                               "--passes", "1", "--closest"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("{\"event\":\"attempt\",\"template\":\"near.bmp\",\"closest\":{\"x\":700,\"y\":400,"
                         "\"width\":40,\"height\":20,\"tolerance\":40,\"agreeing\":0.99875}}\n"), std::string::npos)
        << r.out;
}

TEST_F(CliRun, PassesStatusLineAndErrors) {
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(10, 10, 6));
    test::WriteBmp(folder / "absent2.bmp", test::RandomPicture(10, 10, 7));
    Settings({"targetFolder=" + folder.string(), "beepForSearch=1", "touchAtMatch=1"});
    auto r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--passes", "3"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Tried : 6, Matched : 0\n");  // the stored folder, three passes

    r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--passes", "1", "--quiet"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");

    r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--folder", (dir / "none").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("none"), std::string::npos) << r.err;
    r = RunProcess({GLIMTAP_CLI, "run", (dir / "missing.GlimtapDataFile").string()});
    EXPECT_EQ(r.exitCode, 2);
    r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--passes", "0"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(CliRun, DefaultFolderAndAnEmptyRun) {
    // No stored folder: the document's own folder under the data home is made, and is empty.
    const auto r = RunProcess({"/usr/bin/env", "XDG_DATA_HOME=" + dir.path().string(), GLIMTAP_CLI,
                               "run", dataFile, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"event\":\"started\",\"templates\":0}\n{\"event\":\"finished\",\"tried\":0,\"matched\":0}\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Glimtap" / "job"));
}

TEST_F(CliRun, TerminationStopsTheRunCleanly) {
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(10, 10, 6));
    Settings({"matchDelayMs=3600000", "speechAlerts=1"});
    const auto r = RunProcess({"/usr/bin/timeout", "--preserve-status", "-s", "TERM", "2", GLIMTAP_CLI,
                               "run", dataFile, "--folder", folder.string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("{\"event\":\"finished\",\"tried\":1,\"matched\":0}"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace glimtap
