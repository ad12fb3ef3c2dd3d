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

// The members a Qt program sets otherwise: the SpEv object is the library's global
// utility object, not a value of a button; hwnd is read only (and a Qt property too).
const std::set<std::string> kNotQtProperties = {"SpecialEvents", "About"};

TEST(QtProperties, EveryMemberOfTheTypeLibraryIsAQtPropertyOfTheControl) {
    qt::Button b;
    const QMetaObject* meta = b.metaObject();
    std::set<std::string> seen;
    for (const MemberInfo& m : sheenButtonMembers()) {
        if (kNotQtProperties.count(m.name)) continue;
        seen.insert(m.name);
        const int index = meta->indexOfProperty(m.name);
        ASSERT_GE(index, meta->propertyOffset()) << m.name << " is no Qt property of the button";
        const QMetaProperty p = meta->property(index);
        EXPECT_EQ(p.isWritable(), m.access != Access::Get) << m.name;
    }
    // And nothing else but what a container keeps of its button (default and cancel
    // button) and what a .ui file carries beside the fonts.
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const std::string name = meta->property(i).name();
        if (!seen.count(name)) {
            EXPECT_TRUE(name == "Default" || name == "Cancel" || name == "ExactFonts") << name;
        }
    }
    // About is a slot.
    EXPECT_GE(meta->indexOfSlot("About()"), 0);
}

// Each Qt property, written with a value of its type that no other property gets, shows
// in the control's own property of that name, converted as the Qt types say.
TEST(QtProperties, EachSetsItsOwnPropertyOfTheControl) {
    qt::Button b;
    b.setCaptionAlign(qt::Button::UserDefined);  // the manual positions take effect
    b.setPictureAlign(qt::Button::UserDefined);
    b.setRealPicSize(false);  // and the picture's own size
    const QMetaObject* meta = b.metaObject();
    const std::string picture = std::string(SHEENWORK_TEST_DATA_DIR) + "/formfile/ok.png";
    int n = 0;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        const std::string name = p.name();
        if (!p.isWritable() || name == "Default" || name == "Cancel" || name == "ExactFonts" ||
            name == "Value" || name == "AutoColorStyle" || name == "RealPicSize")
            continue;
        ++n;
        QVariant value;
        std::string want;
        const int k = 3 + i - meta->propertyOffset();  // differs from property to property
        switch (p.userType()) {
            case QMetaType::Bool: {
                const bool v = !p.read(&b).toBool();
                value = v;
                want = v ? "True" : "False";
                break;
            }
            case QMetaType::Int:
                value = k;
                want = std::to_string(k);
                break;
            case QMetaType::Double:
                value = k + 0.25;
                want = std::to_string(k) + ".25";
                break;
            case QMetaType::QString:
                if (name.rfind("Picture", 0) == 0 || name == "MouseIcon") {
                    value = QString::fromStdString(picture);
                    want = "picture " + picture;
                } else {
                    value = QString::fromStdString("v" + std::to_string(k) + " & \xC3\xBC");
                    want = "v" + std::to_string(k) + " & \xC3\xBC";
                }
                break;
            case QMetaType::QColor: {
                // A plain colour; every other one a system colour.
                const bool plain = k % 2 == 0;
                value = plain ? QColor(k, 2 * k, 3 * k) : qt::Button::SystemColor(k % 25);
                want = std::to_string(plain ? (3 * k) << 16 | (2 * k) << 8 | k
                                            : static_cast<int>(0x80000000u | (k % 25)));
                break;
            }
            case QMetaType::QFont: {
                QFont f(QString("Font%1").arg(k));
                f.setPointSizeF(k + 0.75);
                f.setWeight(QFont::DemiBold);
                f.setItalic(true);
                value = f;
                want = "Font" + std::to_string(k) + " " + std::to_string(k + 0.75) +
                       " 600 italic charset 0";
                break;
            }
            default: {
                ASSERT_TRUE(p.isEnumType()) << name;
                // The last of the enumeration's names, by its name.
                const QMetaEnum e = p.enumerator();
                value = QString(e.key(e.keyCount() - 1));
                want = std::to_string(e.value(e.keyCount() - 1));
                break;
            }
        }
        ASSERT_TRUE(p.write(&b, value)) << name;
        EXPECT_EQ(ControlValue(b, name.c_str()), want) << name;
        if (p.isEnumType()) {
            EXPECT_EQ(std::to_string(p.read(&b).toInt()), want) << name;
        } else if (p.userType() != QMetaType::QString) {
            EXPECT_EQ(p.read(&b), value) << name;
        }
    }
    EXPECT_GE(n, 60);
}

// Every event of the control's event interface is a signal (by its Qt name) with the
// event's arguments.
TEST(QtProperties, EveryEventIsASignal) {
    const QMetaObject& meta = qt::Button::staticMetaObject;
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
