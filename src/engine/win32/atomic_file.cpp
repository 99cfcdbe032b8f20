#include "engine/atomic_file.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <system_error>

#include "platform/utf16.h"

namespace glimtap {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, DWORD error) {
    throw std::system_error(static_cast<int>(error), std::system_category(),
                            what + " '" + PathString(path) + "'");
}

// Closes the file once; DeleteFile waits for no handle but ours.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool Close() {
        const bool closed = handle_ == INVALID_HANDLE_VALUE || CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

// CREATE_NEW with a fresh name: never opens something planted there.
HANDLE CreateTemporary(const std::filesystem::path& target, std::filesystem::path& temporary,
                       const TemporaryNumbers& numbers) {
    // The system would read the name only up to a NUL and write somewhere else.
    if (target.native().find(L'\0') != std::wstring::npos) {
        Fail("cannot create a file beside", target, ERROR_INVALID_NAME);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target;
        temporary += L".tmp-" + std::to_wstring(numbers());
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS) Fail("cannot create a file beside", target, error);
    }
    Fail("cannot create a file beside", target, ERROR_FILE_EXISTS);
}

}  // namespace

uint32_t RandomNumber() { return std::random_device()(); }

// C's rename does not replace an existing file on Windows; MoveFileEx does, and its
// write-through returns only once the new name is on the disk.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         const TemporaryNumbers& numbers) {
    std::filesystem::path temporary;
    FileHandle file(CreateTemporary(path, temporary, numbers));
    auto failed = [&](const std::string& what) {
        const DWORD error = GetLastError();
        file.Close();
        DeleteFileW(temporary.c_str());
        Fail(what, path, error);
    };
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(file.Get(), bytes.data() + written, chunk, &n, nullptr)) failed("cannot write");
        if (n == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            failed("cannot write");
        }
        written += n;
    }
    if (!FlushFileBuffers(file.Get())) failed("cannot write");
    if (!file.Close()) failed("cannot write");
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failed("cannot replace");
    }
}

}  // namespace glimtap
