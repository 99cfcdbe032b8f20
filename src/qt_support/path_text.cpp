#include "qt_support/path_text.h"

#include <QByteArray>
#include <QFile>

namespace glimtap {

QString PathText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path TextPath(const QString& text) { return QFile::encodeName(text).toStdString(); }

}  // namespace glimtap
