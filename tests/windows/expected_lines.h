// Output written down by hand as data: the lines of a file under tests/data, compared line
// by line with what a program or a renderer writes. Used by the Linux tests as well as by
// the Windows ones, so that both sides read the same files the same way.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "support/data.h"

namespace sheenwork::testing {

using Vars = std::vector<std::pair<std::string, std::string>>;

// `text` with every `from` of `vars` replaced by its `to`.
inline std::string Replaced(std::string text, const Vars& vars) {
    for (const auto& [from, to] : vars)
        for (auto at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    return text;
}

// The lines of tests/data/<name> as ReadTable reads them (blank lines and comments left
// out), each with where it stands, its cells joined again and its trailing blanks
// removed; `vars` replaced.
inline std::vector<Row> ExpectedLines(const std::string& name, const Vars& vars = {}) {
    std::vector<Row> out;
    for (const Row& row : ReadTable(name)) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) line += (i ? " | " : "") + row[i];
        line.erase(line.find_last_not_of(' ') + 1);
        out.push_back({row.where, {Replaced(line, vars)}});
    }
    return out;
}

// What was written against what is expected, trailing blanks aside: the first line that
// differs fails, named by where it stands in the data file.
inline void ExpectLines(const std::vector<std::string>& got, const std::vector<Row>& expected) {
    for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
        std::string line = i < got.size() ? got[i] : "(nothing)";
        line.erase(line.find_last_not_of(" \r") + 1);
        ASSERT_EQ(line, i < expected.size() ? expected[i][0] : "(nothing)")
            << (i < expected.size() ? expected[i].where : "after the last expected line");
    }
}

}  // namespace sheenwork::testing
