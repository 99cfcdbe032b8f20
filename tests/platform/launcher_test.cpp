#include "platform/desktop_launcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/utf16.h"
#include "support/poll_until.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

class WorkingDirectoryOverride {
public:
    explicit WorkingDirectoryOverride(const fs::path& folder) : saved_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingDirectoryOverride() { fs::current_path(saved_); }
    WorkingDirectoryOverride(const WorkingDirectoryOverride&) = delete;
    WorkingDirectoryOverride& operator=(const WorkingDirectoryOverride&) = delete;

private:
    fs::path saved_;
};

void WriteScript(const fs::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

// Programs run detached, so their output is awaited: each writes a file aside and renames
// it into place when done.
std::string WaitForFile(const fs::path& path) {
    if (!PollUntil([&] { return fs::exists(path); })) return "(never written)\n\n";
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class LauncherTest : public testing::Test {
protected:
    LauncherTest() {
        fs::create_directory(bin_);
        // The real xdg-open needs a desktop; this one writes down its arguments, each ended by NUL.
        WriteScript(bin_ / "xdg-open", "printf '%s\\0' \"$@\" > " + Quoted(dir_ / "xdg-args.tmp") + "\nmv " +
                                           Quoted(dir_ / "xdg-args.tmp") + " " + Quoted(xdgArgs_) + "\n");
    }

    // A program that reports its name, its standard streams and its parent and session.
    void WriteReportingProgram(const fs::path& path) {
        WriteScript(path, "out=" + Quoted(report_) +
                              "\nstreams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)"
                              "\nset -- $(sed 's/.*) //' /proc/$$/stat)"
                              "\nprintf '%s\\n' \"$0\" \"$streams\" \"$2 $4\" > \"$out.tmp\""
                              "\nmv \"$out.tmp\" \"$out\"\n");
    }

    bool Launch(const std::u16string& verb, const std::string& file, std::string* error = nullptr) {
        return launcher_.Launch(verb, FromUtf8(file), error);
    }

    // Runs `file` through the launcher and returns what xdg-open received.
    std::string XdgOpenArguments(const std::u16string& verb, const std::string& file) {
        fs::remove(xdgArgs_);
        std::string error;
        EXPECT_TRUE(Launch(verb, file, &error)) << error;
        return WaitForFile(xdgArgs_);
    }

    TempDir dir_;
    const fs::path bin_ = dir_ / "bin";
    const fs::path xdgArgs_ = dir_ / "xdg-args";
    const fs::path report_ = dir_ / "report";
    EnvironmentOverride path_{"PATH", bin_.string() + ":/usr/bin:/bin"};
    platform::DesktopLauncher launcher_;
};

// By path or found on PATH, with any verb that means "open", and left to run on its own:
// nothing to reap, no terminal, a session of its own.
TEST_F(LauncherTest, RunsProgramsDetachedByPathOrFromPath) {
    const std::string name = "run me \"now\" 'ü' ✓";
    WriteReportingProgram(dir_ / name);
    WriteReportingProgram(bin_ / name);
    const std::tuple<std::u16string, std::string, fs::path> launches[] = {
        {u"open", (dir_ / name).string(), dir_ / name}, {u"", name, bin_ / name}, {u"Open", name, bin_ / name}};
    for (const auto& [verb, file, program] : launches) {
        fs::remove(report_);
        std::string error;
        ASSERT_TRUE(Launch(verb, file, &error)) << error;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
        const std::string report = WaitForFile(report_);
        const size_t ids = report.rfind('\n', report.size() - 2) + 1;
        EXPECT_EQ(report.substr(0, ids), program.string() + "\n/dev/null\n/dev/null\n/dev/null\n");
        pid_t parent = 0, session = 0;
        std::istringstream(report.substr(ids)) >> parent >> session;
        EXPECT_NE(parent, getpid());
        // Inside some containers the session leader lies outside our process namespace and
        // every session reads as 0: nothing to compare there.
        if (getsid(0) > 0) {
            EXPECT_NE(session, getsid(0));
        }
    }
}

TEST_F(LauncherTest, HandsDocumentsFoldersAndUrlsToXdgOpen) {
    const fs::path document = dir_ / "notes 'ü' \"x\"\ntwo lines.txt";
    std::ofstream(document) << "text";
    const fs::path folder = dir_ / "a folder ✓";
    fs::create_directory(folder);
    const fs::path program = dir_ / "tool.sh";
    WriteReportingProgram(program);
    const std::string url = "https://example.com/a b?q=$(id)&r=`id`;x";
    EXPECT_EQ(XdgOpenArguments(u"open", document.string()), document.string() + '\0');
    EXPECT_EQ(XdgOpenArguments(u"", folder.string()), folder.string() + '\0');
    EXPECT_EQ(XdgOpenArguments(u"open", url), url + '\0');
    EXPECT_EQ(XdgOpenArguments(u"open", "mailto:someone@example.com"), std::string("mailto:someone@example.com") + '\0');
    // Editing a program opens it as a document and never runs it.
    EXPECT_EQ(XdgOpenArguments(u"edit", program.string()), program.string() + '\0');
    EXPECT_FALSE(fs::exists(report_));
    // A relative name reaches xdg-open whole, so a leading '-' cannot pass for an option.
    const WorkingDirectoryOverride here(dir_.path());
    std::ofstream("-v.txt") << "text";
    EXPECT_EQ(XdgOpenArguments(u"open", "-v.txt"), (dir_ / "-v.txt").string() + '\0');
}

TEST_F(LauncherTest, NeverPassesNamesThroughAShell) {
    const WorkingDirectoryOverride here(dir_.path());
    const std::string program = "./x; touch pwned1 $(touch pwned2) `touch pwned3` | touch pwned4";
    WriteReportingProgram(program);
    const std::string document = "$(touch pwned5); touch pwned6 & touch pwned7.txt";
    std::ofstream(document) << "text";
    ASSERT_TRUE(Launch(u"open", program));
    EXPECT_THAT(WaitForFile(report_), HasSubstr("| touch pwned4\n/dev/null\n"));
    EXPECT_EQ(XdgOpenArguments(u"open", document), (dir_ / document).string() + '\0');
    EXPECT_FALSE(Launch(u"open", "true; touch pwned8"));
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path())) {
        EXPECT_THAT(entry.path().filename().string(), testing::Not(testing::StartsWith("pwned")));
    }
}

TEST_F(LauncherTest, SaysWhyNothingStarted) {
    WriteReportingProgram(bin_ / "glimtap-test-tool");
    // Executable but no program: exec refuses it, and no shell steps in to try it as a script.
    const fs::path garbage = dir_ / "garbage";
    std::ofstream(garbage) << "touch " << (dir_ / "pwned").string() << "\n";
    fs::permissions(garbage, fs::perms::owner_all);
    const std::tuple<std::u16string, std::string, std::string> refusals[] = {
        {u"print", "glimtap-test-tool", "'print'"},
        {u"runas", "glimtap-test-tool", "'runas'"},
        {u"explore", "glimtap-test-tool", "'explore'"},
        {u"open ", "glimtap-test-tool", "'open '"},
        {u"open", "glimtap-no-such-program", "glimtap-no-such-program"},
        {u"open", (dir_ / "no such folder" / "program").string(), "no such folder"},
        {u"open", "", ""},
        {u"open", garbage.string(), strerror(ENOEXEC)},
    };
    for (const auto& [verb, file, why] : refusals) {
        std::string error;
        EXPECT_FALSE(Launch(verb, file, &error)) << file;
        EXPECT_THAT(error, HasSubstr(why));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(fs::exists(dir_ / "pwned"));
    const EnvironmentOverride noXdgOpen("PATH", (dir_ / "empty").string());
    std::string error;
    EXPECT_FALSE(Launch(u"open", "https://example.com/", &error));
    EXPECT_THAT(error, HasSubstr("xdg-open"));
}

}  // namespace
}  // namespace glimtap::test
