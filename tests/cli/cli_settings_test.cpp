#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

using test::RunProcess;

TEST(CliSettings, CreatesChangesAndPrintsDataFiles) {
    test::TempDir dir;
    const std::string path = (dir / "new doc.GlimtapDataFile").string();
    auto r = RunProcess({GLIMTAP_CLI, "settings", path, "--set", "tolerance=40", "--set",
                         "targetFolder=/home/ü/a \"b\"", "--set", "fileVersion=7"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::ReadFile(path).size(), 94u + 2 * 13);  // 13 more UTF-16 units in the folder

    r = RunProcess({GLIMTAP_CLI, "settings", path, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"fileVersion\":7,\"areaLeft\":0,\"areaTop\":0,\"areaWidth\":1920,\"areaHeight\":1080,"
              "\"autoStopCount\":1,\"autoStopEnabled\":1,\"speechAlerts\":1,\"overlayOnMatch\":1,"
              "\"matchDelayMs\":500,\"tolerance\":40,\"targetFolder\":\"/home/ü/a \\\"b\\\"\","
              "\"moveCursorToMatch\":0,\"touchAtMatch\":0,\"executeEnabled\":0,\"executeFile\":\"notepad\","
              "\"executeVerb\":\"open\",\"beepForSearch\":0}\n");

    r = RunProcess({GLIMTAP_CLI, "settings", path});
    EXPECT_NE(r.out.find("tolerance=40\n"), std::string::npos) << r.out;
}

TEST(CliSettings, RefusalsLeaveTheFileUntouched) {
    test::TempDir dir;
    const std::string path = (dir / "doc.GlimtapDataFile").string();
    ASSERT_EQ(RunProcess({GLIMTAP_CLI, "settings", path, "--set", "tolerance=3"}).exitCode, 0);
    const auto before = test::ReadFile(path);

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--set", "tolerance=abc"}, "tolerance"},
        {{"--set", "tolerance=99999999999"}, "tolerance"},
        {{"--set", "tolerance=5", "--set", "colour=1"}, "colour"},
        {{"--set", "novalue"}, "novalue"},
        {{"--set"}, "--set"},
    };
    for (const auto& [args, named] : cases) {
        std::vector<std::string> argv{GLIMTAP_CLI, "settings", path};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto r = RunProcess(argv);
        EXPECT_EQ(r.exitCode, 2) << named;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadFile(path), before) << named;
    }

    const std::string cut = (dir / "cut.GlimtapDataFile").string();
    test::WriteFile(cut, std::vector<uint8_t>(before.begin(), before.begin() + 50));
    auto r = RunProcess({GLIMTAP_CLI, "settings", cut});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("cut.GlimtapDataFile"), std::string::npos) << r.err;
    r = RunProcess({GLIMTAP_CLI, "settings", cut, "--set", "tolerance=1"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(test::ReadFile(cut).size(), 50u);

    r = RunProcess({GLIMTAP_CLI, "settings", (dir / "missing.GlimtapDataFile").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("missing.GlimtapDataFile"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace glimtap
