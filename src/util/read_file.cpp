#include "util/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/open_flags.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace sheenwork::util {
namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// What open() lets through besides folders and regular files (a socket it refuses).
std::string KindOf(mode_t mode) { return S_ISFIFO(mode) ? "a pipe" : "a device"; }

std::string TooLarge(std::int64_t size, std::int64_t limit) {
    return "it is " + std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
           " that are read";
}

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& path, std::int64_t limit) {
    const Descriptor file{::open(path.string().c_str(), O_RDONLY | kOpenNonBlock | kOpenPrivate)};
    if (file.fd < 0) throw ReadFileError(std::strerror(errno));
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) throw ReadFileError(std::strerror(errno));
    if (S_ISDIR(st.st_mode)) throw ReadFileError("it is a folder");
    if (!S_ISREG(st.st_mode))
        throw ReadFileError("it is not a regular file (" + KindOf(st.st_mode) + ")");
    if (st.st_size > limit) throw ReadFileError(TooLarge(st.st_size, limit));
    // Read to the end, not to the size: a file may grow while it is read, and one of /proc
    // reports no size at all. No more than the limit is taken either way.
    std::string text;
    text.reserve(static_cast<std::size_t>(st.st_size));
    // The chunk is taken from the heap, left uninitialised: on the stack it put 64 kB
    // between the caller and what it calls next, and the pages a read wrote there were
    // touched for nothing; on the heap they serve the allocations that follow.
    constexpr std::size_t kChunk = 65536;
    const std::unique_ptr<char[]> chunk(new char[kChunk]);
    for (;;) {
        const ssize_t n = ::read(file.fd, chunk.get(), kChunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ReadFileError(std::strerror(errno));
        if (n == 0) return text;
        if (static_cast<std::int64_t>(text.size()) + n > limit)
            throw ReadFileError(TooLarge(static_cast<std::int64_t>(text.size()) + n, limit));
        text.append(chunk.get(), static_cast<std::size_t>(n));
    }
}

}  // namespace sheenwork::util
