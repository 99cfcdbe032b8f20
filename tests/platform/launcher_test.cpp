#include "platform/desktop_launcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "support/poll_until.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

void WriteScript(const fs::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    fs::permissions(path, fs::perms::owner_all);
}

// Detached programs write a file aside and rename it into place when done.
std::string WaitForFile(const fs::path& path) {
    if (!PollUntil([&] { return fs::exists(path); })) return "(never written)\n\n";
    const std::vector<uint8_t> bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

class LauncherTest : public testing::Test {
protected:
    LauncherTest() {
        fs::create_directory(bin_);
        fs::current_path(dir_.path());
        // The real xdg-open needs a desktop; this one writes down its arguments, each ended by NUL.
        WriteScript(bin_ / "xdg-open", "cd '" + dir_.path().string() + "'\nprintf '%s\\0' \"$@\" > args.tmp\nmv args.tmp args\n");
    }
    ~LauncherTest() override { fs::current_path(saved_); }
    // A program that reports its name, its standard streams and its parent and session.
    void WriteReportingProgram(const fs::path& path) {
        WriteScript(path, "cd '" + dir_.path().string() + "'\nstreams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)"
                          "\nset -- $(sed 's/.*) //' /proc/$$/stat)\nprintf '%s\\n' \"$0\" \"$streams\" \"$2 $4\" > "
                          "report.tmp\nmv report.tmp report\n");
    }
    bool Launch(const std::u16string& verb, const std::string& file, std::string* error = nullptr) {
        for (const char* written : {"args", "report"}) fs::remove(dir_ / written);
        return launcher_.Launch(verb, file, error);
    }

    const fs::path saved_ = fs::current_path();
    TempDir dir_;
    const fs::path bin_ = dir_ / "bin";
    EnvironmentOverride path_{"PATH", bin_.string() + ":/usr/bin:/bin"};
    platform::DesktopLauncher launcher_;
};

// Programs by path or from PATH run on their own: nothing to reap, no terminal, a session of
// their own, never through a shell. Documents, folders, URLs and programs being edited go to
// xdg-open whole: a relative name leading with '-' cannot pass for an option.
TEST_F(LauncherTest, RunsProgramsDetachedAndHandsTheRestToXdgOpen) {
    const std::string name = "x; touch pwned1 $(touch pwned2) `touch pwned3` | 'ü' \"now\"";
    WriteReportingProgram(dir_ / name);
    WriteReportingProgram(bin_ / name);
    for (const auto& [verb, file, program] :
         {std::tuple{u"open", (dir_ / name).string(), dir_ / name}, {u"", name, bin_ / name}, {u"Open", name, bin_ / name}}) {
        std::string error;
        ASSERT_TRUE(Launch(verb, file, &error)) << error;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
        const std::string report = WaitForFile(dir_ / "report");
        const size_t ids = report.rfind('\n', report.size() - 2) + 1;
        EXPECT_EQ(report.substr(0, ids), program.string() + "\n/dev/null\n/dev/null\n/dev/null\n");
        pid_t parent = 0, session = 0;
        std::istringstream(report.substr(ids)) >> parent >> session;
        EXPECT_NE(parent, getpid());
        if (getsid(0) > 0) {  // 0 when the session leader is outside our namespace
            EXPECT_NE(session, getsid(0));
        }
    }
    const std::string document = "-v $(touch pwned5); touch pwned6 & touch pwned7 ✓";
    std::ofstream(document) << "text";
    const std::string url = "https://e.com/a b?q=$(id)&r=`id`;x";
    for (const auto& [verb, file, handed] : {std::tuple{u"open", document, (dir_ / document).string()},
                                             {u"", "bin", bin_.string()}, {u"open", url, url},
                                             {u"edit", (bin_ / name).string(), (bin_ / name).string()}}) {
        ASSERT_TRUE(Launch(verb, file)) << file;
        EXPECT_EQ(WaitForFile(dir_ / "args"), handed + '\0');
        EXPECT_FALSE(fs::exists(dir_ / "report")) << "editing a program ran it";
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path()))
        EXPECT_THAT(entry.path().filename().string(), testing::Not(testing::StartsWith("pwned")));
}

TEST_F(LauncherTest, SaysWhyNothingStarted) {
    // A stand-in xdg-open that fails, or waits for what it started past the bound: that counts as handed over.
    const std::string folder = bin_.string();
    for (const auto& [body, why] : {std::pair{"echo \"xdg-open: no method available for opening '$1'\"; exit 3\n",
                                              "': xdg-open ended with status 3: xdg-open: no method available for opening '" + folder + "'"},
                                    {"kill -9 $$\n", "': xdg-open was ended by signal 9"}, {"exec sleep 5\n", ""}}) {
        WriteScript(bin_ / "xdg-open", body);
        std::string error;
        EXPECT_EQ(Launch(u"open", folder, &error), why.empty()) << body;
        EXPECT_EQ(error, why.empty() ? "" : "cannot open '" + folder + why);
    }
    WriteReportingProgram(bin_ / "tool");
    // Executable but no program: exec refuses it, and no shell steps in to try it as a script.
    std::ofstream("garbage") << "touch pwned\n";
    fs::permissions("garbage", fs::perms::owner_all);
    fs::create_directory("empty");
    const EnvironmentOverride noXdgOpen("PATH", (dir_ / "empty").string());  // xdg-utils installed or not
    for (const auto& [verb, file, why] : {std::tuple{u"print", "tool", "'print'"}, {u"open ", "tool", "'open '"},
                                          {u"open", "no-such-program", "no-such-program"}, {u"open", "true; touch pwned", ""},
                                          {u"open", "no such folder/program", "no such folder"}, {u"open", "", ""},
                                          {u"open", "./garbage", strerror(ENOEXEC)},
                                          {u"open", "https://example.com/", "xdg-open is not installed"}}) {
        std::string error;
        EXPECT_FALSE(Launch(verb, file, &error)) << file;
        EXPECT_THAT(error, HasSubstr(why));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(fs::exists("pwned"));
}

}  // namespace
}  // namespace glimtap::test
