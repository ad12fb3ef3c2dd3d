// The system calls that replace a file (runtime/form_file.h), on Windows: the C
// runtime's descriptors, and a rename that replaces the old file and is written through
// before it returns.
#include <sheenwork/runtime/form_file.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/win32/windows_api.h"

namespace sheenwork::runtime {

int FileOps::Create(const std::string& path, unsigned mode) {
    // Windows knows one permission: whether the file may be written.
    const int pmode = (mode & 0222) ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, pmode);
}
long FileOps::Write(int fd, const void* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}
int FileOps::Sync(int fd) { return ::_commit(fd); }
int FileOps::Close(int fd) { return ::_close(fd); }
// The permissions Windows has were given at the creation.
int FileOps::Chmod(int, unsigned) { return 0; }
int FileOps::Rename(const std::string& from, const std::string& to) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return -1;
}
int FileOps::Remove(const std::string& path) { return ::_unlink(path.c_str()); }
// The rename above is durable when it returns; a folder has nothing more to flush.
int FileOps::SyncFolder(const std::string&) { return 0; }

bool FileOps::ProcessEnded(long pid) {
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

}  // namespace sheenwork::runtime
