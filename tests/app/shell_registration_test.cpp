#include "app/shell_registration.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <QLabel>
#include <QStatusBar>

#include <filesystem>
#include <string>

#include "app/lock_indicators.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"
#include "support/x_keyboard.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

TEST(ShellRegistrationTest, WritesEntryTypeAndIconOnlyWhenMissingOrChanged) {
    TempDir home;
    const fs::path entry = home / "applications" / "glimtap.desktop";
    const fs::path mime = home / "mime" / "packages" / "glimtap.xml";
    const fs::path icon = home / "icons" / "hicolor" / "scalable" / "apps" / "glimtap.svg";

    const std::string program = "/opt/my apps/glimtap$1";
    EXPECT_EQ(RegisterShellFileTypes(home.path(), program), (std::vector<fs::path>{entry, mime, icon}));
    const std::string desktop = Text(entry);
    EXPECT_NE(desktop.find("Exec=\"/opt/my apps/glimtap\\\\$1\" %f\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("MimeType=application/x-glimtap-document;\n"), std::string::npos);
    EXPECT_NE(Text(mime).find("<glob pattern=\"*.GlimtapDataFile\"/>"), std::string::npos);
    EXPECT_NE(Text(icon).find("<svg"), std::string::npos);

    // A second start finds everything in place.
    EXPECT_TRUE(RegisterShellFileTypes(home.path(), program).empty());
    // The program moved: only the entry naming it is written again.
    EXPECT_EQ(RegisterShellFileTypes(home.path(), "/usr/bin/glimtap"), std::vector<fs::path>{entry});
    EXPECT_NE(Text(entry).find("Exec=\"/usr/bin/glimtap\" %f\n"), std::string::npos);
    // A damaged type is mended.
    WriteFile(mime, {'x'});
    EXPECT_EQ(RegisterShellFileTypes(home.path(), "/usr/bin/glimtap"), std::vector<fs::path>{mime});
}

TEST(LockIndicatorsTest, ShowCapWhileCapsLockIsOn) {
    OtherClient keyboard;
    QStatusBar bar;
    auto* indicators = new LockIndicators(bar);
    QLabel* cap = bar.findChild<QLabel*>("CAP");
    ASSERT_NE(cap, nullptr);
    EXPECT_EQ(cap->text(), "");
    keyboard.Tap(XK_Caps_Lock);
    EXPECT_TRUE(ProcessEventsUntil([&] { return cap->text() == "CAP"; }));
    EXPECT_EQ(bar.findChild<QLabel*>("NUM")->text(), "");
    keyboard.Tap(XK_Caps_Lock);
    indicators->Refresh();
    EXPECT_EQ(cap->text(), "");
}

}  // namespace
}  // namespace glimtap::test
