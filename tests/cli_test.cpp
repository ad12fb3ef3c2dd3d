// The sheenwork command-line tool, run as a process: its answers to command lines (a
// table in tests/data/cli), and what the gallery writes.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sheenwork/runtime/form_file.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "cli.h"
#include "png_io.h"
#include "preview.h"
#include "support/data.h"
#include "support/recording_services.h"
#include "support/refusal.h"

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
    run.err = testing::ReadFile(err_file);
    return run;
}

// The pixels of a written picture as a table gives them: "X,Y=BBGGRR" (png_io's 0x00BBGGRR
// in hex), or "X,Y!=BBGGRR" for anything but that colour, separated by blanks.
void ExpectPixels(const png::Image& image, const std::string& pixels) {
    std::istringstream words(pixels);
    for (std::string pixel; words >> pixel;) {
        const int x = std::stoi(pixel), y = std::stoi(pixel.substr(pixel.find(',') + 1));
        ASSERT_TRUE(x < image.width && y < image.height) << pixel;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%06X",
                      image.pixels[static_cast<std::size_t>(y) * image.width + x]);
        const bool other = pixel[pixel.find('=') - 1] == '!';
        EXPECT_EQ(hex == pixel.substr(pixel.find('=') + 1), !other) << pixel << ": " << hex;
    }
}

// tests/data/cli/invocations.txt: [VARIABLE=value ...] arguments | exit code | what stdout
// holds | what stderr holds (empty: nothing) | how many lines stderr has | the picture
// written, its size and pixels.
class ToolAnswers : public ::testing::TestWithParam<testing::Row> {};

TEST_P(ToolAnswers, ItsCommandLine) {
    const testing::Row& f = GetParam();
    testing::TempDir tmp;
    std::string args = f[0], env;
    for (std::size_t at; (at = args.find("$TMP")) != std::string::npos;)
        args.replace(at, 4, tmp.Path().string());
    for (std::size_t at; (at = args.find("$DATA")) != std::string::npos;)
        args.replace(at, 5, std::string(SHEENWORK_TEST_DATA_DIR) + "/cli");
    while (!args.empty() && std::isupper(static_cast<unsigned char>(args[0])) &&
           args.find('=') < args.find(' ')) {
        env += args.substr(0, args.find(' ') + 1);
        args.erase(0, args.find(' ') + 1);
    }
    std::string out = f[2], err = f[3];
    for (std::string* cell : {&out, &err})  // "\n" ends a line
        for (std::size_t at; (at = cell->find("\\n")) != std::string::npos;)
            cell->replace(at, 2, "\n");
    const ToolRun run = Tool(args, tmp.Path().string(),
                             env.empty() ? SHEENWORK_TOOL : "env " + env + SHEENWORK_TOOL);
    SCOPED_TRACE("sheenwork " + args);
    EXPECT_EQ(run.exit, std::stoi(f[1]));
    EXPECT_NE(run.out.find(out), std::string::npos) << run.out;
    if (err.empty())
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(err), std::string::npos) << run.err;
    if (f.size() > 4 && !f[4].empty()) {
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), std::stoi(f[4])) << run.err;
    }
    // Whatever the input, no control character reaches the terminal raw.
    EXPECT_TRUE(std::none_of(run.err.begin(), run.err.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F;
    })) << run.err;
    if (f.size() < 6) return;
    std::istringstream words(f[5]);  // "FILE WxH X,Y=BBGGRR ..."
    std::string file, size, pixels;
    words >> file >> size >> std::ws;
    std::getline(words, pixels);
    const png::Image image = png::Read(tmp / file);
    EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height), size);
    ExpectPixels(image, pixels);
}

INSTANTIATE_TEST_SUITE_P(Table, ToolAnswers,
                         ::testing::ValuesIn(testing::ReadTable("cli/invocations.txt")),
                         testing::RowName);

// `run` becomes sheenwork-run, found beside the tool (the table's run lines) or in
// ../libexec/sheenwork as an installation places it (tests/install/run.sh); without it the
// tool says so.
TEST(Tool, RunWithoutSheenworkRunSaysItIsNotInstalled) {
    namespace fs = std::filesystem;
    testing::TempDir tmp;
    fs::create_directories(tmp.Path() / "bin");
    fs::copy_file(SHEENWORK_TOOL, tmp.Path() / "bin" / "sheenwork");
    const std::string bad = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/bad.sfm";
    const ToolRun alone =
        Tool("run " + bad, tmp.Path().string(), (tmp.Path() / "bin" / "sheenwork").string());
    EXPECT_EQ(alone.exit, 1);
    EXPECT_NE(alone.err.find("the window host sheenwork-run is not installed"), std::string::npos)
        << alone.err;
}

// Every look, scheme, state and side as a picture of the button's size, a page that
// shows each one with its properties as the form file writes them, and all of them in
// the README's picture; a few pixels and lines of the page in tests/data/cli/gallery.txt.
// The pressed column presses each button's body: the body (the button less its drop-down
// section, DropDownSize pixels at the side DropDownAlign names) differs from hovering.
TEST(Tool, GalleryWritesEveryButtonAndThePage) {
    testing::TempDir tmp;
    const ToolRun run = Tool("gallery -o " + tmp.Path().string(), tmp.Path().string());
    ASSERT_EQ(run.exit, 0) << run.err;
    const std::string html = testing::ReadFile(tmp.Path() / "index.html");
    int pictures = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Path())) {
        if (e.path().extension() != ".png" || e.path().filename() == "gallery.png") continue;
        ++pictures;
        const png::Image image = png::Read(e.path().string());
        EXPECT_EQ(image.width, 110);
        EXPECT_EQ(image.height, 40);
        EXPECT_NE(html.find("src=\"" + e.path().filename().string() + "\""), std::string::npos);
    }
    EXPECT_EQ(pictures, 7 * 5 * 5);
    for (const testing::Row& row : testing::ReadTable("cli/gallery.txt")) {
        SCOPED_TRACE(row.where);
        if (row[0] == "page") {
            EXPECT_NE(html.find(row[1]), std::string::npos);
            continue;
        }
        ExpectPixels(png::Read(tmp / row[0]), row[1]);
    }
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

// A render is a preview. A form whose button names a program as its URL and a sound as
// its Wave (go.sfm) starts nothing when a script clicks it (with the mouse and with Enter on
// the default button); --trace prints what each click would open, --allow-shell does it.
TEST(Tool, RenderPreviewsWhatAClickWouldOpen) {
    testing::TempDir tmp;
    const std::string data = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli",
                      here = "cd " + tmp.Path().string() + " && ";
    std::ofstream(tmp / "ding\"1.wav") << "RIFF";
    const std::string render =
        "render " + data + "/go.sfm -o go.png --script " + data + "/clicks.txt";
    const ToolRun quiet = Tool(render, tmp.Path().string(), here + SHEENWORK_TOOL);
    EXPECT_EQ(quiet.exit, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "go.png\n");
    const ToolRun traced = Tool(render + " --trace", tmp.Path().string(), here + SHEENWORK_TOOL);
    // JSON's quoting: the quote in the wave's name is \".
    const std::string click = "open \"ding\\\"1.wav\" \"\"\nopen \"/usr/bin/touch\" \"touched\"\n";
    EXPECT_EQ(traced.out, click + click + "go.png\n");
    EXPECT_FALSE(std::filesystem::exists(tmp / "touched"));
    // The wave goes to the opener: a harmless one here.
    const ToolRun acted = Tool(render + " --allow-shell", tmp.Path().string(),
                               here + "env SHEENWORK_OPENER=/bin/true " + SHEENWORK_TOOL);
    EXPECT_EQ(acted.exit, 0) << acted.err;
    for (int i = 0; i < 500 && !std::filesystem::exists(tmp / "touched"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(tmp / "touched"));
}

// Check lets the controls take their values on surfaces of one pixel: a form at the limit
// of 2^25 pixels (limit.sfm: 128 MiB of surface when rendered) is checked in a small part
// of that.
TEST(Tool, CheckNeedsNoSurfaces) {
    const auto peak_kb = [](const std::string& name) {
        const std::string form = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/" + name;
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(SHEENWORK_TOOL, SHEENWORK_TOOL, "check", form.c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        EXPECT_EQ(wait4(child, &status, 0, &usage), child);
        EXPECT_EQ(WEXITSTATUS(status), 0) << name;
        return usage.ru_maxrss;
    };
    // Measured against checking a one-button form, so that the sanitizers' own memory
    // cancels out: the limit form's surfaces alone would be 128 MiB.
    EXPECT_LT(peak_kb("limit.sfm") - peak_kb("go.sfm"), 32 * 1024) << "kB more at most";
}

// A preview stands in for the services while it lives, and the ones before it come back;
// the progress of a long command is one line a terminal redraws; a form file is no
// picture.
TEST(Tool, APreviewEndsAndProgressFillsItsBar) {
    system::Services* const before = system::Installed();
    {
        cli::Preview preview(false);
        EXPECT_EQ(system::Installed(), &preview);
    }
    EXPECT_EQ(system::Installed(), before);
    std::ostringstream err;
    cli::Progress(err, 4, true).Step("a");
    EXPECT_EQ(err.str(), "\r[#######.......................] 1/4 a\x1b[K\n");
    // The picture reader refuses a file that is not a PNG file.
    const std::string two = std::string(SHEENWORK_TEST_DATA_DIR) + "/cli/two.sfm";
    EXPECT_EQ(testing::Refusal<std::runtime_error>([&] { png::Read(two); }),
              two + ": not a PNG file");
}

}  // namespace
}  // namespace sheenwork
