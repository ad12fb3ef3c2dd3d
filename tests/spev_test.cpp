// The SpEv utility object: text and list files, sound, file search, theme and mouse.
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/data.h"
#include "support/list_box.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::ListBox;

using testing::ReadFile;

class SpEvTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
    testing::TempDir dir;
    SpEv& spev = SpEvObject();
};

TEST_F(SpEvTest, TextSaveAndReadKeepTheTextExactly) {
    std::string name = dir / "a.txt";
    for (std::string text :
         {std::string("no line end"), std::string("two\r\nlines\r\n"), std::string("lf\nonly"),
          std::string("nul\0inside", 10), std::string()}) {
        spev.TextSave(name, text);
        EXPECT_EQ(ReadFile(name), text);
        EXPECT_EQ(spev.TextRead(name), text);
    }
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(SpEvTest, MissingFilesAreReportedAsTheProcedure) {
    std::string missing = dir / "missing.txt";
    EXPECT_EQ(spev.TextRead(missing), "");
    std::string text = "x", unwritable = dir / "no-such-folder/a.txt";
    spev.TextSave(unwritable, text);
    ASSERT_EQ(services.boxes.size(), 2u);
    EXPECT_NE(services.boxes[0].text.find("Error no.: 53\r\nError description: File not found"),
              std::string::npos);
    EXPECT_NE(services.boxes[0].text.find("Module: Klassenmodul SpEv"), std::string::npos);
    EXPECT_NE(services.boxes[0].text.find("0/TextRead"), std::string::npos);
    EXPECT_NE(services.boxes[1].text.find("Error no.: 76"), std::string::npos);
    EXPECT_NE(services.boxes[1].text.find("0/TextSave"), std::string::npos);
}

// What is not a file fails at the open, as a folder does on Windows, and nothing waits: a
// pipe without a writer (reading) or a reader (writing) answers at once, and an endless
// device is never read.
TEST_F(SpEvTest, WhatIsNoFileIsRefusedAtTheOpen) {
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto list = std::make_shared<ListBox>();
    vb::Variant arg{vb::Object(list)};
    std::string text = "x";
    for (const std::string& path : {dir.Path().string(), fifo, std::string("/dev/zero")}) {
        EXPECT_EQ(spev.TextRead(path), "");
        spev.ListRead(arg, path);
    }
    spev.TextSave(dir.Path().string(), text);
    spev.TextSave(fifo, text);
    spev.ListSave(arg, fifo);
    ASSERT_EQ(services.boxes.size(), 9u);
    const char* procedures[] = {"TextRead", "ListRead", "TextRead", "ListRead", "TextRead",
                                "ListRead", "TextSave", "TextSave", "ListSave"};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_NE(services.boxes[i].text.find("Error no.: 75\r\n"), std::string::npos) << i;
        EXPECT_NE(services.boxes[i].text.find("0/" + std::string(procedures[i]) + "\r\n"),
                  std::string::npos)
            << i;
    }
    EXPECT_TRUE(list->items.empty());
}

TEST_F(SpEvTest, ListsGoOneItemPerLine) {
    auto list = std::make_shared<ListBox>();
    list->items = {"eins", "", "drei"};
    vb::Variant arg{vb::Object(list)};
    std::string name = dir / "list.txt";
    spev.ListSave(arg, name, "[", "]");
    EXPECT_EQ(ReadFile(name), "[eins]\r\n[]\r\n[drei]\r\n");

    auto empty = std::make_shared<ListBox>();
    vb::Variant empty_arg{vb::Object(empty)};
    spev.ListSave(empty_arg, name);
    EXPECT_EQ(ReadFile(name), "");

    // Reading keeps what the list holds; CR and CR LF end lines, the last needs none.
    std::ofstream(name, std::ios::binary) << "a\r\nb\rc\r\n\r\nlast";
    empty->items = {"kept"};
    spev.ListRead(empty_arg, name);
    EXPECT_EQ(empty->items, (std::vector<std::string>{"kept", "a", "b", "c", "", "last"}));
    EXPECT_TRUE(services.boxes.empty());

    vb::Variant nothing{vb::Object()};
    spev.ListRead(nothing, name);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("Error no.: 91"), std::string::npos);
}

// The table tests/data/spev/file_exists.txt: the folder's entries, then each name and
// whether it is found.
TEST_F(SpEvTest, FileExistsFindsWhatTheTableSays) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/spev/file_exists.txt");
    ASSERT_TRUE(in);
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string first, bar, answer;
        words >> first;
        if (first == "file" || first == "folder" || first == "link") {
            std::string entry;
            words >> entry;
            const auto path = dir.Path() / entry;
            std::filesystem::create_directories(first == "folder" ? path : path.parent_path());
            if (first == "file") std::ofstream(path) << "";
            if (first == "link") std::filesystem::create_symlink(dir / "nowhere", path);
            continue;
        }
        words >> bar >> answer;
        ASSERT_EQ(bar, "|") << line;
        const std::string name = first == "\"\"" ? "" : dir / first;
        EXPECT_EQ(spev.FileExists(name), answer == "True" ? vb::True : vb::False) << first;
        ++cases;
    }
    EXPECT_GE(cases, 20);
}

// tests/data/spev/themes.txt: theme names and Windows versions map to schemes.
TEST_F(SpEvTest, ThemeNamesMapToSchemes) {
    for (const testing::Row& r : testing::ReadTable("spev/themes.txt")) {
        std::string color = r[0];
        if (const auto nul = color.find("\\0"); nul != std::string::npos)
            color.replace(nul, 2, 1, '\0');
        services.theme.reset();
        if (color != "(none)") services.theme = system::ThemeName{"", color, ""};
        unsigned major = 0, minor = 0, build = 0, platform = 0;
        char dot;
        std::istringstream(r[1]) >> major >> dot >> minor >> dot >> build >> platform;
        services.version = system::VersionInfo{major, minor, build, platform};
        EXPECT_EQ(spev.ActiveXPTheme(), std::stol(r[2])) << r.where;
    }
}

TEST_F(SpEvTest, MouseButtonsAreAskedLeftRightMiddle) {
    EXPECT_EQ(spev.MouseButtonPressed(), mouseNone);
    services.key_state[4] = 1;
    EXPECT_EQ(spev.MouseButtonPressed(), mouseMiddle);
    services.key_state[2] = static_cast<std::int16_t>(0x8000);
    EXPECT_EQ(spev.MouseButtonPressed(), mouseRight);
    services.key_state[1] = static_cast<std::int16_t>(0x8001);
    EXPECT_EQ(spev.MouseButtonPressed(), mouseLeft);
}

}  // namespace
}  // namespace sheenwork
