// What a headless command lets a form do outside the process. A click's document or
// address and its sound are the outside world: a preview records them (what the click
// would open or play) and carries them out only when asked.
#pragma once

#include <sheenwork/system/services.h>

#include <string>
#include <vector>

namespace sheenwork::cli {

// Installs itself in place of the services it wraps for its lifetime (create it before
// the runtime, which wraps what is in place when it starts).
class Preview final : public system::ForwardingServices {
public:
    // `act`: open and play as well as record.
    explicit Preview(bool act);
    ~Preview() override;
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // One line per action, in order: `open "FILE" "PARAMETERS"` or `play "FILE"`, the
    // strings quoted as JSON quotes them (no control character is written raw).
    const std::vector<std::string>& Actions() const { return actions_; }

    long ShellExecute(long hwnd, const std::string& operation, const std::string& file,
                      const std::string& parameters, const std::string& directory,
                      int show) override;
    bool PlaySound(const std::string& file, unsigned flags) override;

private:
    bool act_;
    system::Services* previous_;
    std::vector<std::string> actions_;
};

}  // namespace sheenwork::cli
