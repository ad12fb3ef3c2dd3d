// Test data: whole files, and the tables under tests/data that parameterised tests read,
// one case a line.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace sheenwork::testing {

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::filesystem::path DataPath(const std::string& name) {
    return std::filesystem::path(SHEENWORK_TEST_DATA_DIR) / name;
}

// A line of a table: its cells, split at ` | ` and trimmed, and where it stands.
struct Row {
    std::string where;  // "file:line", for messages
    std::vector<std::string> cells;
    const std::string& operator[](std::size_t i) const { return cells.at(i); }
    std::size_t size() const { return cells.size(); }
};
inline void PrintTo(const Row& r, std::ostream* os) { *os << r.where; }

// The rows of tests/data/<name>; blank lines and lines starting with # are skipped. A
// table that cannot be read, or holds no row, fails the test that reads it.
inline std::vector<Row> ReadTable(const std::string& name) {
    std::vector<Row> rows;
    std::istringstream in(ReadFile(DataPath(name)));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        Row r{name + ":" + std::to_string(number), {}};
        // A `|` between blanks separates cells; one inside a word (DT_LEFT|DT_NOCLIP) does not.
        const auto separates = [&](std::size_t i) {
            return line[i] == '|' && (i == 0 || line[i - 1] == ' ') &&
                   (i + 1 == line.size() || line[i + 1] == ' ');
        };
        for (std::size_t at = 0; at <= line.size();) {
            std::size_t bar = at;
            while (bar < line.size() && !separates(bar)) ++bar;
            const std::string cell = line.substr(at, bar - at);
            const auto first = cell.find_first_not_of(" \t");
            r.cells.push_back(first == std::string::npos
                                  ? ""
                                  : cell.substr(first, cell.find_last_not_of(" \t") - first + 1));
            at = bar + 1;
        }
        rows.push_back(std::move(r));
    }
    if (rows.empty()) ADD_FAILURE() << "no rows in " << DataPath(name);
    return rows;
}

// A gtest name for the row: the first cell's letters and digits.
inline std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    for (char c : info.param.cells.at(0))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + "_" + std::to_string(info.index);
}

// A file of cases under tests/data: each case starts at a line "MARK TITLE" and holds the
// lines after it up to the next such line, without their indentation; blank lines and
// lines starting with # are skipped. A file that holds no case fails the test reading it.
struct Case {
    std::string file, title;
    int line = 0;                                    // the title's
    std::vector<std::pair<int, std::string>> lines;  // each with its number
    std::string Where(int number) const { return file + ":" + std::to_string(number); }
};
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.Where(c.line); }

inline std::vector<Case> ReadCases(const std::string& name, const std::string& mark) {
    std::vector<Case> cases;
    std::istringstream in(ReadFile(DataPath(name)));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        line.erase(0, line.find_first_not_of(" \t"));
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind(mark + " ", 0) == 0)
            cases.push_back({name, line.substr(mark.size() + 1), number, {}});
        else if (cases.empty())
            ADD_FAILURE() << name << ":" << number << ": a line before the first case";
        else
            cases.back().lines.emplace_back(number, line);
    }
    if (cases.empty()) ADD_FAILURE() << "no cases in " << DataPath(name);
    return cases;
}

// A gtest name for the case: its title's letters and digits.
inline std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (char c : info.param.title) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + "_" + std::to_string(info.index);
}

}  // namespace sheenwork::testing
