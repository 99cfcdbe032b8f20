#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/bmp_writer.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

namespace fs = std::filesystem;
using test::RunProcess;

// Quotes, a newline, shell and command syntax, and letters from beyond ASCII.
const std::string kStrange = "my 'files' \"x\"\n$HOME `id` ü ✓ 漢";
// The same as a JSON string's contents.
const std::string kStrangeJson = "my 'files' \\\"x\\\"\\n$HOME `id` ü ✓ 漢";

TEST(CliStrangeNames, SettingsFindAndRunTakeThemAsGiven) {
    test::TempDir dir;
    const fs::path folder = dir / kStrange;
    fs::create_directory(folder);

    // A data file of a strange name, storing a folder of one.
    const std::string dataFile = (folder / (kStrange + ".GlimtapDataFile")).string();
    auto r = RunProcess({GLIMTAP_CLI, "settings", dataFile, "--set", "targetFolder=" + folder.string(),
                         "--set", "speechAlerts=0", "--set", "matchDelayMs=0", "--set", "autoStopEnabled=0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunProcess({GLIMTAP_CLI, "settings", dataFile, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string folderJson = dir.path().string() + "/" + kStrangeJson;
    EXPECT_NE(r.out.find("\"targetFolder\":\"" + folderJson + "\","), std::string::npos) << r.out;

    // A template and a picture standing in for the screen.
    const test::BmpPicture screen = test::RandomPicture(60, 40, 41);
    test::BmpPicture part{10, 8, {}};
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x) part.pixels.push_back(screen.pixels[size_t(y + 20) * 60 + x + 30]);
    const fs::path screenFile = folder / ("screen " + kStrange + ".bmp");
    test::WriteBmp(screenFile, screen);
    test::WriteBmp(folder / ("t " + kStrange + ".bmp"), part);
    r = RunProcess({GLIMTAP_CLI, "find", "--template", (folder / ("t " + kStrange + ".bmp")).string(),
                    "--image", screenFile.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "30 20 10 8\n");

    // Run over a folder given on the command line, and over the stored one.
    const fs::path templates = folder / ("templates " + kStrange);
    fs::create_directory(templates);
    test::WriteBmp(templates / (kStrange + ".bmp"), part);
    r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--folder", templates.string(), "--passes", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"event\":\"started\",\"templates\":1}\n"
                          "{\"event\":\"attempt\",\"template\":\"" + kStrangeJson + ".bmp\"}\n", 0), 0u)
        << r.out;
    r = RunProcess({GLIMTAP_CLI, "run", dataFile, "--passes", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"event\":\"started\",\"templates\":2}\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("{\"event\":\"attempt\",\"template\":\"t " + kStrangeJson + ".bmp\"}\n"),
              std::string::npos) << r.out;
}

}  // namespace
}  // namespace glimtap
