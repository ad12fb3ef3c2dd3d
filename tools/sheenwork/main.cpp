#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

// The tool is a short process, and much of its time goes on first touches of pages of its
// code: each is a page fault, and a fault costs far more than the page it maps (a trip
// through the kernel, and on a virtual machine through the host too). So before anything
// else runs, the program's read-only segments (code, constants, unwind tables) are mapped
// in one call each: some forty-five faults fewer for a one-button render. The libraries'
// segments are left to fault: mapping the whole of the C library cost more than its faults
// saved. A kernel without the call (before Linux 5.14) refuses it, and the pages come one
// by one as before.
__attribute__((constructor(101))) void MapCodeAtOnce() {
#ifdef MADV_POPULATE_READ
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W) != 0) continue;
                const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
                const std::uintptr_t start = begin & ~(page - 1);
                const std::uintptr_t end = (begin + segment.p_memsz + page - 1) & ~(page - 1);
                ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_READ);
            }
            return 1;  // the program comes first; the libraries after it are left alone
        },
        nullptr);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return sheenwork::cli::Main(args, std::cout, std::cerr, RunInWindowHost);
}
