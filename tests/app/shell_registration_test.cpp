#include "app/shell_registration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

TEST(ShellRegistrationTest, WritesOnlyWhatIsMissingOrChangedAndQuotesTheProgramInExec) {
    TempDir home;
    const fs::path entry = home / "applications" / "glimtap.desktop";
    const fs::path mime = home / "mime" / "packages" / "glimtap.xml";
    const fs::path icon = home / "icons" / "hicolor" / "scalable" / "apps" / "glimtap.svg";
    EXPECT_EQ(RegisterShellFileTypes(home.path(), "/usr/bin/glimtap"), (std::vector<fs::path>{entry, mime, icon}));
    EXPECT_TRUE(RegisterShellFileTypes(home.path(), "/usr/bin/glimtap").empty());
    WriteFile(mime, {'x'});
    EXPECT_EQ(RegisterShellFileTypes(home.path(), "/usr/bin/glimtap"), std::vector<fs::path>{mime});
    // Quotes, `$` and a line break in the program's path stay inside the one Exec value.
    EXPECT_EQ(RegisterShellFileTypes(home.path(), "/opt/a \"b\" `c`$1\nName=x/glimtap"),
              std::vector<fs::path>{entry});
    const std::vector<uint8_t> bytes = ReadFile(entry);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\nExec=\"/opt/a \\\\\"b\\\\\" \\\\`c\\\\`\\\\$1\\nName=x/glimtap\" %f\n"),
              std::string::npos) << text;
    EXPECT_EQ(text.find("\nName=x/"), std::string::npos) << text;
}

}  // namespace
}  // namespace glimtap::test
