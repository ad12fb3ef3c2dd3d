#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli.h"

namespace {

namespace fs = std::filesystem;

// `run` is carried out by sheenwork-run, found beside this program (the build tree) or
// where an installation puts it (libexec/sheenwork beside bin): this process becomes it,
// with the same arguments, so a caller waiting for this process waits for the window.
int RunInWindowHost(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        err << "sheenwork: cannot find where this program lies: " << ec.message() << "\n";
        return sheenwork::cli::kBadInput;
    }
    const fs::path here = self.parent_path();
    for (const fs::path& program :
         {here / "sheenwork-run", here.parent_path() / "libexec" / "sheenwork" / "sheenwork-run"}) {
        if (::access(program.c_str(), X_OK) != 0) continue;
        // The program's name, the arguments, and the null that ends the list.
        std::string name = program.string();
        std::vector<std::string> copies(args);
        std::vector<char*> argv(copies.size() + 2, nullptr);
        argv[0] = name.data();
        for (std::size_t i = 0; i < copies.size(); ++i) argv[i + 1] = copies[i].data();
        ::execv(program.c_str(), argv.data());
        err << "sheenwork: cannot start " << program.string() << ": " << std::strerror(errno)
            << "\n";
        return sheenwork::cli::kBadInput;
    }
    err << "sheenwork: the window host sheenwork-run is not installed (looked beside "
        << self.string() << " and in ../libexec/sheenwork)\n";
    return sheenwork::cli::kBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return sheenwork::cli::Main(args, std::cout, std::cerr, RunInWindowHost);
}
