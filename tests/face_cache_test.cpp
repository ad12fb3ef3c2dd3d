// The faces kept across runs: the reader takes only what the writer writes, within the
// bounds (tests/data/face_cache/files.txt); a stamp stops holding when anything it notes
// changes; a kept face is found by a later process, and not once its font file is gone;
// a program that finds all its faces kept never loads fontconfig's configuration and
// draws the same pixels.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text/face_cache.h"
#include "support/recording_services.h"

namespace sheenwork::text {
namespace {

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 't')) {
            out += s[++i] == 'n' ? '\n' : '\t';
            continue;
        }
        out += s[i];
    }
    return out;
}

TEST(FaceCacheFile, TakesWhatItWritesAndRefusesAnythingElse) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/face_cache/files.txt");
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t a = line.rfind(" | ", line.rfind(" | ") - 1), b = line.rfind(" | ");
        const std::string text = Unescape(line.substr(0, a));
        const bool ok = line.substr(a + 3, b - a - 3) == "ok";
        FaceCache::Stamp stamp;
        std::vector<FaceCache::Face> faces;
        EXPECT_EQ(FaceCache::Parse(text, stamp, faces), ok) << line.substr(b + 3);
        if (ok && line.find("any order") == std::string::npos) {
            EXPECT_EQ(FaceCache::Format(stamp, faces), text) << "written back as read";
        }
        ++rows;
    }
    EXPECT_GE(rows, 15);
    // The bounds: one face more than kept, and a file one byte longer than read.
    FaceCache::Stamp stamp;
    std::vector<FaceCache::Face> faces(FaceCache::kMaxFaces + 1);
    for (auto& f : faces) f.resolved.file = "/f.ttf";
    std::vector<FaceCache::Face> read;
    EXPECT_FALSE(FaceCache::Parse(FaceCache::Format(stamp, faces), stamp, read));
    faces.pop_back();
    EXPECT_TRUE(FaceCache::Parse(FaceCache::Format(stamp, faces), stamp, read));
    std::string long_file = "sheenwork faces 1\nversion ";
    long_file += std::string(FaceCache::kMaxBytes - long_file.size(), '1');
    EXPECT_FALSE(FaceCache::Parse(long_file + "\n", stamp, read));
    long_file.pop_back();
    EXPECT_TRUE(FaceCache::Parse(long_file + "\n", stamp, read));
}

class FaceCacheStamp : public ::testing::Test {
protected:
    void SetUp() override { stamp = FaceCache::CurrentStamp(); }
    void TearDown() override { unsetenv("FC_LANG"); }
    FaceCache::Stamp stamp;
    testing::TempDir dir;
};

TEST_F(FaceCacheStamp, StopsHoldingWhenAnythingItNotesChanges) {
    ASSERT_TRUE(FaceCache::Holds(stamp));
    const std::string file = dir / "fonts.conf", missing = dir / "conf.d";
    std::ofstream(file) << "<fontconfig/>";
    stamp.paths.push_back(FaceCache::Look(file));
    stamp.paths.push_back(FaceCache::Look(missing));
    ASSERT_EQ(stamp.paths.back().mtime, -1);
    ASSERT_TRUE(FaceCache::Holds(stamp));

    std::ofstream(file, std::ios::app) << " ";  // one byte longer
    EXPECT_FALSE(FaceCache::Holds(stamp)) << "a file grown";
    stamp.paths[stamp.paths.size() - 2] = FaceCache::Look(file);
    ASSERT_TRUE(FaceCache::Holds(stamp));
    struct timespec times[2] = {{1, 0}, {1, 0}};  // the same size, another time
    utimensat(AT_FDCWD, file.c_str(), times, 0);
    EXPECT_FALSE(FaceCache::Holds(stamp)) << "a file touched";
    stamp.paths[stamp.paths.size() - 2] = FaceCache::Look(file);
    std::filesystem::create_directory(missing);
    EXPECT_FALSE(FaceCache::Holds(stamp)) << "a folder made where there was none";
    std::filesystem::remove(missing);
    ASSERT_TRUE(FaceCache::Holds(stamp));
    setenv("FC_LANG", "de", 1);
    EXPECT_FALSE(FaceCache::Holds(stamp)) << "a variable set";
    unsetenv("FC_LANG");
    FaceCache::Stamp other = stamp;
    other.version += "0";
    EXPECT_FALSE(FaceCache::Holds(other)) << "another fontconfig";
    other = stamp;
    other.environment.pop_back();
    EXPECT_FALSE(FaceCache::Holds(other)) << "a variable missing";
}

TEST_F(FaceCacheStamp, AKeptFaceIsFoundByTheNextProcessWhileItsFileIsThere) {
    const std::string path = dir / "cache/sheenwork/faces-test", font = dir / "face.ttf";
    std::filesystem::create_directories(dir / "cache/sheenwork");
    std::ofstream(font) << "not read here";
    const ResolvedFace face{"DejaVu Sans", font, 2, true, false, true};
    {
        FaceCache cache(path);
        cache.Keep("Verdana", 700, false, face, stamp);
        cache.Keep("Bad\tName", 400, false, face, stamp);  // not representable: not kept
        EXPECT_EQ(cache.Count(), 1u);
    }
    FaceCache later(path);
    const auto found = later.Find("Verdana", 700, false);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->family, "DejaVu Sans");
    EXPECT_EQ(found->file, font);
    EXPECT_EQ(found->index, 2);
    EXPECT_TRUE(found->bold);
    EXPECT_FALSE(found->italic);
    EXPECT_TRUE(found->substituted);
    EXPECT_FALSE(later.Find("Verdana", 400, false).has_value());
    EXPECT_FALSE(later.Find("verdana", 700, false).has_value());
    EXPECT_FALSE(later.Find("Verdana", 700, true).has_value());
    std::filesystem::remove(font);
    EXPECT_FALSE(later.Find("Verdana", 700, false).has_value()) << "its file is gone";

    // Under another stamp the faces kept before go.
    FaceCache::Stamp other = stamp;
    other.paths.push_back(FaceCache::Look(dir / "elsewhere"));
    later.Keep("Tahoma", 400, false, face, other);
    EXPECT_EQ(FaceCache(path).Count(), 1u);
    // A stamp that no longer holds keeps nothing for the next process.
    std::ofstream(dir / "elsewhere") << "now there";
    EXPECT_EQ(FaceCache(path).Count(), 0u);
}

// The tool twice on one form with a fresh cache folder: the first run asks fontconfig and
// keeps its faces, the second finds them all and loads no configuration (fontconfig's
// FC_DEBUG=1024 would print every file it loads), and both write the same picture.
TEST(FaceCacheTool, ASecondRunDrawsTheSamePixelsWithoutFontconfig) {
    testing::TempDir dir;
    const auto run = [&](const std::string& picture) {
        const std::string command = "XDG_CACHE_HOME=" + (dir / "cache") +
                                    " FC_DEBUG=1024 " SHEENWORK_TOOL " render " SHEENWORK_SOURCE_DIR
                                    "/bench/one-button.sfm -o " +
                                    (dir / picture) + " 2>&1";
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                out.append(buffer, n);
            EXPECT_EQ(pclose(pipe), 0);
        }
        return out;
    };
    EXPECT_NE(run("first.png").find("Loading config file"), std::string::npos);
    const std::string second = run("second.png");
    EXPECT_EQ(second.find("Loading config file"), std::string::npos) << second;
    const auto bytes = [&](const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_FALSE(bytes("first.png").empty());
    EXPECT_EQ(bytes("first.png"), bytes("second.png"));
}

}  // namespace
}  // namespace sheenwork::text
