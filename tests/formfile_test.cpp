// Form files: malformed files refused with their exact problems (the table in
// tests/data/formfile/malformed.txt), a designer's form saved and reopened through the
// library, random property sets saved, loaded and saved again, a save interrupted at
// every system call. The inputs the fuzzer kept are replayed by its own entry point
// (form_file_fuzz_seeds), which reads each, writes it and reads it back.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "support/data.h"
#include "support/form_compare.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"
#include "support/refusal.h"
#include "util/read_file.h"

namespace sheenwork::runtime {
namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(SHEENWORK_TEST_DATA_DIR) / "formfile";

using testing::CompareForms;
using testing::ReadFile;

// The raster without text, pictures or huge bitmaps. What a form saves does not depend on
// how it looks, and glyphs of random fonts up to 2160 points, or the picture box a random
// PictureWidth of 1e30 asks for, would cost the round trips all their time and memory.
class WithoutText final : public testing::ForwardingGdi {
public:
    using ForwardingGdi::ForwardingGdi;
    Hgdiobj CreateSurfaceBitmap(int w, int h) override {
        return Huge(w, h) ? nullptr : g_.CreateSurfaceBitmap(w, h);
    }
    Hgdiobj CreateBitmap(int w, int h, unsigned planes, unsigned bpp, const void* bits) override {
        return Huge(w, h) ? nullptr : g_.CreateBitmap(w, h, planes, bpp, bits);
    }
    Hgdiobj CreateCompatibleBitmap(Hdc like, int w, int h) override {
        return Huge(w, h) ? nullptr : g_.CreateCompatibleBitmap(like, w, h);
    }
    bool GetTextExtentPoint32(Hdc, const char*, int, gdi::Size* s) override {
        *s = {0, 0};
        return true;
    }
    int DrawTextA(Hdc, const char*, int, gdi::Rect*, unsigned) override { return 0; }
    int StretchDIBits(Hdc, int, int, int, int, int, int, int, int, const void*,
                      const gdi::BitmapInfoHeader*, unsigned, std::uint32_t) override {
        return 1;
    }
    bool AlphaBlend(Hdc, int, int, int, int, Hdc, int, int, int, int, gdi::BlendFunction) override {
        return true;
    }

private:
    static bool Huge(int w, int h) { return std::int64_t{w} * h > (1 << 20); }
};

// A runtime of the linked controls on a virtual clock.
struct Host {
    explicit Host(ControlFactory factory = LinkedControls(), bool text = true)
        : runtime(clock, text ? *raster : static_cast<gdi::Gdi&>(without_text),
                  std::move(factory)) {}
    testing::RecordingServices services;
    VirtualClock clock;
    std::unique_ptr<gdi::Gdi> raster = gdi::MakeRasterGdi();
    WithoutText without_text{*raster};
    Runtime runtime;
};

// ---- Malformed files ----

// A case of tests/data/formfile/malformed.txt: the file's text and its problems.
std::pair<std::string, std::vector<std::string>> Malformed(const testing::Case& c) {
    std::string text;
    std::vector<std::string> problems;  // "line:column: message"
    for (auto [number, line] : c.lines) {
        if (!line.starts_with('>')) {
            problems.push_back(line);
            continue;
        }
        line.erase(0, std::min<std::size_t>(line.size(), 2));
        for (const auto& [token, byte] :
             {std::pair{"<TAB>", '\t'}, {"<NUL>", '\0'}, {"<ESC>", '\x1b'}})
            for (std::size_t at; (at = line.find(token)) != std::string::npos;)
                line.replace(at, 5, std::string(1, byte));
        std::size_t times = 1;  // "<x25>End": 25 lines of End
        if (line.starts_with("<x")) {
            const std::size_t end = line.find('>');
            times = std::stoul(line.substr(2, end - 2));
            line.erase(0, end + 1);
        }
        for (std::size_t i = 0; i < times; ++i) text += line + "\n";
    }
    return {text, problems};
}

std::vector<std::string> Problems(const FormFileError& e, const fs::path& file) {
    std::vector<std::string> out;
    for (const FormFileProblem& p : e.Problems()) {  // as a terminal shows them
        EXPECT_EQ(p.Text().substr(0, file.string().size() + 1), file.string() + ":");
        out.push_back(p.Text().substr(file.string().size() + 1));
    }
    if (e.More() > 0) out.push_back("… " + std::to_string(e.More()) + " more problems");
    return out;
}

class MalformedFormFile : public ::testing::TestWithParam<testing::Case> {};

TEST_P(MalformedFormFile, IsRefusedWithItsProblems) {
    const auto [text, problems] = Malformed(GetParam());
    ASSERT_FALSE(problems.empty());
    const fs::path file = kData / "form.sfm";
    // A reader stops at the first problem; a checker goes on to the last.
    for (const bool all : {false, true}) {
        ReadOptions options;
        options.all_problems = all;
        try {
            ParseFormFile(text, file, options);
            ADD_FAILURE() << "read without a problem";
        } catch (const FormFileError& e) {
            const std::vector<std::string> expected =
                all ? problems : std::vector<std::string>{problems[0]};
            EXPECT_EQ(Problems(e, file), expected) << (all ? "collected" : "first");
            EXPECT_EQ(std::string(e.what()).substr(0, file.string().size() + 1),
                      file.string() + ":");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MalformedFormFile,
                         ::testing::ValuesIn(testing::ReadCases("formfile/malformed.txt", "===")),
                         testing::CaseName);

// The reader takes regular files of at most 16 MiB: a folder, a pipe (no waiting for a
// writer) and an endless device are refused at once.
TEST(FormFile, OnlyRegularFilesOfBoundedSizeAreRead) {
    testing::TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto first_problem = [](const std::string& path) {
        return testing::Refusal<FormFileError>(
            [&] { ReadFormFile(path); }, [](const auto& e) { return e.Problems().at(0).Text(); });
    };
    // A file of exactly the limit is read (a comment: no form in it), one byte more is not.
    std::ofstream(dir / "big.sfm") << std::string(kMaxFormFileBytes, '#');
    EXPECT_EQ(first_problem(dir / "big.sfm"),
              dir / "big.sfm:2:1: expected Begin Form <name>: the file holds no form");
    std::ofstream(dir / "big.sfm", std::ios::app) << "#";
    const std::vector<std::pair<std::string, std::string>> files = {
        {dir.Path().string(), "it is a folder"},
        {dir / "pipe", "it is not a regular file (a pipe)"},
        {"/dev/zero", "it is not a regular file (a device)"},
        {dir / "big.sfm", "it is 16777217 bytes, more than the 16777216 that are read"},
        {dir / "none.sfm", "No such file or directory"},
    };
    for (const auto& [path, why] : files)
        EXPECT_EQ(first_problem(path), path + ": cannot read the file: " + why);
    // A program without standard input opens the file as descriptor 0 and reads it; an
    // EINTR left in errno by something before does not keep the reader waiting at the end.
    std::ofstream(dir / "small.sfm") << "# a comment\n";
    const int input = dup(0);
    close(0);
    errno = EINTR;
    const std::string small = first_problem(dir / "small.sfm");
    dup2(input, 0);
    close(input);
    EXPECT_EQ(small, dir / "small.sfm:2:1: expected Begin Form <name>: the file holds no form");
    // A file that says it is empty (as /proc's do) is held to the limit as it is read: the
    // program's name, 15 characters at most and a line break.
    const std::string comm = std::string(program_invocation_short_name).substr(0, 15) + "\n";
    EXPECT_EQ(util::ReadWholeFile("/proc/self/comm", std::ssize(comm)), comm);
    EXPECT_EQ(testing::Refusal<util::ReadFileError>(
                  [&] { util::ReadWholeFile("/proc/self/comm", std::ssize(comm) - 1); }),
              "it is " + std::to_string(comm.size()) + " bytes, more than the " +
                  std::to_string(comm.size() - 1) + " that are read");
}

// An enumerated key takes a member's name or a number, and is saved by its member's name
// where its value has one (tests/data/formfile/enumerations.txt).
TEST(FormFile, EnumeratedKeysTakeNamesAndAreSavedByName) {
    for (const testing::Row& row : testing::ReadTable("formfile/enumerations.txt")) {
        const std::string& line = row[0];
        SCOPED_TRACE(row.where);
        std::istringstream words(line);
        std::string key, given, written;
        long value = 0;
        words >> key >> given >> value >> written;
        const std::string text = "Begin Form frm\n    Begin Sheenwork.sheenButton cmd\n        " +
                                 key + " = " + given + "\n    End\nEnd\n";
        const FormFile file = ParseFormFile(text, kData / "form.sfm");
        ASSERT_EQ(file.controls.at(0).properties.size(), 1u);
        EXPECT_EQ(vb::CLng(file.controls[0].properties[0].value), value);
        const std::string saved = FormatFormFile(file, kData / "form.sfm");
        EXPECT_NE(saved.find("\n        " + key + " = " + written + "\n"), std::string::npos)
            << saved;
    }
}

// ---- A designer's workflow ----

TEST(FormFile, ADesignersFormSavedAndReopenedHoldsEveryProperty) {
    testing::TempDir dir;
    fs::create_directories(dir.Path() / "images");
    fs::copy_file(kData / "ok.png", dir.Path() / "images" / "ok.png");
    const fs::path path = dir.Path() / "order.sfm";

    Host designer;
    Form& form = designer.runtime.CreateForm("frmOrder", {100, 50}, {320, 200});
    form.Caption("Bestellung \"neu\"");
    form.BackColor(0x00C0FFEE);
    Window& ok = form.Add("Sheenwork.sheenButton", "cmdOK", {10, 160}, {90, 30});
    Window& cancel = form.Add("Sheenwork.sheenButton", "cmdCancel", {110, 160}, {90, 30});
    cancel.TabIndex(7);
    form.DefaultButton(&ok);
    form.CancelButton(&cancel);
    // Late-bound, as a property browser sets them...
    const auto let = [](Window& w, const char* name, vb::Variant v) {
        std::vector<vb::Variant> args{std::move(v)};
        EXPECT_EQ(w.Instance()->Invoke(name, vb::InvokeKind::PropertyLet, args).error, 0) << name;
    };
    // Well-formed UTF-8 of two, three and four bytes stays readable; a byte that starts
    // no well-formed sequence (an overlong F0 8F) is escaped like a control character.
    const std::string caption =
        "&OK\tZeile 2\n\"\xC3\x84\"\x01\xFF\\\xE2\x82\xACx\xEF\xBC\xA1\xF0\x90\x80\x80\xF0\x8F";
    let(ok, "Caption", caption);
    let(ok, "CaptionAlign", vb::Long{99});
    let(ok, "CaptionLeft", vb::Single{0.1f});
    let(ok, "ColorStyle", vb::Long{2});
    let(ok, "UrlParam", std::string("?q=1"));
    // ...and through the native instance, as a program does.
    const auto button = cancel.Native<sheenButton>();
    const auto picture = picture::LoadPicture((dir.Path() / "images" / "ok.png").string());
    button->Picture(picture);
    button->RealPicSize(vb::False);  // a size of its own is kept only without it
    button->PictureWidth(12.345f);
    auto font = std::make_shared<vb::StdFont>("Courier New", 11.5);
    font->Bold(vb::True);
    font->Italic(vb::True);
    font->Charset(2);
    button->FontDown(font);
    button->DropDownSize(-3);
    button->MaskColor(0x80000005);

    // The whole file as worked out from the values above: each key in the control's
    // order, a key only where its value is not a new button's (the fonts always), colours
    // in hex, the picture relative to the form, the caption's bytes escaped where they
    // are no well-formed UTF-8 or are control characters.
    SaveForm(form, path);
    const std::string text = ReadFile(path);
    EXPECT_EQ(text, ReadFile(kData / "designer.sfm"));

    // Read back, every value the controls save is the one set: the caption's bytes, the
    // picture by its file and pixels, the font with its character set, the tab order.
    Host user;
    EXPECT_EQ(CompareForms(form, LoadForm(user.runtime, ReadFormFile(path))), "");

    // A picture made in memory has no file to name: the save is refused and the form
    // on disk stays as it was.
    button->Picture(std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0}));
    EXPECT_EQ(
        testing::Refusal<FormFileError>([&] { SaveForm(form, path); },
                                        [](const auto& e) { return e.Problems().at(0).message; }),
        "cannot write the form: cmdCancel.Picture: the picture was not loaded from a "
        "file, so the form cannot refer to it; load it with LoadPicture from a file "
        "first");
    EXPECT_EQ(ReadFile(path), text);
}

TEST(FormFile, ALoadThatFailsPartWayLeavesTheRuntimeAsItWas) {
    int made = 0;
    Host host([&made, linked = LinkedControls()](const std::string& cls, host::ControlSite& site) {
        return ++made == 3 ? CreatedControl{} : linked(cls, site);
    });
    Form& first = host.runtime.CreateForm("frmFirst", {0, 0}, {50, 50});
    FormFile file;
    file.name = "frmSecond";
    file.size = {100, 100};
    for (const char* name : {"a", "b", "c"})
        file.controls.push_back({"Sheenwork.sheenButton", name, {0, 0}, {10, 10}, 0, {}});
    EXPECT_THROW(LoadForm(host.runtime, file), std::runtime_error);
    EXPECT_EQ(host.runtime.FindForm("frmSecond"), nullptr);
    EXPECT_EQ(host.runtime.ActiveForm(), &first);
    // A form of a name the runtime has is refused before anything is made.
    file.name = "frmFirst";
    EXPECT_THROW(LoadForm(host.runtime, file), std::invalid_argument);
    EXPECT_TRUE(first.Windows().empty());
}

// ---- Random property sets ----

struct Randomiser {
    std::mt19937 rng;
    std::vector<host::PictureRef> pictures;
    const std::vector<std::string> font_names = {"Tahoma", "Verdana", "Courier New", "DejaVu Sans",
                                                 "Sch\xC3\xB6n \"Font\""};

    long Between(long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(rng); }
    bool Coin() { return Between(0, 1) == 1; }
    std::string String() {
        std::string s;
        for (long n = Between(0, 12); n > 0; --n) {
            switch (Between(0, 4)) {
                case 0: s += static_cast<char>(Between(0, 255)); break;  // any byte
                case 1: s += "\xC3\xA4"; break;                          // well-formed UTF-8
                case 2: s += "\"\\#="[Between(0, 3)]; break;
                default: s += static_cast<char>(Between(0x20, 0x7E));
            }
        }
        return s;
    }
    vb::Single Single() {
        // Any finite bit pattern: denormals, -0 and the largest included.
        for (;;) {
            const auto bits = static_cast<std::uint32_t>(Between(0, 0xFFFFFFFF));
            float f;
            std::memcpy(&f, &bits, sizeof f);
            if (std::isfinite(f)) return f;
        }
    }
    host::FontRef Font() {
        auto f = std::make_shared<vb::StdFont>();
        f->Name(font_names[Between(0, font_names.size() - 1)]);
        f->Size(static_cast<double>(Between(1, 21600000)) / 10000.0);
        f->Weight(static_cast<std::int16_t>(Between(-32768, 32767)));
        f->Italic(Coin());
        f->Underline(Coin());
        f->Strikethrough(Coin());
        f->Charset(static_cast<std::int16_t>(Between(-32768, 32767)));
        return f;
    }
    vb::Variant Value(const PersistedProperty& key) {
        switch (key.type) {
            case PersistedType::String: return String();
            case PersistedType::Long:
                // The surface keeps a 16-bit pointer; a wider one is the control's error.
                if (std::string_view(key.key) == "MousePointer")
                    return vb::Long(Between(-32768, 32767));
                [[fallthrough]];
            case PersistedType::Color: return vb::Long(Between(INT32_MIN, INT32_MAX));
            case PersistedType::Integer: return vb::Integer(Between(-32768, 32767));
            case PersistedType::Single: return Single();
            case PersistedType::Boolean: return vb::Boolean(Coin());
            case PersistedType::Font: return vb::Object(Font());
            case PersistedType::Picture:
                return vb::Object(pictures[Between(0, pictures.size() - 1)]);
        }
        return {};
    }
    FormFile Form(int controls) {
        FormFile f;
        f.name = "frmRandom";
        f.caption = String();
        f.position = {static_cast<int>(Between(-32768, 32767)), static_cast<int>(Between(-9, 9))};
        f.size = {static_cast<int>(Between(0, 64)), static_cast<int>(Between(0, 64))};
        f.back_color = static_cast<std::uint32_t>(Between(0, 0xFFFFFFFF));
        f.font = Font();
        for (int i = 0; i < controls; ++i) {
            ControlDescription c{"Sheenwork.sheenButton", "c" + std::to_string(i), {}, {}, 0, {}};
            c.position = {static_cast<int>(Between(-40, 40)), static_cast<int>(Between(-40, 40))};
            c.size = {static_cast<int>(Between(0, 24)), static_cast<int>(Between(0, 24))};
            c.tab_index = static_cast<int>(Between(0, 32767));
            for (const PersistedProperty& key : sheenButtonPersisted())
                if (Coin()) c.properties.push_back({key.key, Value(key)});
            f.controls.push_back(std::move(c));
        }
        if (Coin()) f.default_button = "c" + std::to_string(Between(0, controls - 1));
        if (Coin()) f.cancel_button = "c" + std::to_string(Between(0, controls - 1));
        return f;
    }
};

// make test runs 100 000 sets; make roundtrip sets SHEENWORK_ROUNDTRIP_SETS for more.
TEST(FormFileRoundTrip, RandomPropertySetsSurviveSaveLoadSave) {
    const char* env = std::getenv("SHEENWORK_ROUNDTRIP_SETS");
    const long sets = env ? std::atol(env) : 100000;
    constexpr int kPerForm = 50;
    // Pictures beside the form and in a folder next to its own.
    testing::TempDir dir;
    fs::create_directories(dir.Path() / "pictures");
    fs::create_directories(dir.Path() / "forms");
    const fs::path pictures = fs::path(SHEENWORK_TEST_DATA_DIR) / "pictures";
    fs::copy_file(pictures / "quad.png", dir.Path() / "pictures" / "quad.png");
    fs::copy_file(pictures / "three-sizes.ico", dir.Path() / "pictures" / "three-sizes.ico");
    fs::copy_file(pictures / "quad-rle8.bmp", dir.Path() / "forms" / "near.bmp");
    const fs::path path = dir.Path() / "forms" / "random.sfm";
    Randomiser random{std::mt19937(20260515), {picture::LoadPicture("")}};
    for (const char* name : {"pictures/quad.png", "pictures/three-sizes.ico", "forms/near.bmp"})
        random.pictures.push_back(picture::LoadPicture((dir.Path() / name).string()));
    std::unique_ptr<Host> first, second;
    for (long done = 0, form = 0; done < sets; done += kPerForm, ++form) {
        // Values out of a property's own domain make the control report errors; fresh
        // runtimes now and then keep the boxes they record from piling up.
        if (form % 100 == 0) {
            second.reset();
            first.reset();
            first = std::make_unique<Host>(LinkedControls(), false);
            second = std::make_unique<Host>(LinkedControls(), false);
            for (Host* h : {first.get(), second.get()})
                h->runtime.OnMessageBox([](const MessageBoxRequest&) { return 1; });
        }
        Form& a = LoadForm(first->runtime, random.Form(kPerForm));
        const std::string saved = FormatFormFile(DescribeForm(a), path);
        Form& b = LoadForm(second->runtime, ParseFormFile(saved, path));
        ASSERT_EQ(FormatFormFile(DescribeForm(b), path), saved) << "form " << form;
        ASSERT_EQ(CompareForms(a, b), "") << "form " << form << ":\n" << saved;
        first->runtime.DestroyForm(a);
        second->runtime.DestroyForm(b);
    }
}

// ---- An interrupted save ----

// Fails the n-th system call of a save with "No space left on device"; writes at most
// 700 bytes a call, so that a form takes several.
struct FailingOps final : FileOps {
    int fail_at = 0, calls = 0, writes = 0, closes = 0;
    bool renamed = false;
    bool Fails() {
        if (++calls != fail_at) return false;
        errno = ENOSPC;
        return true;
    }
    int Create(const std::string& p, unsigned mode) override {
        return Fails() ? -1 : FileOps::Create(p, mode);
    }
    long Write(int fd, const void* data, std::size_t size) override {
        if (Fails()) return -1;
        ++writes;
        return FileOps::Write(fd, data, std::min<std::size_t>(size, 700));
    }
    int Chmod(int fd, unsigned mode) override { return Fails() ? -1 : FileOps::Chmod(fd, mode); }
    int Sync(int fd) override { return Fails() ? -1 : FileOps::Sync(fd); }
    int Close(int fd) override {
        ++closes;
        const int r = FileOps::Close(fd);  // the descriptor goes either way, as with close(2)
        return Fails() ? -1 : r;
    }
    int Rename(const std::string& from, const std::string& to) override {
        if (Fails()) return -1;
        renamed = FileOps::Rename(from, to) == 0;
        return renamed ? 0 : -1;
    }
    int SyncFolder(const std::string& folder) override {
        return Fails() ? -1 : FileOps::SyncFolder(folder);
    }
};

TEST(FormFileSave, InterruptedAtAnyCallLeavesTheOldFileWhole) {
    testing::TempDir dir;
    const fs::path path = dir.Path() / "form.sfm";
    Host host;
    Form& form = host.runtime.CreateForm("frmBig", {0, 0}, {300, 300});
    for (int i = 0; i < 12; ++i) {
        Window& w = form.Add("Sheenwork.sheenButton", "cmd" + std::to_string(i), {0, 0}, {20, 20});
        w.Native<sheenButton>()->VeloToolTip(std::string(300, static_cast<char>('a' + i)));
    }
    const std::string next = FormatFormFile(DescribeForm(form), path);
    const std::string old = "# the form as it was\n";
    const auto restore = [&] {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << old;
        fs::permissions(path, fs::perms(0640));
    };
    restore();
    const auto open_files = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto open_before = open_files();
    for (int n = 1;; ++n) {
        FailingOps ops;
        ops.fail_at = n;
        bool failed = false;
        try {
            SaveForm(form, path, ops);
        } catch (const FormFileError& e) {
            failed = true;
            const std::string message = e.Problems().at(0).message;
            EXPECT_EQ(message.rfind("cannot save the file: ", 0), 0u) << message;
            EXPECT_NE(message.find(": No space left on device"), std::string::npos) << message;
        }
        // Nothing but the form is left in the folder, and it is one of the two, whole.
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"form.sfm"}) << "call " << n;
        EXPECT_EQ(ReadFile(path), ops.renamed ? next : old) << "call " << n;
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640)) << "call " << n;
        // The new file's descriptor is closed once, whatever failed.
        EXPECT_EQ(open_files(), open_before) << "call " << n;
        EXPECT_LE(ops.closes, 1) << "call " << n;
        if (!failed) {
            EXPECT_GE(ops.writes, 5) << "a form of several writes";
            EXPECT_EQ(n, ops.calls + 1);
            break;
        }
        restore();
    }
}

// A save through a link replaces the file the link leads to and keeps the link; the new
// file has the old one's permissions whatever the umask; and the temporaries of saves whose
// process ended go with the next save, those of a live process stay.
TEST(FormFileSave, KeepsLinksAndPermissionsAndClearsWhatDeadSavesLeft) {
    testing::TempDir dir;
    fs::create_directory(dir.Path() / "real");
    const fs::path file = dir.Path() / "real" / "form.sfm", link = dir.Path() / "form.sfm";
    std::ofstream(file) << "old\n";
    fs::create_symlink("real/form.sfm", link);
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    const auto temporary = [&](pid_t pid) {
        return dir.Path() / "real" / (".form.sfm.tmp" + std::to_string(pid) + "-7");
    };
    std::ofstream(temporary(dead)) << "left by a save that was killed";
    std::ofstream(temporary(getppid())) << "a save going on";
    const mode_t umask_before = umask(022);
    for (const auto perms : {fs::perms(0666), fs::perms(0604), fs::perms(0640)}) {
        fs::permissions(file, perms);
        ReplaceFile(link, "new\n");
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(ReadFile(file), "new\n");
        EXPECT_EQ(fs::status(file).permissions(), perms);
    }
    umask(umask_before);
    EXPECT_EQ(SystemFileOps().SyncFolder((dir.Path() / "none").string()), -1);
    EXPECT_FALSE(fs::exists(temporary(dead)));
    EXPECT_TRUE(fs::exists(temporary(getppid())));
}

// ---- The documented example and loaded forms ----

// The example of docs/form-file.md is the example file.
TEST(FormFile, TheDocumentedExampleIsTheExampleFile) {
    EXPECT_NE(ReadFile(fs::path(SHEENWORK_SOURCE_DIR) / "docs" / "form-file.md")
                  .find(ReadFile(kData / "example.sfm")),
              std::string::npos);
}

// What `what` of tests/data/formfile/loads.txt reads on a loaded form, as text.
std::string Looked(Form& form, const std::string& what) {
    const auto dot = what.find('.'), second = what.find('.', dot + 1);
    const std::string owner = what.substr(0, dot),
                      property = what.substr(dot + 1, second - dot - 1);
    const auto rect = [](const gdi::Rect& r) {
        return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right) + " " + std::to_string(r.bottom);
    };
    const auto name = [](const Window* w) { return w ? w->Name() : std::string("(none)"); };
    if (owner == "form") {
        if (property == "Rect") return rect(form.ScreenRect());
        if (property == "Font") return form.Font()->Name();
        if (property == "DefaultButton") return name(form.DefaultButton());
        if (property == "CancelButton") return name(form.CancelButton());
        if (property == "BackColor") return std::to_string(form.BackColor());
        return form.Caption();
    }
    Window* w = form.Find(owner);
    if (!w) return "no control " + owner;
    if (property == "Rect") return rect(w->Rect());
    std::vector<vb::Variant> none;
    const vb::Variant v =
        Invoke(*w->Native<sheenButton>(), property, vb::InvokeKind::PropertyGet, none).value;
    if (!std::holds_alternative<vb::Object>(v)) return vb::CStr(v);
    const vb::Object object = vb::CObj(v);
    const std::string part = second == std::string::npos ? "" : what.substr(second + 1);
    if (const auto font = object.As<vb::StdFont>())
        return part == "Weight" ? std::to_string(font->Weight()) : vb::CStr(font->Underline());
    const auto picture = object.As<vb::StdPicture>();
    if (!picture) return "Nothing";
    return part.empty() ? std::to_string(reinterpret_cast<std::uintptr_t>(picture.get()))
                        : std::to_string(picture->PixelWidth());
}

class FormFileLoads : public ::testing::TestWithParam<testing::Row> {};

TEST_P(FormFileLoads, WhatItsLineSays) {
    const testing::Row& row = GetParam();
    Host host;
    Form& form = LoadForm(host.runtime, ReadFormFile(kData / row[0]));
    std::string got = Looked(form, row[1]), want = row[2];
    for (std::size_t at; (at = got.find('\n')) != std::string::npos;) got.replace(at, 1, "\\n");
    if (want.starts_with('=')) want = Looked(form, want.substr(1));
    char* end = nullptr;
    const float number = std::strtof(want.c_str(), &end);
    if (!want.empty() && *end == '\0' && got != want) {
        EXPECT_EQ(std::strtof(got.c_str(), nullptr), number) << got;
    } else {
        EXPECT_EQ(got, want);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FormFileLoads,
                         ::testing::ValuesIn(testing::ReadTable("formfile/loads.txt")),
                         testing::RowName);

}  // namespace
}  // namespace sheenwork::runtime
