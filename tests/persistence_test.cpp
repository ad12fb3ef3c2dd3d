// Saving and loading through the property bag, checked against the key table as
// transcribed by hand into tests/data/persistence_keys.txt. Ambient changes, the
// order of loading, a new instance, paint and resize are button stories (tests/data/props).
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/host/property_bag.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/button_fixture.h"
#include "support/data.h"
#include "support/recording_bag.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using Log = std::vector<std::string>;

struct KeyRow {
    std::string key, type, def, property, saved;
};
void PrintTo(const KeyRow& r, std::ostream* os) { *os << r.key; }

const std::vector<KeyRow>& KeyTable() {
    static const std::vector<KeyRow> rows = [] {
        std::vector<KeyRow> out;
        for (const std::string& line : testing::DataLines("persistence_keys.txt")) {
            KeyRow r;
            std::istringstream(line) >> r.key >> r.type >> r.def >> r.property >> r.saved;
            out.push_back(r);
        }
        return out;
    }();
    return rows;
}

Log KeyNames() {
    Log out;
    for (const KeyRow& r : KeyTable()) out.push_back(r.key);
    return out;
}

using testing::RecordingBag;

host::PictureRef Pic() {
    return std::make_shared<vb::StdPicture>(2, 1, std::vector<std::uint32_t>(2));
}

using testing::ButtonFixture;
const ButtonFixture::Fresh kFresh;

vb::Variant Default(const KeyRow& r, const ButtonFixture& f) {
    if (r.def == "<name>") return f.site.extender_name;
    if (r.def == "<container>" && r.type == "Font") return vb::Object(f.site.parent_font);
    if (r.def == "<container>") return static_cast<vb::Long>(f.site.parent_back_color);
    if (r.def == "Nothing") return vb::Object();
    if (r.def == "\"\"") return std::string();
    if (r.def == "True" || r.def == "False") return vb::Boolean(r.def == "True");
    return static_cast<vb::Long>(std::stoul(r.def, nullptr, 0));
}

// A value of the key's type that differs from `def`.
vb::Variant Other(const KeyRow& r, const vb::Variant& def) {
    if (r.type == "String") return "v-" + r.key;
    if (r.type == "Boolean") return vb::Not(vb::CBool(def));
    if (r.type == "Single") return vb::CSng(def) + 12.5f;
    if (r.type == "Font") return vb::Object(std::make_shared<vb::StdFont>("Courier New", 11));
    if (r.type == "Picture") return vb::Object(Pic());
    return vb::CLng(def) + 7;
}

// A value that does not convert to the key's type.
vb::Variant Wrong(const KeyRow& r) {
    if (r.type == "String" || r.type == "Font") return vb::Object(Pic());
    if (r.type == "Picture") return vb::Object(std::make_shared<vb::StdFont>());
    return std::string("x");
}

// Equal as the key's type sees them: fonts by their attributes, pictures by identity.
bool Same(const KeyRow& r, const vb::Variant& a, const vb::Variant& b) {
    if (r.type == "Font") {
        const auto x = vb::CObj(a).As<vb::StdFont>(), y = vb::CObj(b).As<vb::StdFont>();
        return x && y ? *x == *y : x == y;
    }
    if (r.type == "Picture") return vb::CObj(a) == vb::CObj(b);
    if (r.type == "String") return vb::CStr(a) == vb::CStr(b);
    return vb::CDbl(a) == vb::CDbl(b);
}

vb::Variant Read(sheenButton& b, const KeyRow& r) {
    if (r.property == "bDefault") return b.Record().bDefault;
    std::vector<vb::Variant> none;
    return Invoke(b, r.property, vb::InvokeKind::PropertyGet, none).value;
}

class Persistence : public ::testing::TestWithParam<KeyRow> {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
};

TEST_P(Persistence, KeyReadsItsDefaultOrItsValueAndRefusesAValueOfAnotherType) {
    const KeyRow& row = GetParam();
    ButtonFixture f(kFresh);
    const vb::Variant def = Default(row, f);
    const vb::Variant other = Other(row, def);

    // A new instance holds the default (a font as a copy) and saves against it.
    f.button.UserControl_InitProperties();
    EXPECT_TRUE(Same(row, Read(f.button, row), def));
    if (row.type == "Font") {
        EXPECT_FALSE(vb::CObj(Read(f.button, row)) == vb::CObj(def));
    }
    RecordingBag saved;
    f.button.UserControl_WriteProperties(saved);
    EXPECT_TRUE(Same(row, saved.Find(row.key).def, def));
    EXPECT_TRUE(Same(row, saved.Find(row.key).value, def));
    if (row.saved == "surface") {
        if (row.key == "Enabled") f.site.surface_enabled = vb::CBool(other);
        if (row.key == "RightToLeft") f.site.right_to_left = vb::CBool(other);
        if (row.key == "MouseIcon")
            f.site.surface_mouse_icon = vb::CObj(other).As<vb::StdPicture>();
        if (row.key == "MousePointer") f.site.surface_mouse_pointer = vb::CInt(other);
        if (row.key == "OLEDropMode") f.site.surface_ole_drop_mode = vb::CInt(other);
        RecordingBag again;
        f.button.UserControl_WriteProperties(again);
        EXPECT_TRUE(Same(row, again.Find(row.key).value, other)) << "taken from the surface";
        if (row.key == "MousePointer") {
            EXPECT_TRUE(std::holds_alternative<vb::Integer>(again.Find(row.key).value));
        }
    }

    // A stored value, numbers and Booleans as text, reads back through the property; a
    // manual position needs the manual alignment read before it.
    ButtonFixture g(kFresh);
    host::MemoryPropertyBag bag;
    if (row.key == "CaptionLeft" || row.key == "CaptionTop")
        bag.WriteProperty("CaptionAlign", vb::Long{99}, {});
    if (row.key == "PictureLeft" || row.key == "PictureTop")
        bag.WriteProperty("PictureAlign", vb::Long{99}, {});
    const bool object = std::holds_alternative<vb::Object>(other);
    bag.WriteProperty(row.key, object ? other : vb::Variant(vb::CStr(other)), {});
    g.button.UserControl_ReadProperties(bag);
    EXPECT_TRUE(Same(row, Read(g.button, row), other));

    // A value of another type is a type mismatch of the load: it ends there, or is
    // skipped while errors are silent; the keys read with errors ignored go on quietly.
    const bool ignored = row.key == "Caption" || row.key == "CornerColor";
    const Log names = KeyNames();
    const auto at = std::size_t(std::find(names.begin(), names.end(), row.key) - names.begin());
    for (const vb::Boolean silent : {vb::False, vb::True}) {
        SetSilentError(silent);
        services.boxes.clear();
        ButtonFixture h(kFresh);
        const vb::Variant before = Read(h.button, row);
        RecordingBag wrong;
        wrong.stored.WriteProperty(row.key, Wrong(row), {});
        h.button.UserControl_ReadProperties(wrong);
        const bool ends = !silent && !ignored;
        EXPECT_TRUE(Same(row, Read(h.button, row), before));
        EXPECT_EQ(wrong.reads.size(), ends ? at + 1 : KeyTable().size());
        EXPECT_EQ(h.button.Record().bLoading, vb::Boolean(ends));
        EXPECT_EQ(h.site.log.Only({"Paint:XPBody", "tmrMouseIn"}),
                  ends ? Log{} : (Log{"Paint:XPBody \"\" pass 0", "tmrMouseIn.Enabled True"}));
        EXPECT_EQ(services.boxes.size(), ends ? 1u : 0u);
        if (ends && !services.boxes.empty()) {
            EXPECT_EQ(services.boxes[0].text,
                      ErrorReportText(13, "Type mismatch", "UserControl_ReadProperties", 0,
                                      "Benutzersteuerelement", "sheenButton"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, Persistence, ::testing::ValuesIn(KeyTable()),
                         [](const ::testing::TestParamInfo<KeyRow>& i) { return i.param.key; });

// The table a form file is checked against: the keys in reading order, each with the
// type of its stored value (a colour is a Long in the bag).
TEST(PersistenceOrder, ThePublishedKeysAreTheTablesWithTheirTypes) {
    const char* const names[] = {"String",  "Long",    "Long", "Single",
                                 "Integer", "Boolean", "Font", "Picture"};
    std::vector<std::string> published, table;
    for (const PersistedProperty& p : sheenButtonPersisted())
        published.push_back(std::string(p.key) + " " + names[static_cast<int>(p.type)]);
    for (const KeyRow& r : KeyTable()) table.push_back(r.key + " " + r.type);
    EXPECT_EQ(published, table);
}

TEST(PersistenceOrder, WritesInReadingOrderSaveTwoAndReadsBackEqual) {
    testing::RecordingServices services;
    // Every key differs from its default; the alignments are manual so that the
    // positions apply.
    ButtonFixture a(kFresh);
    RecordingBag source;
    for (const KeyRow& r : KeyTable()) {
        const bool manual = r.key == "CaptionAlign" || r.key == "PictureAlign";
        source.stored.WriteProperty(r.key, manual ? vb::Long{99} : Other(r, Default(r, a)), {});
    }
    a.button.UserControl_ReadProperties(source);
    EXPECT_EQ(source.reads, KeyNames());

    RecordingBag saved;
    a.button.UserControl_WriteProperties(saved);
    Log order = KeyNames();
    const auto at = [&](const char* key) { return std::find(order.begin(), order.end(), key); };
    std::iter_swap(at("BackColorDown"), at("BackColorOver"));
    std::iter_swap(at("CornerColor"), at("ColorStyle"));
    EXPECT_EQ(saved.Written(), order);

    ButtonFixture b(kFresh);
    b.button.UserControl_ReadProperties(saved.stored);
    for (const KeyRow& r : KeyTable())
        EXPECT_TRUE(Same(r, Read(b.button, r), Read(a.button, r))) << r.key;
    EXPECT_TRUE(services.boxes.empty());
}

TEST(MemoryPropertyBag, LeavesOutDefaultsComparingNumbersByValueAndObjectsByIdentity) {
    host::MemoryPropertyBag bag;
    const vb::Object pic(Pic());
    bag.WriteProperty("a", vb::Integer{0}, vb::Long{0});
    bag.WriteProperty("b", std::string("x"), std::string());
    bag.WriteProperty("c", vb::Long{5}, vb::Long{0});
    bag.WriteProperty("c", vb::Single{0}, vb::Long{0});  // back to its default: gone
    bag.WriteProperty("d", vb::True, vb::Long{-1});
    bag.WriteProperty("e", pic, pic);
    bag.WriteProperty("f", vb::Object(Pic()), pic);
    bag.WriteProperty("g", vb::Long{0}, std::string("0"));  // a number never equals text
    bag.WriteProperty("b", std::string("y"), std::string());
    Log keys;
    for (const auto& e : bag.Entries()) keys.push_back(e.key);
    EXPECT_EQ(keys, (Log{"b", "f", "g"}));
    EXPECT_EQ(bag.ReadProperty("b", {}), vb::Variant(std::string("y")));
    EXPECT_EQ(bag.ReadProperty("c", vb::Long{3}), vb::Variant(vb::Long{3}));
}

}  // namespace
}  // namespace sheenwork
