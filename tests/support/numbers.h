// Numbers as the test logs write them.
#pragma once

#include <string>

namespace sheenwork::testing {

// Without trailing zeros: "88.5", "4".
inline std::string Trimmed(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

}  // namespace sheenwork::testing
