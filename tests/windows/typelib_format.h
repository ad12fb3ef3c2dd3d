// The line format of tests/data/typelib.txt, written by both readers of the published
// interface: the class table on Linux (typelib_test) and the compiled type library read
// through ITypeInfo under Wine (sheenwork-client.exe).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sheenwork::testing {

// The fields joined by `separator`; a line's trailing blanks removed.
inline std::string Joined(const std::vector<std::string>& fields, const char* separator = " | ") {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? separator : "") + fields[i];
    return line.substr(0, line.find_last_not_of(' ') + 1);
}

// A type's flags by name, " ?" after them when others are set.
inline std::string TypeFlags(std::uint32_t flags) {
    const std::pair<std::uint32_t, const char*> names[] = {
        {0x1, "FAPPOBJECT"}, {0x2, "FCANCREATE"}, {0x8, "FPREDECLID"}, {0x20, "FCONTROL"}};
    std::vector<std::string> out;
    for (const auto& [bit, name] : names)
        if (flags & bit) out.push_back(name);
    for (const auto& [bit, name] : names) flags &= ~bit;
    return Joined(out, " ") + (flags ? " ?" : "");
}

// One parameter: `Optional ByRef Text As String = ""`, its default when it has one.
inline std::string Parameter(bool optional, bool by_ref, const std::string& name,
                             const std::string& type,
                             const std::optional<std::string>& default_value) {
    return std::string(optional ? "Optional " : "") + (by_ref ? "ByRef " : "ByVal ") + name +
           " As " + type + (default_value ? " = \"" + *default_value + "\"" : "");
}

}  // namespace sheenwork::testing
