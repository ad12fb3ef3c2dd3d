// The type library table and late-bound calls through it.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/library.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "support/button_fixture.h"
#include "support/data.h"
#include "support/recording_services.h"
#include "support/story_play.h"
#include "windows/expected_lines.h"
#include "windows/typelib_format.h"

namespace sheenwork {
namespace {

using testing::ButtonFixture;
using vb::InvokeKind;
using Args = std::vector<vb::Variant>;

// The interface as written down by hand in tests/data/typelib.txt, rendered from the
// class table and the type library in the same line format.
std::string Params(std::span<const ParamInfo> params) {
    std::vector<std::string> out;
    for (const auto& p : params)
        out.push_back(testing::Parameter(
            p.optional, p.by_ref, p.name, p.type,
            p.optional ? std::optional<std::string>(p.default_value) : std::nullopt));
    return testing::Joined(out, ", ");
}

std::string Line(const std::vector<std::string>& fields) { return testing::Joined(fields); }

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
                  testing::TypeFlags(c.type_flags), status, std::to_string(c.toolbox_bitmap),
                  c.clsid.ToString(), itf(c.default_interface), itf(c.event_interface)}));
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
    testing::ExpectLines(Rendered(), testing::ExpectedLines("typelib.txt"));
    // Late binding finds the About box by its standard identifier.
    EXPECT_EQ(FindMember(DISPID_ABOUTBOX), FindMember("About"));
}

class LateBound : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
    ButtonFixture f;
};

// docs/properties.md: a row for every property of the type library (methods aside), with
// its type, and a default that a new instance on a form reads as, written as the form
// file writes values (a default in words, "the ...", or "none" is the placement's own).
TEST(TypeLibrary, ThePropertyTableOfTheDocsHasEveryPropertyWithItsTypeAndDefault) {
    std::map<std::string, std::pair<std::string, std::string>> rows;  // name -> type, default
    for (const testing::Row& row : testing::ReadTable("../../docs/properties.md")) {
        if (row.size() < 2 || !row[1].starts_with('`')) continue;
        ASSERT_GE(row.size(), 4u) << row.where;
        rows[row[1].substr(1, row[1].size() - 2)] = {row[2], row[3]};
    }
    testing::Linked linked;
    runtime::Form& form = linked.rt.CreateForm("Form1", {0, 0}, {200, 100});
    const auto object = form.Add("Sheenwork.sheenButton", "cmd", {10, 10}, {90, 26}).Instance();
    std::size_t properties = 0;
    for (const MemberInfo& m : sheenButtonMembers()) {
        if (m.access == Access::Method) continue;
        ++properties;
        SCOPED_TRACE(m.name);
        const auto row = rows.find(m.name);
        ASSERT_NE(row, rows.end()) << "missing from docs/properties.md";
        EXPECT_EQ(row->second.first, m.type);
        const std::string& written = row->second.second;
        if (written.rfind("the ", 0) == 0 || written == "none") continue;
        Args none;
        const vb::Variant v = object->Invoke(m.name, InvokeKind::PropertyGet, none).value;
        std::string value = vb::CStr(v);
        const std::string type = m.type;
        for (const EnumInfo& e : Enumerations())
            for (const EnumMember& member : e.members)
                if (type == e.name && member.value == vb::CLng(v)) value = member.name;
        if (type == "OLE_COLOR") {
            char hex[16];
            std::snprintf(hex, sizeof hex, "&H%08lX&",
                          static_cast<unsigned long>(vb::CLng(v)) & 0xFFFFFFFFul);
            value = hex;
        }
        if (type == "Boolean") value = vb::CBool(v) ? "True" : "False";
        if (type == "String") value = "\"" + value + "\"";
        EXPECT_EQ(written, "`" + value + "`");
    }
    EXPECT_EQ(rows.size(), properties);
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
    const host::FontRef font_down = f.button.FontDown();
    Args picture{vb::Variant(
        vb::Object(std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0})))};
    EXPECT_EQ(Invoke(f.button, "FontDown", InvokeKind::PropertySet, picture).error, 0);
    EXPECT_EQ(f.button.FontDown(), font_down);
    EXPECT_TRUE(f.site.log.entries.empty());  // nothing stored, painted or notified
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("Error no.: 13"), std::string::npos);
    EXPECT_NE(services.boxes[0].text.find("0/FontDown"), std::string::npos);
}

// Every member read, assigned and called late-bound, on a site that works and with each
// operation of tests/data/site_failures.txt failing in turn, reported or silent: no error
// reaches the caller, and on the working site every property reads back what was assigned
// to a fresh button (a row that reaches another accessor, or none, shows here).
TEST_F(LateBound, EveryMemberWorksAndReadsBackWhateverTheSiteFails) {
    const auto font = std::make_shared<vb::StdFont>("Tahoma", 12);
    const vb::Object picture(std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0}));
    std::vector<std::pair<std::string, bool>> sites{{"", false}};  // the failing operation, silent
    for (const testing::Row& failure : testing::ReadTable("site_failures.txt"))
        for (const bool silent : {false, true}) sites.emplace_back(failure[0], silent);
    for (const auto& [op, silent] : sites) {
        SetSilentError(vb::Boolean(silent));
        std::unique_ptr<ButtonFixture> g;
        for (const auto& m : sheenButtonMembers()) {
            SCOPED_TRACE(std::string(m.name) + " with " + op + " failing");
            // A fresh button for each member on the working site, one for all on a failing
            // one. The manual positions and sizes are taken only while the alignment and
            // the picture size say so.
            if (!g || op.empty()) {
                g = std::make_unique<ButtonFixture>();
                g->site.FailOn(op);
                g->rec().CaptionAlign = g->rec().PictureAlign = cBenutzerdefiniert;
                g->rec().RealPicSize = vb::False;
            }
            const std::string type = m.type;
            Args none, arg{vb::Variant(vb::Long{5})};  // numbers, colours and enumerations
            if (m.access == Access::Method) {
                EXPECT_EQ(Invoke(g->button, m.name, InvokeKind::Method, none).error, 0);
                continue;
            }
            const auto before = Invoke(g->button, m.name, InvokeKind::PropertyGet, none);
            EXPECT_EQ(before.error, 0);
            if (m.access == Access::Get) continue;
            if (type == "Boolean") arg = {vb::Variant(!vb::CBool(before.value))};
            if (type == "String") arg = {vb::Variant(std::string("x"))};
            if (type == "StdFont") arg = {vb::Variant(vb::Object(font))};
            if (type == "StdPicture") arg = {vb::Variant(picture)};
            if (type == "SpEv") arg = {vb::Variant(vb::Object(std::make_shared<SpEv>()))};
            const bool object = std::holds_alternative<vb::Object>(arg[0]);
            ASSERT_EQ(Invoke(g->button, m.name,
                             object ? InvokeKind::PropertySet : InvokeKind::PropertyLet, arg)
                          .error,
                      0);
            if (!op.empty()) continue;
            const auto after = Invoke(g->button, m.name, InvokeKind::PropertyGet, none).value;
            if (type == "StdFont")
                EXPECT_EQ(*vb::CObj(after).As<vb::StdFont>(), *font);  // the control's own copy
            else if (type == "SpEv")
                EXPECT_TRUE(vb::CObj(after).IsNothing());  // the property keeps no object
            else if (object)
                EXPECT_EQ(vb::CObj(after), picture);
            else if (std::string_view(m.name) == "Value")  // True runs the click, which ends False
                EXPECT_EQ(g->site.log.Only({"Event:Click"}),
                          std::vector<std::string>{"Event:Click"});
            else
                EXPECT_EQ(vb::CStr(after), vb::CStr(arg[0]));
        }
        g->button.Redraw(0);
        g->button.UserControl_Click();
    }
    SetSilentError(vb::False);
    EXPECT_FALSE(services.boxes.empty());
}

}  // namespace
}  // namespace sheenwork
