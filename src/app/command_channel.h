#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <stdexcept>

#include "ui/search_request.h"

namespace glimtap {

// The running window takes search requests from `glimtap --toggle`, `--start` and `--stop`
// over a local socket of this user's: one line with the request's word, answered by one
// line, "ok" when the window has taken it.

// The channel cannot be reached or opened; what() says why.
class CommandChannelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The socket's path: in $XDG_RUNTIME_DIR, or else in a folder of this user's alone in the
// temporary folder, made when `makeFolder` (mode 0700). Throws CommandChannelError when
// that folder belongs to someone else, is open to others or is missing.
QString CommandSocketPath(bool makeFolder);

// How long either end waits for the other: a window answers at once, and one busy with a
// dialog still answers from its event loop.
inline constexpr int kCommandPatienceMs = 5000;

// The request's word on the channel: "toggle", "start" or "stop".
QByteArray RequestWord(SearchRequest request);
// The request a line names (its end of line taken off); nullopt for anything else.
std::optional<SearchRequest> ParseRequestLine(const QByteArray& line);

}  // namespace glimtap
