// A client of sheenwork.dll under Wine (tests/windows/client.cpp): the button created
// through CoCreateInstance on a site of the client's own, every member driven by its
// DISPID, then the script of tests/data/windows/client.txt (wrong calls, a reported
// error's message box, the events through a connection point, saving and loading through
// a property bag and a stream), which holds what the client must write.
#include <gtest/gtest.h>

#include <fstream>

#include "desktop/xserver.h"
#include "windows/wine.h"

namespace sheenwork::testing {
namespace {

std::vector<std::string> Lines(const std::string& name, bool table) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/" + name);
    if (!in) throw std::runtime_error("tests/data/" + name + " is missing");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (!table) {
            out.push_back(line);
            continue;
        }
        // name | dispid | default | assigned | read back, as the client writes it.
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
            cells.push_back(line.substr(start, bar - start));
        cells.push_back(line.substr(start));
        std::string row;
        for (auto& c : cells) {
            const auto a = c.find_first_not_of(' '), b = c.find_last_not_of(' ');
            row +=
                (row.empty() ? "" : " | ") + (a == std::string::npos ? "" : c.substr(a, b - a + 1));
        }
        out.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
    }
    return out;
}

TEST(WindowsClient, EveryMemberByDispidEventsAndPersistence) {
    try {
        Display display;
        WinePrefix wine("client", &display);
        wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenwork.dll"))});
        auto got =
            wine.Must({WindowsFile("sheenwork-client.exe"),
                       WinePath(std::string(SHEENWORK_TEST_DATA_DIR) + "/windows/dispatch.txt"),
                       WinePath(std::string(SHEENWORK_TEST_DATA_DIR) + "/windows/client.txt")});
        for (auto& l : got) l = l.substr(0, l.find_last_not_of(' ') + 1);
        auto expected = Lines("windows/dispatch.txt", true);
        const auto rest = Lines("windows/client.txt", false);
        expected.insert(expected.end(), rest.begin(), rest.end());
        for (std::size_t i = 0; i < std::max(expected.size(), got.size()); ++i)
            EXPECT_EQ(i < got.size() ? got[i] : "(nothing)",
                      i < expected.size() ? expected[i] : "(nothing)")
                << "line " << i + 1;
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

}  // namespace
}  // namespace sheenwork::testing
