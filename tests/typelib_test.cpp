// The type library table and late-bound calls through it.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <set>

#include "support/button_fixture.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::ButtonFixture;
using vb::InvokeKind;
using Args = std::vector<vb::Variant>;

TEST(TypeLibrary, MembersAreInInterfaceOrderWithUniqueIds) {
    const auto members = sheenButtonMembers();
    ASSERT_EQ(members.size(), 67u);
    EXPECT_STREQ(members.front().name, "CaptionAlign");
    EXPECT_STREQ(members[11].name, "Font");
    EXPECT_STREQ(members[33].name, "About");
    EXPECT_STREQ(members.back().name, "AllPicturesSame");
    std::set<long> ids;
    for (const auto& m : members) EXPECT_TRUE(ids.insert(m.dispid).second) << m.name;
    EXPECT_EQ(FindMember(DISPID_ABOUTBOX), FindMember("About"));
    EXPECT_STREQ(FindMember("OfficeBorderDown")->help,
                 "bestimmt die Rahmenfarbe, wenn das Objekt gedrückt ist  (wenn Office-Style "
                 "ausgewählt)");
    EXPECT_EQ(FindMember("hwnd")->access, Access::Get);
    EXPECT_EQ(FindMember("Picture")->access, Access::GetSet);
    EXPECT_STREQ(FindMember("SpecialEvents")->help, "gibt eine Klase zurück");
    EXPECT_STREQ(FindMember("DropDownAlign")->type, "cDropDownAlign");

    const auto events = sheenButtonEventInfo();
    ASSERT_EQ(events.size(), 16u);
    for (std::size_t i = 0; i < events.size(); ++i) EXPECT_EQ(events[i].dispid, long(i) + 1);
    EXPECT_STREQ(events[15].name, "DropDown");
    EXPECT_STREQ(events[12].help, "wird ausgelöst, wenn der Maus-Cursor geändert werden muß.");
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
                if (m.call) {
                    EXPECT_EQ(Invoke(g.button, m.name, InvokeKind::Method, none).error, 0);
                    continue;
                }
                auto value = Invoke(g.button, m.name, InvokeKind::PropertyGet, none);
                EXPECT_EQ(value.error, 0) << m.name;
                if (!m.put) continue;
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

}  // namespace
}  // namespace sheenwork
