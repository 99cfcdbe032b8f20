#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop_launcher.h"
#include "platform/utf16.h"
#include "support/poll_until.h"
#include "support/temp_dir.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::HasSubstr;

class WorkingDirectoryOverride {
public:
    explicit WorkingDirectoryOverride(const fs::path& folder) : saved_(fs::current_path()) {
        fs::current_path(folder);
    }
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
std::optional<std::string> WaitForFile(const fs::path& path) {
    if (!PollUntil([&] { return fs::exists(path); })) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitAtNul(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
    return words;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class LauncherTest : public testing::Test {
protected:
    LauncherTest() {
        fs::create_directory(bin_);
        // The real xdg-open needs a desktop; this one writes down what it was asked.
        WriteScript(bin_ / "xdg-open",
                    "printf '%s\\0' \"$@\" > " + Quoted(dir_ / "xdg-args.tmp") + "\nmv " +
                        Quoted(dir_ / "xdg-args.tmp") + " " + Quoted(xdg_args_) + "\n");
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
    std::vector<std::string> XdgOpenArguments(const std::u16string& verb, const std::string& file) {
        fs::remove(xdg_args_);
        std::string error;
        EXPECT_TRUE(Launch(verb, file, &error)) << error;
        return SplitAtNul(WaitForFile(xdg_args_).value_or("(xdg-open never ran)"));
    }

    TempDir dir_;
    const fs::path bin_ = dir_ / "bin";
    const fs::path xdg_args_ = dir_ / "xdg-args";
    const fs::path report_ = dir_ / "report";
    EnvironmentOverride path_{"PATH", bin_.string() + ":/usr/bin:/bin"};
    platform::DesktopLauncher launcher_;
};

TEST_F(LauncherTest, RunsAProgramDetachedWithStrangeCharactersInItsName) {
    const fs::path program = dir_ / "run me \"now\" 'ü' ✓.sh";
    WriteReportingProgram(program);

    std::string error;
    ASSERT_TRUE(Launch(u"open", program.string(), &error)) << error;
    // Nothing of the start is left for us to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    const std::optional<std::string> report = WaitForFile(report_);
    ASSERT_TRUE(report.has_value());
    std::istringstream lines(*report);
    std::string name, in, out, err;
    pid_t parent = 0, session = 0;
    std::getline(lines, name);
    std::getline(lines, in);
    std::getline(lines, out);
    std::getline(lines, err);
    lines >> parent >> session;
    EXPECT_EQ(name, program.string());
    EXPECT_EQ(in, "/dev/null");
    EXPECT_EQ(out, "/dev/null");
    EXPECT_EQ(err, "/dev/null");
    EXPECT_NE(parent, getpid());
    // Inside some containers the session leader lies outside our process namespace and
    // every session reads as 0: nothing to compare there.
    if (getsid(0) > 0) {
        EXPECT_NE(session, getsid(0));
    }
}

TEST_F(LauncherTest, RunsAProgramFoundOnPath) {
    WriteReportingProgram(bin_ / "glimtap-test-tool");
    std::string error;
    ASSERT_TRUE(Launch(u"", "glimtap-test-tool", &error)) << error;
    ASSERT_TRUE(WaitForFile(report_).has_value());

    fs::remove(report_);
    ASSERT_TRUE(Launch(u"Open", "glimtap-test-tool", &error)) << error;
    EXPECT_TRUE(WaitForFile(report_).has_value());
}

TEST_F(LauncherTest, HandsDocumentsFoldersAndUrlsToXdgOpen) {
    const fs::path document = dir_ / "notes 'ü' \"x\"\ntwo lines.txt";
    std::ofstream(document) << "text";
    const fs::path folder = dir_ / "a folder ✓";
    fs::create_directory(folder);
    const fs::path program = dir_ / "tool.sh";
    WriteReportingProgram(program);

    EXPECT_THAT(XdgOpenArguments(u"open", document.string()), ElementsAre(document.string()));
    EXPECT_THAT(XdgOpenArguments(u"", folder.string()), ElementsAre(folder.string()));
    const std::string url = "https://example.com/a b?q=$(id)&r=`id`;x";
    EXPECT_THAT(XdgOpenArguments(u"open", url), ElementsAre(url));
    EXPECT_THAT(XdgOpenArguments(u"open", "mailto:someone@example.com"),
                ElementsAre("mailto:someone@example.com"));
    // Editing a program opens it as a document and never runs it.
    EXPECT_THAT(XdgOpenArguments(u"edit", program.string()), ElementsAre(program.string()));
    EXPECT_FALSE(fs::exists(report_));

    // A relative name reaches xdg-open whole, so a leading '-' cannot pass for an option.
    const WorkingDirectoryOverride here(dir_.path());
    std::ofstream("-v.txt") << "text";
    EXPECT_THAT(XdgOpenArguments(u"open", "-v.txt"), ElementsAre((dir_ / "-v.txt").string()));
}

TEST_F(LauncherTest, NeverPassesNamesThroughAShell) {
    const WorkingDirectoryOverride here(dir_.path());
    const std::string program = "./x; touch pwned1 $(touch pwned2) `touch pwned3` | touch pwned4";
    WriteReportingProgram(program);
    const std::string document = "$(touch pwned5); touch pwned6 & touch pwned7.txt";
    std::ofstream(document) << "text";

    std::string error;
    ASSERT_TRUE(Launch(u"open", program, &error)) << error;
    ASSERT_TRUE(WaitForFile(report_).has_value());
    EXPECT_THAT(XdgOpenArguments(u"open", document), ElementsAre((dir_ / document).string()));
    EXPECT_FALSE(Launch(u"open", "true; touch pwned8", &error));

    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path())) {
        EXPECT_THAT(entry.path().filename().string(), testing::Not(testing::StartsWith("pwned")));
    }
}

TEST_F(LauncherTest, SaysWhyNothingStarted) {
    std::string error;
    WriteReportingProgram(bin_ / "glimtap-test-tool");
    for (const std::u16string verb : {u"print", u"runas", u"explore", u"open "}) {
        EXPECT_FALSE(Launch(verb, "glimtap-test-tool", &error));
        EXPECT_THAT(error, HasSubstr("'" + ToUtf8(verb) + "'"));
    }
    EXPECT_FALSE(Launch(u"open", "glimtap-no-such-program", &error));
    EXPECT_THAT(error, HasSubstr("glimtap-no-such-program"));
    EXPECT_FALSE(Launch(u"open", (dir_ / "no such folder" / "program").string(), &error));
    EXPECT_THAT(error, HasSubstr("no such folder"));
    EXPECT_FALSE(Launch(u"open", "", &error));
    EXPECT_FALSE(error.empty());

    // Executable but no program: exec refuses it, and no shell steps in to try it as a script.
    const fs::path not_a_program = dir_ / "garbage";
    std::ofstream(not_a_program) << "touch " << (dir_ / "pwned").string() << "\n";
    fs::permissions(not_a_program, fs::perms::owner_all);
    EXPECT_FALSE(Launch(u"open", not_a_program.string(), &error));
    EXPECT_THAT(error, HasSubstr(strerror(ENOEXEC)));
    EXPECT_FALSE(fs::exists(dir_ / "pwned"));

    const EnvironmentOverride no_xdg_open("PATH", (dir_ / "empty").string());
    EXPECT_FALSE(Launch(u"open", "https://example.com/", &error));
    EXPECT_THAT(error, HasSubstr("xdg-open"));
}

}  // namespace
}  // namespace glimtap::test
