#pragma once

#include <QString>

#include <filesystem>

namespace glimtap {

// Qt names files by text, the system by bytes. These map between the two as Qt's own file
// dialogs do; a byte that is not UTF-8 shows as U+FFFD, so a path that must survive is
// kept as a path and only shown as text.
QString PathText(const std::filesystem::path& path);
std::filesystem::path TextPath(const QString& text);

}  // namespace glimtap
