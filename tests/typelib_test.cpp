// The type library table and late-bound calls through it.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "support/button_fixture.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::ButtonFixture;
using vb::InvokeKind;
using Args = std::vector<vb::Variant>;

// The interface as written down by hand in tests/data/typelib.txt, rendered from the
// class table and the type library in the same line format.
std::string Params(std::span<const ParamInfo> params) {
    std::string out;
    for (const auto& p : params) {
        if (!out.empty()) out += ", ";
        if (p.optional) out += "Optional ";
        out += std::string(p.by_ref ? "ByRef " : "ByVal ") + p.name + " As " + p.type;
        if (p.optional) out += std::string(" = \"") + p.default_value + "\"";
    }
    return out;
}

std::string Flags(std::uint32_t flags) {
    std::string out;
    for (const auto& [bit, name] : {std::pair{runtime::TYPEFLAG_FAPPOBJECT, "FAPPOBJECT"},
                                    {runtime::TYPEFLAG_FCANCREATE, "FCANCREATE"},
                                    {runtime::TYPEFLAG_FPREDECLID, "FPREDECLID"},
                                    {runtime::TYPEFLAG_FCONTROL, "FCONTROL"}}) {
        if (flags & bit) out += (out.empty() ? "" : " ") + std::string(name);
        flags &= ~bit;
    }
    return flags ? out + " ?" : out;
}

std::string Line(std::initializer_list<std::string> fields) {
    std::string line;
    for (const auto& f : fields) line += (line.empty() ? "" : " | ") + f;
    return line.substr(0, line.find_last_not_of(' ') + 1);
}

std::vector<std::string> Rendered() {
    const auto& library = SheenworkLibrary();
    const char* access[] = {"Get", "Get/Let", "Get/Set", "method"};
    std::vector<std::string> lines{
        "library " + Line({library.name, library.Version(), library.libid.ToString()})};
    for (const auto& c : library.classes) {
        char status[16];
        std::snprintf(status, sizeof status, "0x%X", c.misc_status);
        const auto itf = [](const runtime::InterfaceDescription& i) {
            return *i.name ? std::string(i.name) + " " + i.iid.ToString() : std::string();
        };
        lines.push_back(
            "class " +
            Line({c.name, c.kind == runtime::ClassKind::Control ? "control" : "global",
                  Flags(c.type_flags), status, std::to_string(c.toolbox_bitmap), c.clsid.ToString(),
                  itf(c.default_interface), itf(c.event_interface)}));
        for (const auto& m : c.members)
            lines.push_back("member " + Line({m.name, m.type, access[int(m.access)],
                                              std::to_string(m.dispid), m.help, Params(m.params)}));
        for (const auto& e : c.events)
            lines.push_back("event " +
                            Line({std::to_string(e.dispid), e.name, Params(e.params), e.help}));
    }
    for (const auto& e : library.enumerations) {
        lines.push_back(std::string("enum ") + e.name);
        for (const auto& v : e.members)
            lines.push_back("value " + Line({v.name, std::to_string(v.value), v.help}));
    }
    return lines;
}

TEST(TypeLibrary, IsThePublishedInterfaceInEveryDetail) {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/typelib.txt");
    ASSERT_TRUE(in) << "tests/data/typelib.txt";
    std::vector<std::pair<int, std::string>> expected;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        line = line.substr(0, line.find_last_not_of(' ') + 1);
        if (!line.empty() && line[0] != '#') expected.emplace_back(number, line);
    }
    const auto actual = Rendered();
    for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const std::string want = i < expected.size() ? expected[i].second : "(nothing)";
        const std::string got = i < actual.size() ? actual[i] : "(nothing)";
        ASSERT_EQ(got, want) << "typelib.txt line "
                             << (i < expected.size() ? expected[i].first : number + 1);
    }
    // Late binding finds the About box by its standard identifier.
    EXPECT_EQ(FindMember(DISPID_ABOUTBOX), FindMember("About"));
}

class LateBound : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
    ButtonFixture f;
};

TEST_F(LateBound, NamesFindMembersWithoutRegardToCase) {
    Args args{vb::Variant(vb::Long{0x00FF8000})};
    EXPECT_EQ(Invoke(f.button, "backCOLOR", InvokeKind::PropertyLet, args).error, 0);
    EXPECT_EQ(f.button.BackColor(), 0x00FF8000u);
    Args none;
    const auto got = Invoke(f.button, "BackColor", InvokeKind::PropertyGet, none);
    EXPECT_EQ(std::get<vb::Long>(got.value), 0x00FF8000);
    // System colours travel as negative Longs.
    f.button.ForeColorDis(0x80000011);
    EXPECT_EQ(
        std::get<vb::Long>(Invoke(f.button, "ForeColorDis", InvokeKind::PropertyGet, none).value),
        static_cast<vb::Long>(0x80000011));
    // Strings convert as the host converts them.
    Args text{vb::Variant(std::string("99"))};
    EXPECT_EQ(Invoke(f.button, "CaptionAlign", InvokeKind::PropertyLet, text).error, 0);
    EXPECT_EQ(f.button.CaptionAlign(), 99);
}

TEST_F(LateBound, AboutBoxDispatchIdOpensTheAboutWindow) {
    Args none;
    EXPECT_EQ(Invoke(f.button, DISPID_ABOUTBOX, InvokeKind::Method, none).error, 0);
    EXPECT_EQ(f.site.log.entries, std::vector<std::string>{"ShowAbout 2.8.0"});
}

TEST_F(LateBound, WrongCallsComeBackAsTheCallersErrors) {
    Args none, one{vb::Variant(vb::Long{1})}, word{vb::Variant(std::string("blue"))};
    EXPECT_EQ(Invoke(f.button, "Colour", InvokeKind::PropertyGet, none).error, 438);
    EXPECT_EQ(Invoke(f.button, 12345, InvokeKind::PropertyGet, none).error, 438);
    EXPECT_EQ(Invoke(f.button, "hwnd", InvokeKind::PropertyLet, one).error, 450);
    EXPECT_EQ(Invoke(f.button, "About", InvokeKind::Method, one).error, 450);
    const auto mismatch = Invoke(f.button, "ColorStyle", InvokeKind::PropertyLet, word);
    EXPECT_EQ(mismatch.error, 13);
    EXPECT_EQ(mismatch.description, "Type mismatch");
    Args huge{vb::Variant(vb::Double{1e6})};
    EXPECT_EQ(Invoke(f.button, "DropDownSize", InvokeKind::PropertyLet, huge).error, 6);
    EXPECT_EQ(Invoke(f.button, "Picture", InvokeKind::PropertyLet, one).error, 13);
    EXPECT_EQ(Invoke(f.button, "BackColor", InvokeKind::PropertySet, one).error, 450);
    EXPECT_TRUE(f.site.log.entries.empty());
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(LateBound, FontsAreCopiedAndANonFontFailsInsideTheProperty) {
    auto font = std::make_shared<vb::StdFont>("Verdana", 9.75);
    Args arg{vb::Variant(vb::Object(font))};
    EXPECT_EQ(Invoke(f.button, "Font", InvokeKind::PropertySet, arg).error, 0);
    const auto stored = f.button.Font();
    ASSERT_TRUE(stored);
    EXPECT_NE(stored, font);
    EXPECT_EQ(*stored, *font);
    font->Bold(vb::True);  // the caller's object no longer reaches the control
    EXPECT_EQ(f.button.Font()->Bold(), vb::False);
    stored->Italic(vb::True);  // the object read back is the control's own
    EXPECT_EQ(f.button.Font()->Italic(), vb::True);
    EXPECT_EQ(f.site.log.Only({"Surface.Font"}), std::vector<std::string>{"Surface.Font set"});

    f.site.log.Clear();
    Args picture{vb::Variant(
        vb::Object(std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0})))};
    EXPECT_EQ(Invoke(f.button, "FontDown", InvokeKind::PropertySet, picture).error, 0);
    EXPECT_EQ(f.button.FontDown(), nullptr);
    EXPECT_TRUE(f.site.log.entries.empty());  // nothing stored, painted or notified
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("Error no.: 13"), std::string::npos);
    EXPECT_NE(services.boxes[0].text.find("0/FontDown"), std::string::npos);
}

TEST_F(LateBound, EveryMemberCanBeReadAndWrittenWhateverTheSiteFails) {
    const std::vector<std::string> operations = {"PropertyChanged",
                                                 "Surface",
                                                 "Surface.hWnd",
                                                 "Surface.Enabled",
                                                 "Surface.Font",
                                                 "Surface.MouseIcon",
                                                 "Surface.MousePointer",
                                                 "Surface.RightToLeft?",
                                                 "Surface.RightToLeft",
                                                 "Surface.OLEDropMode",
                                                 "Surface.AccessKeys",
                                                 "Image1",
                                                 "Image1.Picture",
                                                 "Image1.Width",
                                                 "Image1.Height",
                                                 "Image1.Stretch",
                                                 "Parent",
                                                 "ShowAbout"};
    for (const bool silent : {false, true}) {
        for (const auto& op : operations) {
            ButtonFixture g;
            g.site.FailOn(op);
            SetSilentError(vb::Boolean(silent));
            for (const auto& m : sheenButtonMembers()) {
                Args none;
                if (m.access == Access::Method) {
                    EXPECT_EQ(Invoke(g.button, m.name, InvokeKind::Method, none).error, 0);
                    continue;
                }
                auto value = Invoke(g.button, m.name, InvokeKind::PropertyGet, none);
                EXPECT_EQ(value.error, 0) << m.name;
                if (m.access == Access::Get) continue;
                Args back{value.value};
                const auto kind = std::holds_alternative<vb::Object>(value.value)
                                      ? InvokeKind::PropertySet
                                      : InvokeKind::PropertyLet;
                EXPECT_EQ(Invoke(g.button, m.name, kind, back).error, 0) << m.name << " " << op;
            }
            g.button.Redraw(0);
            g.button.UserControl_Click();
            SetSilentError(vb::False);
        }
    }
    EXPECT_FALSE(services.boxes.empty());
}

// A list control as late binding sees one: only what ListSave asks of it.
class List final : public vb::Dispatch {
public:
    std::vector<std::string> items{"a", "b"};
    vb::Variant Invoke(const std::string& name, InvokeKind, Args& args) override {
        if (name == "ListCount") return vb::Variant(static_cast<vb::Integer>(items.size()));
        return vb::Variant(items.at(static_cast<std::size_t>(vb::CInt(args.at(0)))));
    }
};

TEST_F(LateBound, SpEvTakesArgumentsInOrderAndOptionalOnesMayBeLeftOut) {
    const std::string file = services.config / "list.txt";
    const vb::Variant list{vb::Object(std::make_shared<List>())};
    Args plain{list, vb::Variant(file)}, none;
    EXPECT_EQ(Invoke(SpEvObject(), "ListSave", InvokeKind::Method, plain).error, 0);
    EXPECT_EQ(plain.size(), 2u);  // the defaults are not handed back
    Args read{vb::Variant(file)};
    EXPECT_EQ(
        std::get<std::string>(Invoke(SpEvObject(), "TextRead", InvokeKind::Method, read).value),
        "a\r\nb\r\n");
    Args bracketed{list, vb::Variant(file), vb::Variant(std::string("[")),
                   vb::Variant(std::string("]"))};
    EXPECT_EQ(Invoke(SpEvObject(), 4, InvokeKind::Method, bracketed).error, 0);
    EXPECT_EQ(std::get<std::string>(Invoke(SpEvObject(), 1, InvokeKind::Method, read).value),
              "[a]\r\n[b]\r\n");
    EXPECT_EQ(
        std::get<vb::Boolean>(Invoke(SpEvObject(), "FileExists", InvokeKind::Method, read).value),
        vb::True);
    EXPECT_EQ(
        std::get<vb::Long>(Invoke(SpEvObject(), "ActiveXPTheme", InvokeKind::Method, none).value),
        styleBlue);

    Args too_few{list}, too_many{list, vb::Variant(file), list, list, list};
    EXPECT_EQ(Invoke(SpEvObject(), "ListSave", InvokeKind::Method, too_few).error, 450);
    EXPECT_EQ(Invoke(SpEvObject(), "ListSave", InvokeKind::Method, too_many).error, 450);
    EXPECT_EQ(Invoke(SpEvObject(), "TextRead", InvokeKind::Method, none).error, 450);
    EXPECT_EQ(Invoke(SpEvObject(), "Wave", InvokeKind::Method, none).error, 438);
}

TEST_F(LateBound, ErrorsSilentErrorIsTheOneProcessWideSwitch) {
    Error second;
    Args on{vb::Variant(vb::True)}, none;
    EXPECT_EQ(Invoke(second, "silentError", InvokeKind::PropertyLet, on).error, 0);
    EXPECT_EQ(SilentError(), vb::True);
    EXPECT_EQ(std::get<vb::Boolean>(Invoke(ErrorObject(), 1, InvokeKind::PropertyGet, none).value),
              vb::True);
    EXPECT_EQ(Invoke(second, "SilentError", InvokeKind::PropertySet, on).error, 450);
    SetSilentError(vb::False);
}

}  // namespace
}  // namespace sheenwork
