#include "app/command_server.h"

#include <QLocalSocket>
#include <QTimer>

#include "app/command_channel.h"

namespace glimtap {
namespace {

// Longer than any request's line, short enough that nothing piles up.
constexpr qint64 kMaxLine = 64;

}  // namespace

CommandServer::CommandServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    const QString path = CommandSocketPath(true);
    // The folder is the user's alone. No socket options: with them Qt renames its socket
    // over the path, taking it from a window that still answers there.
    if (!server_.listen(path) && server_.serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(kCommandPatienceMs)) {
            throw CommandChannelError("another Glimtap window already answers at " +
                                      path.toStdString());
        }
        // Nobody listens: a window ended without removing it.
        QLocalServer::removeServer(path);
        server_.listen(path);
    }
    if (!server_.isListening()) {
        throw CommandChannelError("cannot listen at " + path.toStdString() + ": " +
                                  server_.errorString().toStdString());
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) Serve(socket);
    });
}

void CommandServer::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    QTimer::singleShot(kCommandPatienceMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    // Bytes may have come with the connection, before readyRead was connected.
    Read(socket);
}

void CommandServer::Read(QLocalSocket* socket) {
    if (socket->state() != QLocalSocket::ConnectedState) return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxLine) socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(kMaxLine + 1);
    const std::optional<SearchRequest> request =
        line.endsWith('\n') ? ParseRequestLine(line) : std::nullopt;
    // One request per connection: what follows the line is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    if (request) {
        handler_(*request);
        socket->write("ok\n");
    } else {
        socket->write("unknown request\n");
    }
    socket->disconnectFromServer();
}

}  // namespace glimtap
