#include "app/shell_registration.h"

#include <QFile>
#include <QStandardPaths>

#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/atomic_file.h"
#include "platform/detached_process.h"

namespace glimtap {
namespace {

namespace fs = std::filesystem;

fs::path DesktopEntryPath(const fs::path& dataHome) {
    return dataHome / "applications" / "glimtap.desktop";
}

fs::path MimePackagePath(const fs::path& dataHome) {
    return dataHome / "mime" / "packages" / "glimtap.xml";
}

// The program as one argument of an Exec key: quoted, with the characters that are special
// inside the quotes escaped, then with the escapes of a desktop entry's string values (a raw
// line break would end the line and start a key of its own).
std::string ExecArgument(const std::string& program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        switch (c) {
            case '\\': value += "\\\\"; break;
            case '\n': value += "\\n"; break;
            case '\r': value += "\\r"; break;
            case '\t': value += "\\t"; break;
            default: value += c;
        }
    }
    return value;
}

std::string Resource(const QString& name) {
    QFile file(QStringLiteral(":/") + name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

// The packaged desktop entry, with this copy of the program on its Exec line.
std::string DesktopEntry(const std::string& program) {
    std::string entry = Resource(QStringLiteral("glimtap.desktop"));
    const std::string exec = "\nExec=glimtap %f\n";
    const size_t at = entry.find(exec);
    if (at == std::string::npos) return {};
    return entry.replace(at, exec.size(), "\nExec=" + ExecArgument(program) + " %f\n");
}

bool HoldsAlready(const fs::path& path, const std::string& content) {
    // Opening a pipe found there would wait for a writer; it is replaced like any stranger.
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string current{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return current == content;
}

bool WriteIfChanged(const fs::path& path, const std::string& content) {
    if (content.empty() || HoldsAlready(path, content)) return false;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    try {
        WriteFileAtomically(path, {reinterpret_cast<const uint8_t*>(content.data()), content.size()});
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void RunTool(const char* tool, const fs::path& folder) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (program.isEmpty()) return;
    platform::StartDetached(program.toStdString(), {tool, folder.string()}, nullptr);
}

}  // namespace

std::vector<fs::path> RegisterShellFileTypes(const fs::path& dataHome, const std::string& program) {
    const std::pair<fs::path, std::string> files[] = {
        {DesktopEntryPath(dataHome), DesktopEntry(program)},
        {MimePackagePath(dataHome), Resource(QStringLiteral("glimtap.xml"))},
        {dataHome / "icons" / "hicolor" / "scalable" / "apps" / "glimtap.svg",
         Resource(QStringLiteral("glimtap.svg"))},
    };
    std::vector<fs::path> written;
    for (const auto& [path, content] : files) {
        if (WriteIfChanged(path, content)) written.push_back(path);
    }
    return written;
}

void RefreshDesktopDatabases(const fs::path& dataHome, const std::vector<fs::path>& written) {
    for (const fs::path& path : written) {
        if (path == MimePackagePath(dataHome)) RunTool("update-mime-database", dataHome / "mime");
        if (path == DesktopEntryPath(dataHome)) {
            RunTool("update-desktop-database", dataHome / "applications");
        }
    }
}

}  // namespace glimtap
