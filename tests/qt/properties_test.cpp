// The control's members and events as Qt sees them: every property of the type library
// a Qt property of the same name that sets and reads that property of the control, every
// event a signal, and the values in Qt's types (colours with alpha for what is no plain
// colour, fonts, picture paths, enumerations by name).
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/qt/button.h>
#include <sheenwork/runtime/description.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <QMetaEnum>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <set>

#include "qt/qt_story.h"
#include "support/story.h"

namespace sheenwork::testing {
namespace {

// The control's value of a member, read late-bound, as text.
std::string ControlValue(qt::Button& b, const char* member) {
    std::vector<vb::Variant> none;
    const auto got = b.Instance()->Invoke(member, vb::InvokeKind::PropertyGet, none);
    if (got.error) return "error " + got.description;
    if (const auto* o = std::get_if<vb::Object>(&got.value)) {
        if (const auto f = o->As<vb::StdFont>())
            return f->Name() + " " + std::to_string(f->Size()) + " " + std::to_string(f->Weight()) +
                   (f->Italic() ? " italic" : "") + (f->Underline() ? " underline" : "") +
                   (f->Strikethrough() ? " strikeout" : "") + " charset " +
                   std::to_string(f->Charset());
        if (const auto p = o->As<vb::StdPicture>()) return "picture " + p->SourceFile();
        return "Nothing";
    }
    return vb::CStr(got.value);
}

// Properties the value table leaves to other tests: what a container keeps of its button,
// what a .ui file carries beside the fonts, the click, and what changes other properties.
const std::set<std::string> kNotInTheTable = {"Default", "Cancel",         "ExactFonts",
                                              "Value",   "AutoColorStyle", "RealPicSize"};

// The members a Qt program sets otherwise: the SpEv object is the library's global
// utility object, not a value of a button; hwnd is read only (and a Qt property too).
const std::set<std::string> kNotQtProperties = {"SpecialEvents", "About"};

// Each Qt property, written with a value of its type that no other property gets, shows
// in the control's own property of that name, converted as the Qt types say, and reads
// back as written (tests/data/qt/properties.txt).
class QtPropertyValues : public ::testing::TestWithParam<Row> {};
TEST_P(QtPropertyValues, SetTheControlsOwnProperty) {
    const std::string& name = GetParam()[0];
    const std::string value = WithData(GetParam()[1]);
    qt::Button b;
    Steps(b, {"CaptionAlign=UserDefined", "PictureAlign=UserDefined", "RealPicSize=false",
              name + "=" + value});
    EXPECT_EQ(ControlValue(b, name.c_str()), WithData(GetParam()[2]));
    const int index = b.metaObject()->indexOfProperty(name.c_str());
    if (b.metaObject()->property(index).userType() != QMetaType::QString)
        Steps(b, {name + "?" + value});
}
INSTANTIATE_TEST_SUITE_P(Table, QtPropertyValues,
                         ::testing::ValuesIn(ReadTable("qt/properties.txt")), RowName);

// The type library as Qt sees it: every member a Qt property of the same name, writable
// as the member is, with its rows in the value table unless other tests look at it; no
// other Qt property but what a container keeps of its button (default and cancel button)
// and what a .ui file carries beside the fonts; About a slot; and every event of the
// control's event interface a signal (by its Qt name) with the event's arguments.
TEST(QtProperties, TheTypeLibraryIsTheWidgetsInterface) {
    std::set<std::string> rows;
    for (const Row& row : ReadTable("qt/properties.txt")) rows.insert(row[0]);
    const QMetaObject& meta = qt::Button::staticMetaObject;
    std::set<std::string> seen;
    for (const MemberInfo& m : sheenButtonMembers()) {
        if (kNotQtProperties.count(m.name)) continue;
        seen.insert(m.name);
        const int index = meta.indexOfProperty(m.name);
        ASSERT_GE(index, meta.propertyOffset()) << m.name << " is no Qt property of the button";
        EXPECT_EQ(meta.property(index).isWritable(), m.access != Access::Get) << m.name;
    }
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const std::string name = meta.property(i).name();
        if (!seen.count(name)) {
            EXPECT_TRUE(name == "Default" || name == "Cancel" || name == "ExactFonts") << name;
        }
        if (meta.property(i).isWritable() && !kNotInTheTable.count(name)) {
            EXPECT_TRUE(rows.count(name)) << name << " has no rows";
        }
    }
    EXPECT_GE(meta.indexOfSlot("About()"), 0);
    std::set<std::string> signatures;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            signatures.insert(meta.method(i).name().toStdString() + "/" +
                              std::to_string(meta.method(i).parameterCount()));
    for (const EventInfo& e : sheenButtonEventInfo()) {
        std::string name = e.name;
        name = name == "Click" ? "clicked" : name;
        if (name.rfind("OLE", 0) == 0) name = "ole" + name.substr(3);
        name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
        EXPECT_TRUE(signatures.count(name + "/" + std::to_string(e.params.size())))
            << e.name << " with " << e.params.size() << " arguments";
    }
}

}  // namespace
}  // namespace sheenwork::testing
