// Form files: malformed files refused with their exact problems (the table in
// tests/data/formfile/malformed.txt), a designer's form saved and reopened through the
// library, random property sets saved, loaded and saved again, a save interrupted at
// every system call, and the inputs the fuzzer kept.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork::runtime {
namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(SHEENWORK_TEST_DATA_DIR) / "formfile";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

// Every value a control saves, defaults included, in the order written.
struct EveryValue final : host::PropertyBag {
    std::vector<std::pair<std::string, vb::Variant>> values;
    vb::Variant ReadProperty(const std::string&, const vb::Variant& d) override { return d; }
    void WriteProperty(const std::string& key, const vb::Variant& v, const vb::Variant&) override {
        values.emplace_back(key, v);
    }
};

PersistedType TypeOf(const std::string& key) {
    for (const PersistedProperty& p : sheenButtonPersisted())
        if (key == p.key) return p.type;
    ADD_FAILURE() << "no key " << key;
    return PersistedType::String;
}

// "" when equal as the key's type has it: fonts by their attributes, pictures by their
// file and pixels, numbers by value; else what differs.
std::string Differs(const std::string& key, const vb::Variant& a, const vb::Variant& b) {
    bool same = false;
    switch (TypeOf(key)) {
        case PersistedType::Font: {
            const auto x = vb::CObj(a).As<vb::StdFont>(), y = vb::CObj(b).As<vb::StdFont>();
            same = x && y && *x == *y;
            break;
        }
        case PersistedType::Picture: {
            const auto x = vb::CObj(a).As<vb::StdPicture>(), y = vb::CObj(b).As<vb::StdPicture>();
            same = (!x && !y) || (x && y && x->SourceFile() == y->SourceFile() &&
                                  x->Pixels() == y->Pixels() && x->Type() == y->Type());
            break;
        }
        case PersistedType::String: same = vb::CStr(a) == vb::CStr(b); break;
        default: same = vb::CDbl(a) == vb::CDbl(b);
    }
    if (same) return "";
    const auto text = [](const vb::Variant& v) {
        return std::holds_alternative<vb::Object>(v) ? std::string("<object>") : vb::CStr(v);
    };
    return key + ": " + text(a) + " against " + text(b);
}

// "" when both forms hold the same controls with the same properties.
std::string CompareForms(Form& a, Form& b) {
    if (a.Name() != b.Name() || a.Caption() != b.Caption() || a.BackColor() != b.BackColor() ||
        !(*a.Font() == *b.Font()) || a.ScreenRect() != b.ScreenRect())
        return "the forms differ";
    const auto name = [](const Window* w) { return w ? w->Name() : std::string(); };
    if (name(a.DefaultButton()) != name(b.DefaultButton()) ||
        name(a.CancelButton()) != name(b.CancelButton()))
        return "the default or cancel buttons differ";
    const auto wa = a.Windows(), wb = b.Windows();
    if (wa.size() != wb.size()) return "the forms hold different numbers of controls";
    for (std::size_t i = 0; i < wa.size(); ++i) {
        if (wa[i]->Name() != wb[i]->Name() || wa[i]->Rect() != wb[i]->Rect() ||
            wa[i]->TabIndex() != wb[i]->TabIndex())
            return wa[i]->Name() + ": placed differently";
        EveryValue x, y;
        wa[i]->Control()->WriteProperties(x);
        wb[i]->Control()->WriteProperties(y);
        if (x.values.size() != y.values.size()) return wa[i]->Name() + ": other keys";
        for (std::size_t k = 0; k < x.values.size(); ++k) {
            if (x.values[k].first != y.values[k].first) return wa[i]->Name() + ": other keys";
            const std::string d =
                Differs(x.values[k].first, x.values[k].second, y.values[k].second);
            if (!d.empty()) return wa[i]->Name() + "." + d;
        }
    }
    return "";
}

// ---- Malformed files ----

struct Malformed {
    std::string name, text;
    std::vector<std::string> problems;  // "line:column: message"
};
void PrintTo(const Malformed& m, std::ostream* os) { *os << m.name; }

std::vector<Malformed> MalformedCases() {
    std::vector<Malformed> out;
    std::ifstream in(kData / "malformed.txt");
    bool in_text = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("=== ", 0) == 0) {
            out.push_back({line.substr(4), "", {}});
            in_text = true;
        } else if (out.empty()) {
            continue;  // the opening comment
        } else if (line == "---") {
            in_text = false;
        } else if (in_text) {
            for (std::size_t at; (at = line.find("<TAB>")) != std::string::npos;)
                line.replace(at, 5, "\t");
            out.back().text += line + "\n";
        } else {
            out.back().problems.push_back(line);
        }
    }
    return out;
}

std::vector<std::string> Problems(const FormFileError& e, const fs::path& file) {
    std::vector<std::string> out;
    for (const FormFileProblem& p : e.Problems()) {
        EXPECT_EQ(p.file, file.string());
        out.push_back(std::to_string(p.line) + ":" + std::to_string(p.column) + ": " + p.message);
    }
    return out;
}

class MalformedFormFile : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedFormFile, IsRefusedWithItsProblems) {
    const Malformed& m = GetParam();
    ASSERT_FALSE(m.problems.empty());
    const fs::path file = kData / "form.sfm";
    // A reader stops at the first problem; a checker goes on to the last.
    for (const bool all : {false, true}) {
        ReadOptions options;
        options.all_problems = all;
        try {
            ParseFormFile(m.text, file, options);
            ADD_FAILURE() << "read without a problem";
        } catch (const FormFileError& e) {
            const std::vector<std::string> expected =
                all ? m.problems : std::vector<std::string>{m.problems[0]};
            EXPECT_EQ(Problems(e, file), expected) << (all ? "collected" : "first");
            EXPECT_EQ(std::string(e.what()).substr(0, file.string().size() + 1),
                      file.string() + ":");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, MalformedFormFile, ::testing::ValuesIn(MalformedCases()),
                         [](const auto& info) {
                             std::string name;
                             for (char c : info.param.name)
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(FormFile, ATableOfAtLeastTwentyFiveMalformedFiles) { EXPECT_GE(MalformedCases().size(), 25u); }

// An enumerated key takes a member's name or a number, and is saved by its member's name
// where its value has one (tests/data/formfile/enumerations.txt).
TEST(FormFile, EnumeratedKeysTakeNamesAndAreSavedByName) {
    std::ifstream in(kData / "enumerations.txt");
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(line);
        ++cases;
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
    EXPECT_EQ(cases, 15);
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

    SaveForm(form, path);
    const std::string text = ReadText(path);
    for (const char* line : {
             "    DefaultButton = \"cmdOK\"\n",
             "        Caption = \"&OK\\tZeile "
             "2\\n\\\"\xC3\x84\\\"\\x01\\xFF\\\\\xE2\x82\xACx\xEF\xBC\xA1"
             "\xF0\x90\x80\x80\\xF0\\x8F\"\n",
             "    BackColor = &H00C0FFEE&\n",
             "        CaptionLeft = 0.1\n",
             "        URLParam = \"?q=1\"\n",
             "        Picture = \"images/ok.png\"\n",
             "        PictureWidth = 12.345\n",
             "        MaskColor = &H80000005&\n",
             "        Begin Font FontDown\n            Name = \"Courier New\"\n"
             "            Size = 11.5\n            Weight = 700\n            Italic = True\n",
         })
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // Values a new button has are left out.
    EXPECT_EQ(text.find("BackColorDis"), std::string::npos);

    Host user;
    Form& again = LoadForm(user.runtime, ReadFormFile(path));
    EXPECT_EQ(CompareForms(form, again), "");
    const auto loaded = again.Find("cmdOK")->Native<sheenButton>();
    EXPECT_EQ(loaded->Caption(), caption);
    EXPECT_EQ(loaded->CaptionLeft(), 0.1f);
    EXPECT_EQ(again.Find("cmdCancel")->TabIndex(), 7);
    const auto loaded_picture = again.Find("cmdCancel")->Native<sheenButton>()->Picture();
    ASSERT_NE(loaded_picture, nullptr);
    EXPECT_EQ(fs::path(loaded_picture->SourceFile()), dir.Path() / "images" / "ok.png");
    EXPECT_EQ(again.Find("cmdCancel")->Native<sheenButton>()->FontDown()->Charset(), 2);

    // A picture made in memory has no file to name: the save is refused and the form
    // on disk stays as it was.
    button->Picture(std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0}));
    try {
        SaveForm(form, path);
        ADD_FAILURE() << "saved";
    } catch (const FormFileError& e) {
        EXPECT_EQ(e.Problems().at(0).message,
                  "cannot write the form: cmdCancel.Picture: the picture was not loaded from a "
                  "file, so the form cannot refer to it; load it with LoadPicture from a file "
                  "first");
    }
    EXPECT_EQ(ReadText(path), text);
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
        EXPECT_EQ(ReadText(path), ops.renamed ? next : old) << "call " << n;
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

// ---- What the fuzzer kept, and the documented example ----

// Every file here either reads back to the same text after a write, or is refused.
TEST(FormFile, TheFuzzersFindingsAreReadOrRefusedWithoutHarm) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(kData / "corpus")) {
        ++files;
        const std::string text = ReadText(entry.path());
        ReadOptions options;
        options.all_problems = true;
        try {
            const std::string once =
                FormatFormFile(ParseFormFile(text, entry.path(), options), entry.path());
            EXPECT_EQ(FormatFormFile(ParseFormFile(once, entry.path()), entry.path()), once)
                << entry.path();
        } catch (const FormFileError&) {
        }
    }
    EXPECT_GT(files, 0);
}

// The example of docs/form-file.md is the example file, and it loads as it says.
TEST(FormFile, TheDocumentedExampleLoadsAsItReads) {
    const std::string text = ReadText(kData / "example.sfm");
    EXPECT_NE(ReadText(fs::path(SHEENWORK_SOURCE_DIR) / "docs" / "form-file.md").find(text),
              std::string::npos);
    Host host;
    Form& form = LoadForm(host.runtime, ReadFormFile(kData / "example.sfm"));
    EXPECT_EQ(form.Caption(), "Bestellung");
    EXPECT_EQ(form.ScreenRect(), (gdi::Rect{200, 120, 520, 280}));
    EXPECT_EQ(form.Font()->Name(), "Tahoma");
    ASSERT_NE(form.DefaultButton(), nullptr);
    EXPECT_EQ(form.DefaultButton()->Name(), "cmdOK");
    EXPECT_EQ(form.CancelButton()->Name(), "cmdCancel");
    const auto ok = form.Find("cmdOK")->Native<sheenButton>();
    EXPECT_EQ(form.Find("cmdOK")->Rect(), (gdi::Rect{120, 120, 210, 148}));
    EXPECT_EQ(ok->Caption(), "&OK");
    EXPECT_EQ(ok->ColorStyle(), 2);
    EXPECT_EQ(ok->PictureWidth(), 16.0f);
    EXPECT_EQ(ok->VeloToolTip(), "Saves the order\nand closes the dialog");
    ASSERT_NE(ok->Picture(), nullptr);
    EXPECT_EQ(ok->Picture()->PixelWidth(), 4);
    const auto cancel = form.Find("cmdCancel")->Native<sheenButton>();
    EXPECT_EQ(cancel->FontOnMouseOver()->Weight(), 700);
    EXPECT_EQ(cancel->FontOnMouseOver()->Underline(), vb::True);
    EXPECT_EQ(cancel->ForeColorOver(), 0x000000C0u);
    EXPECT_EQ(cancel->CaptionLeft(), 1.5e-07f);
}

}  // namespace
}  // namespace sheenwork::runtime

namespace sheenwork::runtime {
namespace {

// Names are matched without regard to case, as the form's own lookups match them.
TEST(FormFile, TheDefaultAndCancelButtonsAreNamedInAnyCase) {
    const std::string text =
        "Begin Form frm\n    Width = 100\n    Height = 40\n    DefaultButton = \"CMDOK\"\n"
        "    CancelButton = \"cmdcancel\"\n"
        "    Begin Sheenwork.sheenButton cmdOK\n        Width = 40\n        Height = 20\n"
        "    End\n"
        "    Begin Sheenwork.sheenButton cmdCancel\n        Left = 50\n        Width = 40\n"
        "        Height = 20\n    End\nEnd\n";
    Host host;
    Form& form = LoadForm(host.runtime, ParseFormFile(text, "case.sfm"));
    ASSERT_NE(form.DefaultButton(), nullptr);
    EXPECT_EQ(form.DefaultButton()->Name(), "cmdOK");
    ASSERT_NE(form.CancelButton(), nullptr);
    EXPECT_EQ(form.CancelButton()->Name(), "cmdCancel");
}

// A picture file named by several controls is read once, and they share the picture.
TEST(FormFile, ControlsNamingOnePictureFileShareIt) {
    const std::string text =
        "Begin Form frm\n    Width = 100\n    Height = 40\n"
        "    Begin Sheenwork.sheenButton a\n        Width = 40\n        Height = 20\n"
        "        Picture = \"ok.png\"\n    End\n"
        "    Begin Sheenwork.sheenButton b\n        Left = 50\n        Width = 40\n"
        "        Height = 20\n        Picture = \"ok.png\"\n    End\nEnd\n";
    Host host;
    Form& form = LoadForm(host.runtime, ParseFormFile(text, kData / "shared.sfm"));
    const auto a = form.Find("a")->Native<sheenButton>(), b = form.Find("b")->Native<sheenButton>();
    ASSERT_NE(a->Picture(), nullptr);
    EXPECT_EQ(a->Picture(), b->Picture());
}

// A colour is written in hex (&H...&) as a designer saves it, or as a decimal number.
TEST(FormFile, AColourMayBeADecimalNumber) {
    const std::string text =
        "Begin Form frm\n    Width = 100\n    Height = 40\n    BackColor = 16711680\n"
        "    Begin Sheenwork.sheenButton cmd\n        Width = 40\n        Height = 20\n"
        "        ForeColor = 255\n        BackColor = &H0000FF00&\n    End\nEnd\n";
    Host host;
    Form& form = LoadForm(host.runtime, ParseFormFile(text, "colours.sfm"));
    EXPECT_EQ(form.BackColor(), 16711680u);
    const auto button = form.Find("cmd")->Native<sheenButton>();
    EXPECT_EQ(button->ForeColor(), 255u);
    EXPECT_EQ(button->BackColor(), 0x0000FF00u);
}

}  // namespace
}  // namespace sheenwork::runtime
