#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

// The cli on an X server of the test's own, which the test then stops under it.
class CliLostDisplay : public testing::Test {
protected:
    CliLostDisplay() { std::filesystem::create_directory(folder); }

    // Stops the server once `busy` holds, then waits for the program to end by itself.
    ProcessResult EndWithTheServer(ChildProcess& cli, const std::function<bool()>& busy) {
        if (!PollUntil(busy)) {
            ADD_FAILURE() << "never got going: " << cli.OutputSoFar();
            return {};
        }
        server.Stop();
        if (std::optional<ProcessResult> ended = cli.WaitFor(20s)) return *ended;
        ADD_FAILURE() << "still running 20 s after its X server went";
        return {};
    }

    std::string LostMessage() const {
        return "glimtap-cli: the connection to the X server of display '" + server.display() +
               "' was lost\n";
    }

    XvfbServer server{{"-screen", "0", "640x480x24"}};
    test::DisplayOverride display{server.display()};
    test::TempDir dir;
    std::filesystem::path folder = dir / "templates";
    std::string dataFile = (dir / "job.GlimtapDataFile").string();
};

TEST_F(CliLostDisplay, FindEndsWithAnError) {
    const std::string templ = (dir / "absent.bmp").string();
    test::WriteBmp(templ, test::RandomPicture(30, 20, 1));
    ChildProcess cli({GLIMTAP_CLI, "find", "--template", templ, "--screen", "--repeat", "2000000000"});
    // The shared memory of its first capture tells it is searching.
    const ProcessResult r = EndWithTheServer(
        cli, [&] { return test::SharedSegmentsCreatedBy(cli.pid()) > 0; });
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, LostMessage());
    EXPECT_EQ(r.out, "");
}

TEST_F(CliLostDisplay, RunWithAPassLimitEndsWithAnError) {
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(10, 10, 2));
    ASSERT_EQ(RunProcess({GLIMTAP_CLI, "settings", dataFile, "--set", "speechAlerts=0", "--set",
                          "matchDelayMs=0"})
                  .exitCode,
              0);
    ChildProcess cli({GLIMTAP_CLI, "run", dataFile, "--folder", folder.string(), "--passes",
                      "2000000000", "--json"});
    const ProcessResult r = EndWithTheServer(
        cli, [&] { return cli.OutputSoFar().find("\"event\":\"attempt\"") != std::string::npos; });
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, testing::EndsWith(LostMessage()));
    // The run's end is still reported, with what it tried.
    EXPECT_THAT(r.out, testing::ContainsRegex("\\{\"event\":\"finished\",\"tried\":[0-9]+,\"matched\":0\\}\n$"));
}

TEST_F(CliLostDisplay, RunWithoutALimitEndsWithAnError) {
    test::WriteBmp(folder / "absent.bmp", test::RandomPicture(10, 10, 2));
    ASSERT_EQ(RunProcess({GLIMTAP_CLI, "settings", dataFile, "--set", "speechAlerts=0", "--set",
                          "matchDelayMs=20"})
                  .exitCode,
              0);
    ChildProcess cli({GLIMTAP_CLI, "run", dataFile, "--folder", folder.string()});
    // Nothing shows while it runs: the shared memory of its first capture tells.
    const ProcessResult r = EndWithTheServer(
        cli, [&] { return test::SharedSegmentsCreatedBy(cli.pid()) > 0; });
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, testing::EndsWith(LostMessage()));
    EXPECT_THAT(r.out, testing::MatchesRegex("Tried : [0-9]+, Matched : 0\n"));
}

}  // namespace
}  // namespace glimtap
