#include "engine/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace glimtap {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
    throw std::system_error(error, std::generic_category(), what + " '" + path.string() + "'");
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// O_EXCL with a fresh name: never opens something planted there, and keeps the umask.
FileDescriptor CreateTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target;
        temporary += ".tmp-" + std::to_string(seed());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) return FileDescriptor(fd);
        if (errno != EEXIST) Fail("cannot create a file beside", target, errno);
    }
    Fail("cannot create a file beside", target, EEXIST);
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::filesystem::path temporary;
    FileDescriptor file = CreateTemporary(path, temporary);
    auto failed = [&](const std::string& what) {
        const int error = errno;
        ::unlink(temporary.c_str());
        Fail(what, path, error);
    };
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            failed("cannot write");
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(file.get()) != 0) failed("cannot write");
    if (::close(file.release()) != 0) failed("cannot write");
    if (::rename(temporary.c_str(), path.c_str()) != 0) failed("cannot replace");
}

}  // namespace glimtap
