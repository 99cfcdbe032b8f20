#include "platform/win32/win32_launcher.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "platform/report_failure.h"
#include "platform/utf16.h"

namespace glimtap::platform {
namespace {

std::u16string LowerAscii(std::u16string_view text) {
    std::u16string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    });
    return lower;
}

// The system's own words for an error code, in UTF-8.
std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message;
    if (text != nullptr) message.assign(reinterpret_cast<const char16_t*>(text), length);
    LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                                message.back() == u'.' || message.back() == u' ')) {
        message.pop_back();
    }
    if (message.empty()) return "error " + std::to_string(code);
    return ToUtf8(message);
}

}  // namespace

bool Win32Launcher::Launch(std::u16string_view verb, const std::filesystem::path& file,
                           std::string* error) {
    const std::u16string action = LowerAscii(verb);
    if (!action.empty() && action != u"open" && action != u"edit") {
        return Fail(error, "unknown action '" + ToUtf8(verb) + "': only open and edit are known");
    }
    const std::wstring& target = file.native();
    if (target.empty()) {
        return Fail(error, "nothing to open: no file, folder, URL or program given");
    }
    const std::wstring wideVerb(action.begin(), action.end());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // No dialog of its own: the failure comes back to the caller, who says why.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = wideVerb.empty() ? nullptr : wideVerb.c_str();
    info.lpFile = target.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    return Fail(error, "cannot " + (action.empty() ? std::string("open") : ToUtf8(action)) + " '" +
                           ToUtf8(FromPath(file)) + "': " + SystemMessage(GetLastError()));
}

}  // namespace glimtap::platform
