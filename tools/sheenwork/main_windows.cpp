// sheenwork.exe: the tool on Windows, where `run` is the container of the platform layer
// in this same program.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

#include "cli.h"

namespace sheenwork::cli {
int RunContainer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
}

int main(int argc, char** argv) {
    // The same bytes as on every platform: no carriage returns added to the lines.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    return sheenwork::cli::Main(args, std::cout, std::cerr, sheenwork::cli::RunContainer);
}
