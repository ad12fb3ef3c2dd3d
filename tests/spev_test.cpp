// The SpEv utility object: file search and theme (its text and list files and the mouse
// are button stories, tests/data/props/spev-*.txt).
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

class SpEvTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
    testing::TempDir dir;
    SpEv& spev = SpEvObject();
};

// The table tests/data/spev/file_exists.txt: the folder's entries, then each name and
// whether it is found.
TEST_F(SpEvTest, FileExistsFindsWhatTheTableSays) {
    for (const testing::Row& r : testing::ReadTable("spev/file_exists.txt")) {
        std::istringstream words(r[0]);
        std::string kind, entry;
        words >> kind >> entry;
        if (r.size() == 1) {
            const auto path = dir.Path() / entry;
            std::filesystem::create_directories(kind == "folder" ? path : path.parent_path());
            if (kind == "file") std::ofstream(path) << "";
            if (kind == "link") std::filesystem::create_symlink(dir / "nowhere", path);
            continue;
        }
        const std::string name = r[0] == "\"\"" ? "" : dir / r[0];
        EXPECT_EQ(spev.FileExists(name), r[1] == "True" ? vb::True : vb::False) << r.where;
    }
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

}  // namespace
}  // namespace sheenwork
