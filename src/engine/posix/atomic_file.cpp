#include "engine/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "platform/unique_fd.h"
#include "platform/utf16.h"

namespace glimtap {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
    throw std::system_error(error, std::generic_category(), what + " '" + PathString(path) + "'");
}

// O_EXCL with a fresh name: never opens something planted there, and keeps the umask.
platform::UniqueFd CreateTemporary(const std::filesystem::path& target, std::filesystem::path& temporary,
                                   const TemporaryNumbers& numbers) {
    // The system would read the name only up to a NUL and write somewhere else.
    if (target.native().find('\0') != std::string::npos) Fail("cannot create a file beside", target, EINVAL);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target;
        temporary += ".tmp-" + std::to_string(numbers());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) return platform::UniqueFd(fd);
        if (errno != EEXIST) Fail("cannot create a file beside", target, errno);
    }
    Fail("cannot create a file beside", target, EEXIST);
}

}  // namespace

uint32_t RandomNumber() { return std::random_device()(); }

void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         const TemporaryNumbers& numbers) {
    std::filesystem::path temporary;
    platform::UniqueFd file = CreateTemporary(path, temporary, numbers);
    auto failed = [&](const std::string& what) {
        const int error = errno;
        ::unlink(temporary.c_str());
        Fail(what, path, error);
    };
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            failed("cannot write");
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(file.Get()) != 0) failed("cannot write");
    if (::close(file.Release()) != 0) failed("cannot write");
    if (::rename(temporary.c_str(), path.c_str()) != 0) failed("cannot replace");
}

}  // namespace glimtap
