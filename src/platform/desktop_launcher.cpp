#include "platform/desktop_launcher.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/detached_process.h"
#include "platform/report_failure.h"
#include "platform/utf16.h"

namespace glimtap::platform {

namespace {

namespace fs = std::filesystem;

// xdg-open ends once it has handed the thing over; one that takes longer has started a
// program that keeps it waiting.
constexpr std::chrono::seconds kHandOverBound{3};

std::string ToLowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A scheme is a letter followed by letters, digits, '+', '-' or '.', then a colon.
bool HasUrlScheme(const std::string& text) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    return std::all_of(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
        [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

bool IsExecutableFile(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindOnPath(const std::string& name) {
    const char* variable = std::getenv("PATH");
    // What execvp assumes when PATH is not set.
    const std::string search = variable != nullptr ? variable : "/bin:/usr/bin";
    size_t start = 0;
    while (start <= search.size()) {
        const size_t end = std::min(search.find(':', start), search.size());
        const std::string folder = search.substr(start, end - start);
        // An empty entry would mean the current folder; programs come from PATH only.
        if (!folder.empty()) {
            const fs::path candidate = fs::path(folder) / name;
            if (IsExecutableFile(candidate)) return candidate.string();
        }
        start = end + 1;
    }
    return std::nullopt;
}

bool OpenWithDesktop(const std::string& target, std::string* error) {
    const std::optional<std::string> xdg_open = FindOnPath("xdg-open");
    if (!xdg_open) {
        return Fail(error,
                    "cannot open '" + target + "': xdg-open is not installed (package xdg-utils)");
    }
    if (error == nullptr) return StartDetached(*xdg_open, {"xdg-open", target}, nullptr);
    std::string why;
    if (StartDetachedAndWatch(*xdg_open, {"xdg-open", target}, kHandOverBound, &why)) return true;
    return Fail(error, "cannot open '" + target + "': " + why);
}

}  // namespace

bool DesktopLauncher::Launch(std::u16string_view verb, const std::filesystem::path& file,
                             std::string* error) {
    const std::string action = ToLowerAscii(ToUtf8(verb));
    if (!action.empty() && action != "open" && action != "edit") {
        return Fail(error, "unknown action '" + ToUtf8(verb) + "': only open and edit are known");
    }
    const bool may_run = action != "edit";
    const std::string& target = file.native();
    if (target.empty()) {
        return Fail(error, "nothing to open: no file, folder, URL or program given");
    }

    std::error_code ignored;
    const bool exists = fs::exists(target, ignored);
    if (HasUrlScheme(target) && !exists) return OpenWithDesktop(target, error);
    const bool is_path = target.find('/') != std::string::npos;
    if (!is_path && may_run) {
        if (const std::optional<std::string> program = FindOnPath(target)) {
            return StartDetached(*program, {*program}, error);
        }
    }
    if (!exists) {
        return Fail(error, "'" + target + "' is no file, folder, URL or program on PATH");
    }
    if (is_path && may_run && IsExecutableFile(target)) {
        return StartDetached(target, {target}, error);
    }
    // Absolute, so that a name starting with '-' cannot pass for an option of xdg-open.
    return OpenWithDesktop(fs::absolute(target, ignored).string(), error);
}

}  // namespace glimtap::platform
