#include "preview.h"

#include "cli.h"

namespace sheenwork::cli {

Preview::Preview(bool act)
    : ForwardingServices(system::Current()), act_(act), previous_(system::Installed()) {
    system::Install(this);
}

Preview::~Preview() {
    if (system::Installed() == this) system::Install(previous_);
}

long Preview::ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                           const std::string& parameters, const std::string& directory, int show) {
    actions_.push_back(operation + " " + JsonString(file) + " " + JsonString(parameters));
    // What a started program answers: the click does not look at it anyway.
    constexpr long kStarted = 42;
    return act_ ? inner_.ShellExecute(hwnd, operation, file, parameters, directory, show)
                : kStarted;
}

bool Preview::PlaySound(const std::string& file, unsigned flags) {
    actions_.push_back("play " + JsonString(file));
    return act_ ? inner_.PlaySound(file, flags) : true;
}

}  // namespace sheenwork::cli
