// The flags of open() that guard a file the library did not make, on both platforms.
// POSIX: never follow a planted link at the last component, never wait for a pipe's
// other end at the open, never leak the descriptor into a started program. Windows' C
// runtime opens neither links nor pipes through a path this way and has no waiting open;
// what it needs is binary mode (no CR/LF translation) and no inheritance.
#pragma once

#include <fcntl.h>

namespace sheenwork::util {

#ifdef _WIN32
inline constexpr int kOpenNoFollow = 0;
inline constexpr int kOpenNonBlock = 0;
inline constexpr int kOpenPrivate = _O_BINARY | _O_NOINHERIT;
// A descriptor opened without waiting waits again from here on (nothing to do there).
inline void WaitAgain(int) {}
#else
inline constexpr int kOpenNoFollow = O_NOFOLLOW;
inline constexpr int kOpenNonBlock = O_NONBLOCK;
inline constexpr int kOpenPrivate = O_CLOEXEC;
inline void WaitAgain(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); }
#endif

}  // namespace sheenwork::util
