#include "app/command_channel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>

#include <cerrno>
#include <cstring>
#include <string>

namespace glimtap {
namespace {

constexpr SearchRequest kRequests[] = {SearchRequest::kToggle, SearchRequest::kStart,
                                       SearchRequest::kStop};

// Another user could plant a socket, or read ours, in a folder that is not ours alone.
void CheckPrivateFolder(const QString& folder, bool makeFolder) {
    const QByteArray path = QFile::encodeName(folder);
    if (makeFolder && mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        throw CommandChannelError("cannot make " + path.toStdString() + ": " + std::strerror(errno));
    }
    struct stat status {};
    if (lstat(path.constData(), &status) != 0) {
        throw CommandChannelError(path.toStdString() + ": " + std::strerror(errno));
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
        throw CommandChannelError(path.toStdString() +
                                  " is not a folder of this user's alone (mode 0700)");
    }
}

}  // namespace

QString CommandSocketPath(bool makeFolder) {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = QDir::tempPath() + QStringLiteral("/glimtap-") + QString::number(geteuid());
        CheckPrivateFolder(folder, makeFolder);
    }
    return folder + QStringLiteral("/glimtap.socket");
}

QByteArray RequestWord(SearchRequest request) {
    switch (request) {
        case SearchRequest::kToggle: return "toggle";
        case SearchRequest::kStart: return "start";
        case SearchRequest::kStop: return "stop";
    }
    return {};
}

std::optional<SearchRequest> ParseRequestLine(const QByteArray& line) {
    const QByteArray word = line.endsWith('\n') ? line.chopped(1) : line;
    for (const SearchRequest request : kRequests) {
        if (word == RequestWord(request)) return request;
    }
    return std::nullopt;
}

}  // namespace glimtap
