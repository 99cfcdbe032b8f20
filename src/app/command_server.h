#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>

#include "ui/search_request.h"

class QLocalSocket;

namespace glimtap {

// The window's end of the command channel (see command_channel.h): listens from
// construction to destruction and hands each well-formed request to `handler` on the GUI
// thread. A line that is not a request, too long or too slow in coming is answered with
// an error or dropped, and changes nothing. Made and used on the GUI thread.
class CommandServer : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(SearchRequest)>;

    // A socket left by a window that ended without closing it is taken over. Throws
    // CommandChannelError when the socket cannot be opened, or when another window
    // already answers on it.
    explicit CommandServer(Handler handler, QObject* parent = nullptr);

private:
    void Serve(QLocalSocket* socket);
    void Read(QLocalSocket* socket);

    Handler handler_;
    QLocalServer server_;
};

}  // namespace glimtap
