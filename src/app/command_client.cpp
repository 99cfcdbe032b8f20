#include "app/command_client.h"

#include <QLocalSocket>

#include <string>

#include "app/command_channel.h"

namespace glimtap {

void SendSearchRequest(SearchRequest request) {
    QString path;
    try {
        path = CommandSocketPath(false);
    } catch (const CommandChannelError& e) {
        throw CommandChannelError(std::string("no Glimtap window is running (") + e.what() + ")");
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kCommandPatienceMs)) {
        throw CommandChannelError("no Glimtap window is running (nothing answers at " +
                                  path.toStdString() + ")");
    }
    socket.write(RequestWord(request) + '\n');
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kCommandPatienceMs)) {
            throw CommandChannelError("the Glimtap window did not answer: " +
                                      socket.errorString().toStdString());
        }
    }
    const QByteArray answer = socket.readLine().trimmed();
    if (answer != "ok") {
        throw CommandChannelError("the Glimtap window refused the request: " +
                                  answer.toStdString());
    }
}

}  // namespace glimtap
