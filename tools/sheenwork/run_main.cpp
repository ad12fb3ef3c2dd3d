// sheenwork-run: what `sheenwork run` becomes. Its arguments are those of the command.
#include <iostream>

#include "cli.h"
#include "run.h"

namespace {

int RunHere(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return sheenwork::cli::Run(args, out, err);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args{"run"};
    args.insert(args.end(), argv + 1, argv + argc);
    return sheenwork::cli::Main(args, std::cout, std::cerr, RunHere);
}
