// The faces kept across runs: the reader takes only what the writer writes, within the
// bounds (tests/data/face_cache/files.txt); a stamp stops holding when anything it notes
// changes (stamps.txt); a kept face is found by a later process, and not once its font
// file is gone; a program that finds all its faces kept never loads fontconfig's
// configuration and draws the same pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "platform/text/face_cache.h"
#include "support/data.h"
#include "support/recording_services.h"
#include "support/story.h"

namespace sheenwork::text {
namespace {

// A file of files.txt: \n and \t stand for a line break and a tab, {TEXT*N} for N TEXTs.
std::string Expand(const std::string& s) {
    const std::size_t open = s.find('{'), star = s.find('*', open), end = s.find('}', open);
    if (open == std::string::npos) return testing::Unescape(s);
    std::string out = testing::Unescape(s.substr(0, open));
    for (int n = std::stoi(s.substr(star + 1)); n > 0; --n)
        out += Expand(s.substr(open + 1, star - open - 1));
    return out + Expand(s.substr(end + 1));
}

TEST(FaceCacheFile, TakesWhatItWritesAndRefusesAnythingElse) {
    for (const testing::Row& row : testing::ReadTable("face_cache/files.txt")) {
        const std::string text = Expand(row[0]);
        const bool ok = row[1] == "ok";
        FaceCache::Stamp stamp;
        std::vector<FaceCache::Face> faces;
        EXPECT_EQ(FaceCache::Parse(text, stamp, faces), ok) << row[2];
        if (ok && row[2].find("any order") == std::string::npos) {
            EXPECT_EQ(FaceCache::Format(stamp, faces), text) << "written back as read";
        }
    }
}

// Each line of stamps.txt: changes made after a stamp of fonts.conf (a file) and conf.d
// (no file) is taken, and whether the stamp still holds.
TEST(FaceCacheStamp, StopsHoldingWhenAnythingItNotesChanges) {
    for (const testing::Row& row : testing::ReadTable("face_cache/stamps.txt")) {
        testing::TempDir dir;
        std::ofstream(dir / "fonts.conf") << "<fontconfig/>";
        FaceCache::Stamp stamp = FaceCache::CurrentStamp();
        stamp.paths.push_back(FaceCache::Look(dir / "fonts.conf"));
        stamp.paths.push_back(FaceCache::Look(dir / "conf.d"));
        std::vector<std::string> set;
        const std::map<std::string, std::function<void(const std::string&)>> changes = {
            {"grow", [&](auto& a) { std::ofstream(dir / a, std::ios::app) << ' '; }},
            {"touch", [&](auto& a) { std::filesystem::last_write_time(dir / a, {}); }},
            {"make", [&](auto& a) { std::filesystem::create_directory(dir / a); }},
            {"remove", [&](auto& a) { std::filesystem::remove(dir / a); }},
            {"set",
             [&](auto& a) {
                 set.push_back(a.substr(0, a.find('=')));
                 setenv(set.back().c_str(), a.substr(a.find('=') + 1).c_str(), 1);
             }},
            {"version", [&](auto&) { stamp.version += "0"; }},
            {"forget", [&](auto&) { stamp.environment.pop_back(); }}};
        std::istringstream words(row[0]);
        for (std::string verb, what; words >> verb >> what;) changes.at(verb)(what);
        EXPECT_EQ(FaceCache::Holds(stamp), row[1] == "holds") << row.where;
        for (const std::string& name : set) unsetenv(name.c_str());
    }
}

TEST(FaceCacheKept, AKeptFaceIsFoundByTheNextProcessWhileItsFileIsThere) {
    testing::TempDir dir;
    const FaceCache::Stamp stamp = FaceCache::CurrentStamp();
    const std::string path = dir / "cache/sheenwork/faces-test", font = dir / "face.ttf";
    std::ofstream(font) << "not read here";
    const ResolvedFace face{"DejaVu Sans", font, 2, true, false, true};
    {
        FaceCache cache(path);
        cache.Keep("Verdana", 700, false, face, stamp);
        cache.Keep("Bad\tName", 400, false, face, stamp);  // not representable: not kept
    }
    FaceCache later(path);
    EXPECT_EQ(later.Count(), 1u);
    const auto found = later.Find("Verdana", 700, false).value_or(ResolvedFace{});
    EXPECT_EQ(
        std::tie(found.family, found.file, found.index, found.bold, found.italic,
                 found.substituted),
        std::tie(face.family, face.file, face.index, face.bold, face.italic, face.substituted));
    const std::tuple<const char*, int, bool> misses[] = {
        {"Verdana", 400, false}, {"verdana", 700, false}, {"Verdana", 700, true}};
    for (const auto& [family, weight, italic] : misses)
        EXPECT_FALSE(later.Find(family, weight, italic)) << family << " " << weight << italic;
    std::filesystem::remove(font);
    EXPECT_FALSE(later.Find("Verdana", 700, false)) << "its file is gone";
    std::filesystem::create_directory(font);
    EXPECT_FALSE(later.Find("Verdana", 700, false)) << "its file is a folder now";
    // Under another stamp the faces kept before go; a stamp that stops holding keeps none.
    FaceCache::Stamp other = stamp;
    other.paths.push_back(FaceCache::Look(dir / "elsewhere"));
    later.Keep("Tahoma", 400, false, face, other);
    EXPECT_EQ(FaceCache(path).Count(), 1u);
    std::ofstream(dir / "elsewhere") << "now there";
    EXPECT_EQ(FaceCache(path).Count(), 0u);
}

// The tool with a fresh cache folder: its first run asks fontconfig and keeps its faces,
// its second finds them all and loads no configuration (FC_DEBUG=1024 prints every file
// fontconfig loads). Another build of the tool (a copy: another file, another time) does
// not take those faces, nor the first build the faces the other kept. Every run writes
// the same picture.
TEST(FaceCacheTool, ASecondRunOfTheSameBuildDrawsTheSamePixelsWithoutFontconfig) {
    testing::TempDir dir;
    const std::string copy = dir / "sheenwork";
    std::filesystem::copy_file(SHEENWORK_TOOL, copy);
    const std::pair<std::string, bool> runs[] = {{SHEENWORK_TOOL, true},
                                                 {SHEENWORK_TOOL, false},
                                                 {copy, true},
                                                 {copy, false},
                                                 {SHEENWORK_TOOL, true}};
    std::string first;
    for (const auto& [tool, loads] : runs) {
        const std::string picture = dir / "out.png";
        const std::string command = "XDG_CACHE_HOME=" + (dir / "cache") + " FC_DEBUG=1024 " + tool +
                                    " render " SHEENWORK_SOURCE_DIR "/bench/one-button.sfm -o " +
                                    picture + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        for (int c; (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
        EXPECT_EQ(pclose(pipe), 0) << out;
        EXPECT_EQ(out.find("Loading config file") != std::string::npos, loads) << tool << out;
        std::ifstream in(picture, std::ios::binary);
        const std::string png(std::istreambuf_iterator<char>(in), {});
        EXPECT_FALSE(png.empty());
        if (first.empty()) first = png;
        EXPECT_EQ(png, first) << tool;
    }
}

}  // namespace
}  // namespace sheenwork::text
