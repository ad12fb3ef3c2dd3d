// sheenwork.dll as an in-process COM server under Wine: regsvr32 writes the class table
// and removes it, per machine and per user; a VBScript run by cscript creates SpEv and
// Error by their ProgIDs and calls them; a client of its own (tests/windows/client.cpp)
// reads the type library back through LoadTypeLib and ITypeInfo and drives the button by
// DISPID. What each must write is data:
// tests/data/registration.txt, tests/data/typelib.txt, tests/data/windows/script.txt,
// tests/data/windows/dispatch.txt and client.txt.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "desktop/xserver.h"
#include "windows/expected_lines.h"
#include "windows/wine.h"

namespace sheenwork::testing {
namespace {

namespace fs = std::filesystem;

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

// The library file as a Windows program names it, its folder and the type library's
// platform.
Vars LibraryVars() {
    const std::string dll = WinePath(WindowsFile("sheenwork.dll"));
    return {{"$DLL", dll}, {"$DIR", dll.substr(0, dll.rfind('\\'))}, {"$PLATFORM", "win64"}};
}

struct Table {
    std::vector<std::string> roots;
    std::set<std::string> values;  // "key | value | data"
};

Table ExpectedTable() {
    Table t;
    for (const Row& row : ReadTable("registration.txt")) {
        if (row[0].rfind("root ", 0) == 0)
            t.roots.push_back(row[0].substr(5));
        else
            t.values.insert(
                Trimmed(Replaced(row[0] + " | " + row[1] + " | " + row[2], LibraryVars())));
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
}

TEST(WindowsScript, SpEvAndErrorByProgIdFromVBScript) {
    WinePrefix wine("script");
    wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenwork.dll"))});
    // The outside error component: a script component, registered where it is copied.
    const std::string folder = wine.Dir() + "/drive_c/sheenwork-script";
    fs::create_directories(folder + "/logs");
    fs::copy_file(DataPath("windows/error-handler.wsc"), folder + "/error-handler.wsc");
    wine.Must({"regedit", "/S", WinePath(DataPath("windows/error-handler.reg"))});
    wine.Must({"reg", "add", "HKCU\\Software\\Sheenline", "/v", "ErrorLog", "/t", "REG_SZ", "/d",
               "C:\\sheenwork-script\\logs", "/f"});
    fs::copy_file(DataPath("windows/script.vbs"), folder + "/script.vbs");
    auto out = wine.Must({"cscript", "//nologo", "C:\\sheenwork-script\\script.vbs"});
    // Then the README's example.
    fs::copy_file(std::string(SHEENWORK_SOURCE_DIR) + "/examples/windows/hello.vbs",
                  folder + "/hello.vbs");
    const auto hello = wine.Must({"cscript", "//nologo", "C:\\sheenwork-script\\hello.vbs"});
    out.insert(out.end(), hello.begin(), hello.end());
    ExpectLines(out, ExpectedLines("windows/script.txt", LibraryVars()));
}

// The button created through CoCreateInstance on a site of the client's own: the type
// library it loads listed as tests/data/typelib.txt writes it, every member of
// dispatch.txt driven by its DISPID, then the script of client.txt (wrong calls, a
// reported error's message box, the events through a connection point, saving and loading
// through a property bag and a stream), which holds what the client must write.
TEST(WindowsClient, TypeLibraryEveryMemberByDispidEventsAndPersistence) {
    Display display;
    WinePrefix wine("client", &display);
    wine.Must({"regsvr32", "/s", WinePath(WindowsFile("sheenwork.dll"))});
    auto expected = ExpectedLines("typelib.txt");
    for (const char* name : {"windows/dispatch.txt", "windows/client.txt"})
        for (const Row& line : ExpectedLines(name)) expected.push_back(line);
    ExpectLines(
        wine.Must({WindowsFile("sheenwork-client.exe"), WinePath(DataPath("windows/dispatch.txt")),
                   WinePath(DataPath("windows/client.txt"))}),
        expected);
}

}  // namespace
}  // namespace sheenwork::testing
