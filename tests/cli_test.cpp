// The sheenwork command-line tool, run as a process: its answers to command lines (a
// table in tests/data/cli), and what the gallery writes.
#include <sys/wait.h>
#include <unistd.h>

#include <sheenwork/runtime/form_file.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "png_io.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

struct ToolRun {
    int exit = -1;
    std::string out, err;
};

// Runs the tool (or a copy of it) with `args` (split at blanks), capturing both streams.
ToolRun Tool(const std::string& args, const std::string& tmp,
             const std::string& program = SHEENWORK_TOOL) {
    const std::string err_file = tmp + "/stderr.txt";
    std::string command = program + " " + args + " 2>" + err_file;
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0;)
        run.out.append(buf.data(), n);
    const int status = pclose(pipe);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream e(err_file);
    std::stringstream s;
    s << e.rdbuf();
    run.err = s.str();
    return run;
}

std::string Trim(const std::string& s) {
    const auto a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

TEST(Tool, AnswersEachCommandLine) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/invocations.txt");
    ASSERT_TRUE(in);
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '|');) f.push_back(Trim(cell));
        f.resize(4);
        for (std::string& cell : {std::ref(f[2]), std::ref(f[3])})  // "\n" ends a line
            for (std::size_t at; (at = cell.find("\\n")) != std::string::npos;)
                cell.replace(at, 2, "\n");
        testing::TempDir tmp;
        std::string args = f[0];
        for (std::size_t at; (at = args.find("$TMP")) != std::string::npos;)
            args.replace(at, 4, tmp.Path().string());
        for (std::size_t at; (at = args.find("$DATA")) != std::string::npos;)
            args.replace(at, 5, std::string(SHEENWORK_TEST_DATA_DIR) + "/cli");
        const ToolRun run = Tool(args, tmp.Path().string());
        SCOPED_TRACE("sheenwork " + args);
        EXPECT_EQ(run.exit, std::stoi(f[1]));
        EXPECT_NE(run.out.find(f[2]), std::string::npos) << run.out;
        if (f[3].empty())
            EXPECT_EQ(run.err, "");
        else
            EXPECT_NE(run.err.find(f[3]), std::string::npos) << run.err;
        ++rows;
    }
    EXPECT_GE(rows, 15);
}

// `run` becomes sheenwork-run, found beside the tool or in ../libexec/sheenwork as an
// installation places it (the form's problem is its answer: it reads the form before it
// opens a display); without it the tool says so.
TEST(Tool, RunIsCarriedOutBySheenworkRunWhereverItIsInstalled) {
    namespace fs = std::filesystem;
    testing::TempDir tmp;
    const fs::path tool(SHEENWORK_TOOL);
    const fs::path bin = tmp.Path() / "bin", libexec = tmp.Path() / "libexec" / "sheenwork";
    fs::create_directories(bin);
    fs::copy_file(tool, bin / "sheenwork");
    const std::string bad = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/bad.sfm";
    const ToolRun alone = Tool("run " + bad, tmp.Path().string(), (bin / "sheenwork").string());
    EXPECT_EQ(alone.exit, 1);
    EXPECT_NE(alone.err.find("the window host sheenwork-run is not installed"), std::string::npos)
        << alone.err;
    fs::create_directories(libexec);
    fs::copy_file(tool.parent_path() / "sheenwork-run", libexec / "sheenwork-run");
    const ToolRun installed = Tool("run " + bad, tmp.Path().string(), (bin / "sheenwork").string());
    EXPECT_EQ(installed.exit, 1);
    EXPECT_NE(installed.err.find("bad.sfm:4:9: Sheenwork.sheenButton has no property Colour"),
              std::string::npos)
        << installed.err;
}

// Every look, scheme, state and side as a picture of the button's size, a page that
// shows each one with its properties as the form file writes them, and all of them in
// the README's picture; a few pixels fixed by the looks' tables: the rounded frame's top
// row in the blue frame colour (disabled: the grey one), the classic scheme without one.
// The pressed column presses each button's body: the body (the button less its drop-down
// section, DropDownSize pixels at the side DropDownAlign names) differs from hovering.
TEST(Tool, GalleryWritesEveryButtonAndThePage) {
    testing::TempDir tmp;
    const ToolRun run = Tool("gallery -o " + tmp.Path().string(), tmp.Path().string());
    ASSERT_EQ(run.exit, 0) << run.err;
    std::ifstream page(tmp.Path() / "index.html");
    std::stringstream html;
    html << page.rdbuf();
    int pictures = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Path())) {
        if (e.path().extension() != ".png" || e.path().filename() == "gallery.png") continue;
        ++pictures;
        const png::Image image = png::Read(e.path().string());
        EXPECT_EQ(image.width, 110);
        EXPECT_EQ(image.height, 40);
        EXPECT_NE(html.str().find("src=\"" + e.path().filename().string() + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(pictures, 7 * 5 * 5);
    const auto at = [&](const std::string& file, int x, int y) {
        const png::Image image = png::Read((tmp.Path() / file).string());
        return image.pixels[static_cast<std::size_t>(y) * image.width + x];
    };
    EXPECT_EQ(at("xpBlue_none_rest.png", 55, 0), 0x743C00u);
    EXPECT_EQ(at("xpOlive_left_hover.png", 55, 0), 0x066237u);
    EXPECT_EQ(at("xpSilver_none_disabled.png", 55, 0), 0xBAC7C9u);
    EXPECT_EQ(at("custom_none_rest.png", 55, 0), 0x206020u);
    EXPECT_NE(at("classic_none_rest.png", 55, 0), 0x743C00u);
    // The hover ring's top line, and the pressed fill, of the blue scheme.
    EXPECT_EQ(at("xpBlue_none_hover.png", 55, 1), 0xCFF0FFu);
    EXPECT_EQ(at("xpBlue_none_pressed.png", 100, 30), 0xD7E0E0u);

    for (const char* shown : {"BackColor = &amp;H00E0F0E0&amp;", "ButtonStyle = cButtonOffice",
                              "DropDownAlign = cDropDownTopRight", "DropDownSize = 12"})
        EXPECT_NE(html.str().find(shown), std::string::npos) << shown;
    const runtime::FormFile form = runtime::ReadFormFile(tmp.Path() / "gallery.sfm");
    for (const runtime::ControlDescription& c : form.controls) {
        SCOPED_TRACE(c.name);
        int side = 0, size = 16, align = 2;
        for (const auto& p : c.properties) {
            if (p.key == "DropDown") side = vb::CBool(p.value) ? 1 : 0;
            if (p.key == "DropDownSize") size = vb::CInt(p.value);
            if (p.key == "DropDownAlign") align = vb::CLng(p.value);
        }
        const png::Image pressed = png::Read((tmp.Path() / (c.name + "_pressed.png")).string());
        const png::Image hover = png::Read((tmp.Path() / (c.name + "_hover.png")).string());
        int differ = 0;
        for (int y = 0; y < pressed.height; ++y)
            for (int x = 0; x < pressed.width; ++x) {
                const bool section = side && (align <= 1   ? x < size
                                              : align <= 3 ? x >= pressed.width - size
                                              : align <= 5 ? y < size
                                                           : y >= pressed.height - size);
                const std::size_t i = static_cast<std::size_t>(y) * pressed.width + x;
                differ += !section && pressed.pixels[i] != hover.pixels[i];
            }
        EXPECT_GT(differ, pressed.width * pressed.height / 20);
    }
    // The README shows the gallery as the tool paints it now.
    EXPECT_EQ(png::Read((tmp.Path() / "gallery.png").string()).pixels,
              png::Read(std::string(SHEENWORK_SOURCE_DIR) + "/docs/gallery.png").pixels)
        << "docs/gallery.png is out of date: make demo paints it";
}

// A rendered form is the screen's picture of it: the default button shows the focus ring
// (top line 0x00FFE7CE), the olive button the pointer rests on its hover ring (0x0095C5FC).
TEST(Tool, RendersTheFormAfterTheScript) {
    testing::TempDir tmp;
    const std::string data = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli";
    const ToolRun run = Tool("render " + data + "/two.sfm -o " + tmp.Path().string() +
                                 "/two.png --script " + data + "/hover.txt",
                             tmp.Path().string());
    ASSERT_EQ(run.exit, 0) << run.err;
    const png::Image image = png::Read((tmp.Path() / "two.png").string());
    ASSERT_EQ(image.width, 210);
    ASSERT_EQ(image.height, 50);
    EXPECT_EQ(image.pixels[11 * 210 + 55], 0xFFE7CEu);
    EXPECT_EQ(image.pixels[11 * 210 + 155], 0x95C5FCu);
}

}  // namespace
}  // namespace sheenwork
