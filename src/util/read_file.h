// Reading a whole file that a user names as input that may be hostile: a form file, a
// script. Only a regular file is read (a folder, a device or a pipe is refused, and the
// open never waits for a pipe's writer), and only up to a limit.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace sheenwork::util {

// Why a file was not read; what() says it in words: the system's ("No such file or
// directory", "Permission denied"), "it is a folder", "it is not a regular file (a pipe)",
// "it is 20000000 bytes, more than the 16777216 that are read".
class ReadFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string ReadWholeFile(const std::filesystem::path& path, std::int64_t limit);

}  // namespace sheenwork::util
