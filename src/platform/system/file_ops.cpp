// The system calls that replace a file (runtime/form_file.h), on POSIX systems.
#include <sheenwork/runtime/form_file.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace sheenwork::runtime {

int FileOps::Create(const std::string& path, unsigned mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}
long FileOps::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileOps::Sync(int fd) { return ::fsync(fd); }
int FileOps::Close(int fd) { return ::close(fd); }
int FileOps::Chmod(int fd, unsigned mode) { return ::fchmod(fd, mode); }
int FileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}
int FileOps::Remove(const std::string& path) { return ::unlink(path.c_str()); }
int FileOps::SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int r = ::fsync(fd);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return r;
}

bool FileOps::ProcessEnded(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

}  // namespace sheenwork::runtime
