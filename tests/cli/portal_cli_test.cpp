// glimtap-cli against the tests' own desktop portal (tests/with-portal).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "engine/data_file.h"
#include "support/bmp_writer.h"
#include "support/fakes.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

// A portal that lets no program drive the pointer: a run whose settings neither move the
// pointer nor tap starts and finds; one that taps says why it cannot.
TEST(PortalCliTest, RunNeedsThePointerOnlyWhenItsSettingsUseIt) {
    const TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(),
           1);  // the token goes to a profile of the test's own
    WriteBmp(dir / "screen.bmp", {64, 48, std::vector<uint32_t>(64 * 48, 0x204060)});
    std::ofstream(std::string(std::getenv("GLIMTAP_TEST_PORTAL")) + "/answer")
        << R"({"devices": 0, "streams": [{"picture": ")" << (dir / "screen.bmp").string()
        << R"("}]})";
    std::filesystem::create_directory(dir / "templates");
    WriteBmp(dir / "templates" / "t.bmp", {4, 4, std::vector<uint32_t>(16, 0x204060)});
    for (const int32_t tap : {0, 1}) {
        DataFile data;
        data.settings.ResetToDefaults(FixedDesktop{});
        data.settings.areaLeft = data.settings.areaTop = 0;
        data.settings.areaWidth = 64;
        data.settings.areaHeight = 48;
        data.settings.targetFolder = dir / "templates";
        data.settings.speechAlerts = data.settings.overlayOnMatch = data.settings.beepForSearch = 0;
        data.settings.moveCursorToMatch = 0;
        data.settings.touchAtMatch = tap;
        SaveDataFile(dir / "job.GlimtapDataFile", data);
        const ProcessResult r =
            RunProcess({GLIMTAP_CLI, "run", (dir / "job.GlimtapDataFile").string(), "--passes", "1",
                        "--quiet"});
        EXPECT_EQ(r.exitCode, tap ? 2 : 0) << r.err;
        EXPECT_EQ(r.err,
                  tap ? "glimtap-cli: no pointer available: this desktop lets no program drive "
                        "its pointer\n"
                      : "");
    }
}

}  // namespace
}  // namespace glimtap::test
