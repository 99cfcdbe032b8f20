#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/process_resources.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

namespace glimtap {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::PollUntil;
using test::ProcessResult;
using test::RunProcess;
using test::XvfbServer;

// How the cli was busy when its X server went, and what it then prints.
struct LostCase {
    const char* name;
    std::vector<std::string> args;  // after the data file or template
    bool run;
    bool busyShowsInOutput;  // else its first shared-memory segment tells
    const char* out;         // a regular expression
};

class CliLostDisplay : public testing::TestWithParam<LostCase> {};

TEST_P(CliLostDisplay, EndsWithAnError) {
    const LostCase& c = GetParam();
    XvfbServer server{{"-screen", "0", "640x480x24"}};
    const test::DisplayOverride display{server.display()};
    test::TempDir dir;
    std::filesystem::create_directory(dir / "templates");
    test::WriteBmp(dir / "templates" / "absent.bmp", test::RandomPicture(10, 10, 2));
    const std::string dataFile = (dir / "job.GlimtapDataFile").string();
    ASSERT_EQ(RunProcess({GLIMTAP_CLI, "settings", dataFile, "--set", "speechAlerts=0", "--set", "matchDelayMs=20"}).exitCode, 0);
    std::vector<std::string> argv{GLIMTAP_CLI, c.run ? "run" : "find"};
    if (c.run) argv.insert(argv.end(), {dataFile, "--folder", (dir / "templates").string()});
    else argv.insert(argv.end(), {"--template", (dir / "templates" / "absent.bmp").string()});
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ChildProcess cli(argv);
    ASSERT_TRUE(PollUntil([&] {
        return c.busyShowsInOutput ? cli.OutputSoFar().find("\"event\":\"attempt\"") != std::string::npos
                                   : test::SharedSegmentsCreatedBy(cli.pid()) > 0;
    })) << "never got going: " << cli.OutputSoFar();
    server.Stop();
    const std::optional<ProcessResult> r = cli.WaitFor(20s);
    ASSERT_TRUE(r) << "still running 20 s after its X server went";
    EXPECT_EQ(r->exitCode, 2);
    EXPECT_THAT(r->err, testing::EndsWith("glimtap-cli: the connection to the X server of display '" +
                                          server.display() + "' was lost\n"));
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
