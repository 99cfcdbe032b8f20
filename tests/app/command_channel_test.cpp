// `glimtap --toggle`, `--start` and `--stop` run as a user runs them, against a form here.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QTest>

#include "app/command_channel.h"
#include "app/command_server.h"
#include "support/bmp_writer.h"
#include "support/xvfb_server.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

using namespace std::chrono_literals;

// Runs `glimtap OPTION` while this process's event loop answers it.
ProcessResult Glimtap(const std::string& option) {
    ChildProcess client({GLIMTAP_APP, option});
    std::optional<ProcessResult> result;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (result = client.WaitFor(0ms)).has_value(); }, 20000));
    // What the window took is carried out one event-loop turn later.
    QCoreApplication::processEvents();
    return result.value_or(ProcessResult{});
}

class CommandChannelTest : public ViewTest {
protected:
    EnvironmentOverride runtime{"XDG_RUNTIME_DIR", home.path().string()};
};

TEST_F(CommandChannelTest, RequestsStartAndStopTheWindowsSearch) {
    WriteBmp(DefaultFolder() / "a.bmp", RandomPicture(8, 8, 1));
    View().OnInitialUpdate();
    const CommandServer server([&](SearchRequest request) { View().OnSearchRequest(request); });
    const std::pair<const char*, bool> steps[] = {{"--toggle", true}, {"--start", true}, {"--toggle", false},
                                                  {"--stop", false},  {"--start", true}, {"--stop", false}};
    for (const auto& [option, running] : steps) {
        const ProcessResult result = Glimtap(option);
        EXPECT_EQ(result.exitCode, 0) << option << ": " << result.err;
        EXPECT_EQ(View().Search().IsRunning(), running) << option;
    }
    // Too long, with or without its end; too slow; an unknown word; two words.
    const std::pair<QByteArray, QByteArray> malformed[] = {
        {QByteArray(100, 't') + '\n', "unknown request\n"}, {QByteArray(100, 't'), ""}, {"toggle", ""},
        {"jump\n", "unknown request\n"}, {"toggle start\n", "unknown request\n"}};
    for (const auto& [line, answer] : malformed) {
        QLocalSocket client;
        client.connectToServer(CommandSocketPath(false));
        ASSERT_TRUE(client.waitForConnected(kCommandPatienceMs));
        client.write(line);
        EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 20000));
        EXPECT_EQ(client.readAll(), answer) << line.toStdString();
        QCoreApplication::processEvents();
        EXPECT_FALSE(View().Search().IsRunning()) << line.toStdString();
    }
}

TEST_F(CommandChannelTest, WithoutAWindowTheRequestFailsAndAStaleSocketIsTakenOver) {
    // A window that ended without removing its socket.
    const std::string stale = CommandSocketPath(false).toStdString();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    stale.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    EXPECT_EQ(Glimtap("--toggle").exitCode, 1);
    {
        const CommandServer first([](SearchRequest) {});
        EXPECT_THROW(CommandServer([](SearchRequest) {}), CommandChannelError) << "two windows answer";
        EXPECT_EQ(Glimtap("--stop").exitCode, 0);
    }
    // Without XDG_RUNTIME_DIR, a folder in the temporary folder that others may enter is refused.
    const EnvironmentOverride noRuntime("XDG_RUNTIME_DIR", "");
    const EnvironmentOverride temporary("TMPDIR", home.path().string());
    const std::string open = (home / ("glimtap-" + std::to_string(geteuid()))).string();
    mkdir(open.c_str(), 0777);
    chmod(open.c_str(), 0777);
    EXPECT_THROW(CommandServer([](SearchRequest) {}), CommandChannelError);
    EXPECT_EQ(Glimtap("--start").exitCode, 1);
}

}  // namespace
}  // namespace glimtap::test
