// The command channel: `glimtap --toggle`, `--start` and `--stop` run as a user runs them,
// against a real form in this process.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLabel>
#include <QLocalSocket>
#include <QTest>

#include "app/command_channel.h"
#include "app/command_server.h"
#include "support/bmp_writer.h"
#include "support/run_process.h"
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
}

TEST_F(CommandChannelTest, MalformedRequestsAreRefusedAndChangeNothing) {
    int taken = 0;
    const CommandServer server([&](SearchRequest) { ++taken; });
    for (const QByteArray& sent : {QByteArray("\n"), QByteArray("bogus\n"), QByteArray("TOGGLE\n"),
                                   QByteArray("toggle\r\n"), QByteArray("toggle"), QByteArray(5000, 'x'),
                                   QByteArray("\xff\0toggle\n", 9), QByteArray(64, 's') + "\n"}) {
        QLocalSocket socket;
        socket.connectToServer(CommandSocketPath(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return socket.state() == QLocalSocket::ConnectedState; }));
        socket.write(sent);
        if (!sent.endsWith('\n') && sent.size() < 64) socket.disconnectFromServer();
        EXPECT_TRUE(QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }))
            << sent.toStdString();
        EXPECT_NE(socket.readAll(), "ok\n") << sent.toStdString();
    }
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(Glimtap("--toggle").exitCode, 0) << "the server no longer answers";
    EXPECT_EQ(taken, 1);
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
    ProcessResult result = Glimtap("--toggle");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "glimtap: no Glimtap window is running (nothing answers at " + stale + ")\n");
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
    result = Glimtap("--start");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "glimtap: no Glimtap window is running (" + open +
                              " is not a folder of this user's alone (mode 0700))\n");
}

TEST_F(ViewTest, WithoutAHotKeyTheFormNamesTheToggleAndWithoutAScreenARequestSaysWhy) {
    const EnvironmentOverride null("GLIMTAP_BACKEND", "null");
    backends = platform::OpenBackends();
    View().OnInitialUpdate();
    EXPECT_EQ(View().Form().hotKeyText->text(),
              "Hot key: set one in your desktop's keyboard settings to run `glimtap --toggle`");
    View().OnSearchRequest(SearchRequest::kStart);
    QCoreApplication::processEvents();
    EXPECT_FALSE(View().Search().IsRunning());
    EXPECT_EQ(host.statusMessages.value(0), "No screen to search: GLIMTAP_BACKEND=null turns the desktop off");
}

}  // namespace
}  // namespace glimtap::test
