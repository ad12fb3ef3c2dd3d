// sheenwork.dll as an in-process COM server under Wine: regsvr32 writes the class table
// and removes it, per machine and per user; the type library read back through
// LoadTypeLib and ITypeInfo is the published interface; a VBScript run by cscript creates
// SpEv and Error by their ProgIDs and calls them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "windows/wine.h"

namespace sheenwork::testing {
namespace {

namespace fs = std::filesystem;

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

std::string Replace(std::string s, const std::string& what, const std::string& with) {
    for (std::size_t at = 0; (at = s.find(what, at)) != std::string::npos; at += with.size())
        s.replace(at, what.size(), with);
    return s;
}

// A data file's lines, comments and blank lines left out.
std::vector<std::string> DataLines(const std::string& name) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/" + name);
    if (!in) throw std::runtime_error("tests/data/" + name + " is missing");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        line = Trimmed(line);
        if (!line.empty() && line[0] != '#') out.push_back(line);
    }
    return out;
}

struct Table {
    std::vector<std::string> roots;
    std::set<std::string> values;  // "key | value | data"
};

Table ExpectedTable() {
    const std::string dll = WinePath(WindowsFile("sheenwork.dll"));
    const std::string dir = dll.substr(0, dll.rfind('\\'));
    Table t;
    for (const auto& line : DataLines("windows/registry.txt")) {
        if (line.rfind("root ", 0) == 0)
            t.roots.push_back(line.substr(5));
        else
            t.values.insert(Trimmed(Replace(Replace(line, "$DLL", dll), "$DIR", dir)));
    }
    return t;
}

// Every value under the table's roots below `hive` as `reg query /s` lists it, each key
// written from its root on; nothing of a root that does not exist. One cmd runs every
// query, each after a line naming its root.
std::set<std::string> QueryAll(const WinePrefix& wine, const std::string& hive,
                               const Table& table) {
    std::string commands;
    for (const auto& root : table.roots)
        commands += (commands.empty() ? "" : " & ") + std::string("echo ##") + root +
                    " & reg query " + hive + "\\" + root + " /s";
    std::set<std::string> out;
    std::string root, key;
    for (const auto& line : wine.Run({"cmd", "/c", commands}).lines) {
        if (line.rfind("##", 0) == 0) {
            root = Trimmed(line.substr(2));
            key.clear();
        } else if (line.rfind("HKEY_", 0) == 0) {
            const auto at = line.find(root);
            key = at == std::string::npos ? line : line.substr(at);
        } else if (line.rfind("    ", 0) == 0 && !key.empty()) {
            // "    name    REG_SZ    data"
            const std::string rest = line.substr(4);
            const auto type = rest.find("    REG_");
            if (type == std::string::npos) continue;
            std::string name = rest.substr(0, type);
            if (name == "(Default)") name = "";
            const auto data_at = rest.find("    ", type + 4);
            const std::string data = data_at == std::string::npos ? "" : rest.substr(data_at + 4);
            out.insert(Trimmed(key + " | " + name + " | " + data));
        }
    }
    return out;
}

TEST(WindowsServer, RegsvrWritesExactlyTheClassTableAndRemovesIt) {
    try {
        const Table expected = ExpectedTable();
        WinePrefix wine("server-registry");
        const std::string dll = WinePath(WindowsFile("sheenwork.dll"));
        // Wine runs programs as an administrator: the machine's classes.
        wine.Must({"regsvr32", "/s", dll});
        EXPECT_EQ(QueryAll(wine, "HKLM\\Software\\Classes", expected), expected.values);
        EXPECT_EQ(QueryAll(wine, "HKCR", expected), expected.values);
        EXPECT_TRUE(QueryAll(wine, "HKCU\\Software\\Classes", expected).empty());
        wine.Must({"regsvr32", "/s", "/u", dll});
        EXPECT_TRUE(QueryAll(wine, "HKCR", expected).empty());
        // For the user alone: the same table under the user's classes.
        wine.Must({"regsvr32", "/s", "/n", "/i:user", dll});
        EXPECT_EQ(QueryAll(wine, "HKCU\\Software\\Classes", expected), expected.values);
        EXPECT_TRUE(QueryAll(wine, "HKLM\\Software\\Classes", expected).empty());
        wine.Must({"regsvr32", "/s", "/u", "/n", "/i:user", dll});
        EXPECT_TRUE(QueryAll(wine, "HKCR", expected).empty());
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

// The listing of tests/data/typelib.txt, read from the registered library as a host
// reads it (the class lines' status flags and toolbox bitmap from the registration).
TEST(WindowsServer, TypeLibraryIsThePublishedInterface) {
    try {
        WinePrefix wine("server-typelib");
        const std::string dll = WinePath(WindowsFile("sheenwork.dll"));
        wine.Must({"regsvr32", "/s", dll});
        const auto listed = wine.Must({WindowsFile("typelib-listing.exe"), dll});
        std::vector<std::string> got;
        for (const auto& l : listed) got.push_back(Trimmed(l));
        const auto expected = DataLines("typelib.txt");
        for (std::size_t i = 0; i < std::max(expected.size(), got.size()); ++i)
            ASSERT_EQ(i < got.size() ? got[i] : "(nothing)",
                      i < expected.size() ? expected[i] : "(nothing)")
                << "line " << i + 1 << " of the listing";
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

TEST(WindowsScript, SpEvAndErrorByProgIdFromVBScript) {
    try {
        WinePrefix wine("script");
        const std::string dll = WinePath(WindowsFile("sheenwork.dll"));
        wine.Must({"regsvr32", "/s", dll});
        wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenline-error-handler.dll"))});
        const std::string folder = wine.Dir() + "/drive_c/sheenwork-script";
        fs::create_directories(folder + "/logs");
        wine.Must({"reg", "add", "HKCU\\Software\\Sheenline", "/v", "ErrorLog", "/t", "REG_SZ",
                   "/d", "C:\\sheenwork-script\\logs", "/f"});
        fs::copy_file(std::string(SHEENWORK_TEST_DATA_DIR) + "/windows/script.vbs",
                      folder + "/script.vbs");
        auto out = wine.Must({"cscript", "//nologo", "C:\\sheenwork-script\\script.vbs"});
        // Then the README's example.
        fs::copy_file(std::string(SHEENWORK_SOURCE_DIR) + "/examples/windows/hello.vbs",
                      folder + "/hello.vbs");
        const auto hello = wine.Must({"cscript", "//nologo", "C:\\sheenwork-script\\hello.vbs"});
        out.insert(out.end(), hello.begin(), hello.end());
        const std::string dir = dll.substr(0, dll.rfind('\\'));
        std::vector<std::string> expected;
        for (const auto& l : DataLines("windows/script.txt"))
            expected.push_back(Replace(l, "$DIR", dir));
        EXPECT_EQ(out, expected);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

}  // namespace
}  // namespace sheenwork::testing
