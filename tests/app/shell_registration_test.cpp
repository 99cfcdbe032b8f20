#include "app/shell_registration.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <QLabel>
#include <QStatusBar>

#include <chrono>
#include <filesystem>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "app/lock_indicators.h"
#include "platform/backends.h"
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

    // Quotes and a line break in the program's path stay inside the one Exec value.
    EXPECT_EQ(RegisterShellFileTypes(home.path(), "/opt/a \"b\" `c`\nName=x/glimtap"),
              std::vector<fs::path>{entry});
    const std::string strange = Text(entry);
    EXPECT_NE(strange.find("\nExec=\"/opt/a \\\\\"b\\\\\" \\\\`c\\\\`\\nName=x/glimtap\" %f\n"),
              std::string::npos) << strange;
    EXPECT_EQ(strange.find("\nName=x/"), std::string::npos) << strange;
}

TEST(ShellRegistrationTest, WritesFilesOfItsOwnWithTheUmaskInsteadOfFollowingLinksOrPipes) {
    TempDir home;
    TempDir outside;
    const fs::path victim = outside / "victim";
    WriteFile(victim, {'k', 'e', 'e', 'p'});
    const fs::path pipe = outside / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path files[] = {home / "applications" / "glimtap.desktop",
                              home / "mime" / "packages" / "glimtap.xml",
                              home / "icons" / "hicolor" / "scalable" / "apps" / "glimtap.svg"};
    for (const fs::path& file : files) fs::create_directories(file.parent_path());
    fs::create_symlink(victim, files[0]);
    fs::create_symlink(victim, files[1]);
    fs::create_symlink(pipe, files[2]);

    const mode_t old = ::umask(027);
    auto registration = std::async(std::launch::async, [&home] {
        return RegisterShellFileTypes(home.path(), "/usr/bin/glimtap");
    });
    if (registration.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "the registration waited for a writer of the pipe";
        while (registration.wait_for(std::chrono::milliseconds(10)) == std::future_status::timeout) {
            const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    }
    const std::vector<fs::path> written = registration.get();
    ::umask(old);

    EXPECT_EQ(written, std::vector<fs::path>(std::begin(files), std::end(files)));
    EXPECT_EQ(ReadFile(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_fifo(pipe));
    using enum fs::perms;
    for (const fs::path& file : files) {
        const fs::file_status status = fs::symlink_status(file);
        EXPECT_TRUE(fs::is_regular_file(status)) << file;
        EXPECT_EQ(status.permissions(), owner_read | owner_write | group_read) << file;
    }
}

TEST(LockIndicatorsTest, ShowCapWhileCapsLockIsOn) {
    OtherClient keyboard;
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    QStatusBar bar;
    auto* indicators = new LockIndicators(bar, backends->Locks());
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
