// The property accessors: the order of store, repaint and notify, the guards, and the
// side effects, observed through the recording site.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "support/button_fixture.h"
#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::ButtonFixture;
using Log = std::vector<std::string>;

class Properties : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
    ButtonFixture f;
};

host::PictureRef Pic() {
    return std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0xFF000000u});
}
host::FontRef Font() { return std::make_shared<vb::StdFont>("Tahoma", 8); }

// A value of the table: a number, True, False, a "string", font, picture or Nothing.
vb::Variant Value(const std::string& v) {
    if (v == "True" || v == "False") return vb::Boolean(v == "True");
    if (v == "font") return vb::Object(Font());
    if (v == "picture") return vb::Object(Pic());
    if (v == "Nothing") return vb::Object();
    if (v[0] == '"') return v.substr(1, v.size() - 2);
    return static_cast<vb::Long>(std::stol(v, nullptr, 0));
}

// "a, b, c" as its items.
Log Split(const std::string& list) {
    Log out;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t comma = std::min(list.find(", ", at), list.size());
        out.push_back(list.substr(at, comma - at));
        at = comma + 2;
    }
    return out;
}

// S, R, N; S, N, R; S, N: each property's sequence, from tests/data/property_order.txt.
class PropertyOrder : public ::testing::TestWithParam<testing::Row> {
protected:
    testing::RecordingServices services;
};

TEST_P(PropertyOrder, StoresRepaintsAndNotifiesInItsOrder) {
    const testing::Row& row = GetParam();
    ButtonFixture b;
    const auto read = [&] {
        std::vector<vb::Variant> none;
        return Invoke(b.button, row[0], vb::InvokeKind::PropertyGet, none).value;
    };
    // The value the property reads at every repaint and notification: the store comes
    // first, so each must already be the new value.
    std::vector<vb::Variant> seen;
    const auto look = [&] { seen.push_back(read()); };
    b.site.on_property_changed = [&](const std::string&) { look(); };
    b.painters->on_body = look;
    const vb::Variant before = read();
    std::vector<vb::Variant> args{Value(row[1])};
    const bool object = std::holds_alternative<vb::Object>(args[0]);
    ASSERT_EQ(Invoke(b.button, row[0],
                     object ? vb::InvokeKind::PropertySet : vb::InvokeKind::PropertyLet, args)
                  .error,
              0);
    const vb::Variant after = read();
    EXPECT_EQ(b.RepaintsAndNotifications(), Split(row[2]));
    EXPECT_TRUE(services.boxes.empty());
    if (row.size() > 3) return;
    EXPECT_NE(after, before) << "choose a value that differs";
    for (const auto& v : seen) EXPECT_EQ(v, after) << "stored too late";
}

INSTANTIATE_TEST_SUITE_P(Table, PropertyOrder,
                         ::testing::ValuesIn(testing::ReadTable("property_order.txt")),
                         testing::RowName);

TEST_F(Properties, SurfaceSettingsAreMirroredBetweenStoreAndRepaint) {
    f.button.Caption("Save &As");
    f.button.Enabled(vb::False);
    f.button.OLEDropMode(2);
    f.button.RightToLeft(vb::True);
    EXPECT_EQ(
        f.site.log.Only({"Surface.", "PropertyChanged", "Paint:XPBody"}),
        (Log{"Surface.AccessKeys \"A\"", "Paint:XPBody \"\" pass 0", "PropertyChanged Caption",
             "Surface.Enabled False", "Paint:XPBody \"\" pass 0", "PropertyChanged Enabled",
             "Surface.OLEDropMode 2", "PropertyChanged OLEDropMode", "Surface.RightToLeft True",
             "PropertyChanged RightToLeft"}));
    // RightToLeft reads the surface's own setting, not the field.
    f.site.right_to_left = vb::False;
    EXPECT_EQ(f.button.RightToLeft(), vb::False);
    EXPECT_EQ(f.button.hwnd(), 200);
}

TEST_F(Properties, GuardedPositionsAndSizesDoNothingWhileTheGuardFails) {
    f.button.CaptionLeft(10);
    f.button.CaptionTop(10);
    f.button.PictureLeft(10);
    f.button.PictureTop(10);
    f.button.PictureWidth(10);
    f.button.PictureHeight(10);
    EXPECT_TRUE(f.site.log.entries.empty());
    EXPECT_EQ(f.button.CaptionLeft(), 0);
    EXPECT_EQ(f.button.PictureWidth(), 64);

    f.button.CaptionAlign(cBenutzerdefiniert);
    f.button.PictureAlign(cBenutzerdefiniert);
    f.site.log.Clear();
    f.button.CaptionLeft(300);
    f.button.PictureTop(150);
    EXPECT_EQ(f.RepaintsAndNotifications(),
              (Log{"Redraw", "N CaptionLeft", "Redraw", "N PictureTop"}));
    EXPECT_EQ(f.button.CaptionLeft(), 300);
    EXPECT_EQ(f.button.PictureTop(), 150);
}

TEST_F(Properties, RealPicSizeFalseTurnsTheShownSizeIntoTheManualSize) {
    f.site.Holder().NaturalSize(32, 24);
    f.site.Holder().Picture(
        std::make_shared<vb::StdPicture>(32, 24, std::vector<std::uint32_t>(32 * 24)));
    f.site.log.Clear();
    f.button.RealPicSize(vb::False);
    EXPECT_EQ(f.button.RealPicSize(), vb::False);
    EXPECT_EQ(f.button.PictureHeight(), 24);
    EXPECT_EQ(f.button.PictureWidth(), 32);
    EXPECT_EQ(f.RepaintsAndNotifications(), (Log{"Redraw", "N PictureHeight", "Redraw",
                                                 "N PictureWidth", "Redraw", "N RealPicSize"}));
    EXPECT_EQ(f.site.log.Only({"Image1."}),
              (Log{"Image1.Stretch True", "Image1.Height 24", "Image1.Width 32"}));

    // Back to True: both sizes are refused by their guards and stretching goes off, so
    // the holder takes the natural size again.
    f.button.PictureWidth(50);
    f.site.log.Clear();
    f.button.RealPicSize(vb::True);
    EXPECT_EQ(f.button.RealPicSize(), vb::True);
    EXPECT_EQ(f.RepaintsAndNotifications(), (Log{"Redraw", "N RealPicSize"}));
    EXPECT_EQ(f.button.PictureWidth(), 50);
    EXPECT_EQ(f.site.Holder().Width(), 32);
}

// tests/data/color_style.txt: every scheme in turn rewrites the highlight schemes.
TEST_F(Properties, ColorStyleRewritesTheHighlightSchemesFocusFirst) {
    for (const testing::Row& r : testing::ReadTable("color_style.txt")) {
        ButtonFixture b;
        b.rec().FocusRect = b.rec().HoverRect = cOff;
        b.button.ColorStyle(std::stoi(r[0]));
        EXPECT_EQ(b.RepaintsAndNotifications(), Split(r[1])) << r.where;
        EXPECT_EQ(b.button.ColorStyle(), std::stoi(r[0]));
        EXPECT_EQ(b.button.FocusRect(), std::stoi(r[2])) << r.where;
        EXPECT_EQ(b.button.HoverRect(), std::stoi(r[2])) << r.where;
    }
}

TEST_F(Properties, AutoColorStyleFollowsTheReportedTheme) {
    services.theme->color = "Metallic";
    f.button.AutoColorStyle(vb::True);
    EXPECT_EQ(f.button.ColorStyle(), cXPSilver);
    EXPECT_EQ(f.button.FocusRect(), cRectXPSilver);
    EXPECT_EQ(f.button.HoverRect(), cRectXPSilver);
    const auto log = f.RepaintsAndNotifications();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), "N AutoColorStyle");
    EXPECT_EQ(log.back(), "Redraw");  // no notification after the last repaint

    // A classic system: scheme 5, highlight schemes stay.
    services.theme.reset();
    f.button.AutoColorStyle(vb::True);
    EXPECT_EQ(f.button.ColorStyle(), cWinClassic);
    EXPECT_EQ(f.button.FocusRect(), cRectXPSilver);

    // Windows before XP counts as classic whatever the theme says; so does 6.0.
    services.theme = system::ThemeName{"", "HomeStead", ""};
    services.version = system::VersionInfo{6, 0, 6000, 2};
    f.button.ColorStyle(cXPBlue);
    f.button.AutoColorStyle(vb::True);
    EXPECT_EQ(f.button.ColorStyle(), cWinClassic);
    services.version = system::VersionInfo{6, 1, 7600, 2};
    f.button.AutoColorStyle(vb::True);
    EXPECT_EQ(f.button.ColorStyle(), cXPOlive);

    // Switching it off, or switching it on while loading, leaves ColorStyle alone.
    f.button.AutoColorStyle(vb::False);
    EXPECT_EQ(f.button.ColorStyle(), cXPOlive);
    services.theme->color = "NormalColor";
    f.rec().bLoading = vb::True;
    f.button.AutoColorStyle(vb::True);
    EXPECT_EQ(f.button.ColorStyle(), cXPOlive);
}

TEST_F(Properties, ValueTrueClicksOnceAndReadsFalseAfterwards) {
    vb::Boolean seen;
    f.events.on_click = [&] { seen = f.button.Value(); };
    f.button.Value(vb::True);
    EXPECT_EQ(seen, vb::True);
    EXPECT_EQ(f.button.Value(), vb::False);
    EXPECT_EQ(f.site.log.Only({"Event:", "PropertyChanged"}),
              (Log{"PropertyChanged Value", "Event:Click"}));
    f.site.log.Clear();
    f.button.Value(vb::False);
    EXPECT_EQ(f.site.log.Only({"Event:"}), Log{});
}

TEST_F(Properties, ClickOpensTheWaveThenTheUrl) {
    testing::TempDir dir;
    const std::string wave = dir / "ding.wav";
    std::ofstream(wave) << "RIFF";
    f.button.Wave(wave);
    f.button.URL(" http://example.org ");
    f.button.UrlParam("q=1");
    f.button.UserControl_Click();
    EXPECT_EQ(services.calls, (Log{"ShellExecute 200 open [" + wave + "] [] [] 0",
                                   "ShellExecute 200 open [ http://example.org ] [q=1] [] 0"}));

    services.calls.clear();
    f.button.Wave(dir / "missing.wav");
    f.button.URL("   ");
    f.button.UserControl_Click();
    EXPECT_TRUE(services.calls.empty());
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(Properties, ClickReportedAfterAFailingHandlerLeavesValueTrue) {
    f.events.on_click = [] { vb::Raise(11); };
    f.button.UserControl_Click();
    EXPECT_EQ(f.button.Value(), vb::True);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("0/UserControl_Click"), std::string::npos);
}

TEST_F(Properties, PassThroughEventsHandBackWhatTheHandlerChanged) {
    vb::Long effect = 3;
    f.button.UserControl_OLECompleteDrag(effect);
    EXPECT_EQ(effect, 7);
    EXPECT_EQ(f.site.log.Only({"Event:"}), Log{"Event:OLECompleteDrag 3"});
}

TEST_F(Properties, PicturesGoToImage1OnlyForTheMatchingEnabledState) {
    auto pic = std::make_shared<vb::StdPicture>(2, 2, std::vector<std::uint32_t>(4));
    f.button.Enabled(vb::False);
    f.site.log.Clear();
    f.button.Picture(pic);
    EXPECT_EQ(f.button.Picture(), pic);
    EXPECT_EQ(f.site.Holder().Picture(), nullptr);
    f.button.PictureDis(pic);
    EXPECT_EQ(f.site.Holder().Picture(), pic);
    f.button.PictureOver(pic);
    f.button.PictureDown(pic);
    EXPECT_EQ(f.site.log.Only({"Image1."}), Log{"Image1.Picture set"});
}

TEST_F(Properties, MousePointerBeyondSixteenBitsOverflowsAfterTheStore) {
    f.button.MousePointer(70000);
    EXPECT_EQ(f.button.MousePointer(), 70000);
    EXPECT_EQ(f.site.log.Only({"Surface.MousePointer", "PropertyChanged"}), Log{});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("Error no.: 6\r\nError description: Overflow"),
              std::string::npos);
    EXPECT_NE(services.boxes[0].text.find("0/MousePointer"), std::string::npos);

    SetSilentError(vb::True);
    f.site.log.Clear();
    f.button.MousePointer(-40000);
    EXPECT_EQ(f.site.log.Only({"Surface.MousePointer", "PropertyChanged"}),
              Log{"PropertyChanged MousePointer"});
}

TEST_F(Properties, SpecialEventsIsNoObject) {
    EXPECT_EQ(f.button.SpecialEvents(), nullptr);
    f.button.SpecialEvents(std::make_shared<SpEv>());
    EXPECT_EQ(f.button.SpecialEvents(), nullptr);
    EXPECT_TRUE(f.site.log.entries.empty());
}

// tests/data/access_keys.txt: the character after the last single ampersand.
TEST_F(Properties, AccessKeyIsTheCharacterAfterTheLastSingleAmpersand) {
    const auto unquote = [](const std::string& s) { return s.substr(1, s.size() - 2); };
    for (const testing::Row& r : testing::ReadTable("access_keys.txt")) {
        f.rec().Caption = unquote(r[0]);
        EXPECT_EQ(f.button.GetPrefixText(), r[1] == "\"\"" ? "" : r[1]) << r.where;
    }
}

TEST_F(Properties, TooltipRegistersAfterEachTooltipAssignmentButNotWhileLoading) {
    struct Spy : QI {
        Log& log;
        explicit Spy(Log& l) : log(l) {}
        void Create(vb::Variant form, vb::Variant control, std::string& tip, vb::Integer& delay,
                    vb::Integer& width) override {
            log.push_back("Create " + tip + " " + std::to_string(delay) + " " +
                          std::to_string(width) +
                          (std::get<vb::Object>(control).IsNothing() ? " no-surface" : "") +
                          (std::holds_alternative<vb::Object>(form) ? "" : " no-form"));
        }
        void Remove(vb::Variant) override { log.push_back("Remove"); }
        void About() override {}
    };
    Log calls;
    int created = 0;
    SetQIFactory([&] {
        ++created;
        return std::make_shared<Spy>(calls);
    });
    // A new instance registers its empty tip once it is initialised.
    ButtonFixture g;
    EXPECT_EQ(calls, Log{"Create  5000 240"});
    calls.clear();
    g.button.VeloToolTip("Speichern");
    g.button.VeloToolTipDelay(300);
    g.button.UseVeloToolTip(vb::False);
    g.button.UseVeloToolTip(vb::True);
    g.rec().bLoading = vb::True;
    g.button.VeloToolTip("ignored while loading");
    SetQIFactory(nullptr);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(calls, (Log{"Create Speichern 5000 240", "Create Speichern 300 240", "Remove",
                          "Create Speichern 300 240"}));
    EXPECT_EQ(g.site.log.Only({"PropertyChanged"}),
              (Log{"PropertyChanged VeloToolTip", "PropertyChanged VeloToolTipDelay",
                   "PropertyChanged UseVeloToolTip", "PropertyChanged UseVeloToolTip",
                   "PropertyChanged VeloToolTip"}));
}

TEST_F(Properties, TooltipErrorsAreIgnoredWithoutAReport) {
    struct Failing : QI {
        void Create(vb::Variant, vb::Variant, std::string&, vb::Integer&, vb::Integer&) override {
            vb::Raise(91);
        }
        void Remove(vb::Variant) override {}
        void About() override {}
    };
    SetQIFactory([] { return std::make_shared<Failing>(); });
    ButtonFixture g;
    g.site.FailOn("Parent");
    g.button.VeloToolTip("x");
    EXPECT_TRUE(services.boxes.empty());
    // No manager at all: ignored while registering, reported while removing.
    SetQIFactory([] { return nullptr; });
    ButtonFixture h;
    h.button.VeloToolTip("x");
    EXPECT_TRUE(services.boxes.empty());
    h.button.UseVeloToolTip(vb::False);
    SetQIFactory(nullptr);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text,
              ErrorReportText(91, "Object variable or With block variable not set",
                              "CheckForVeloToolTip", 0, "Benutzersteuerelement", "sheenButton"));
}

TEST_F(Properties, AFailingStepEndsTheAssignmentOrIsSkippedWhenSilent) {
    f.site.FailOn("PropertyChanged", 70);
    f.button.ForeColor(0xFF);  // S, N, R: the repaint never comes
    EXPECT_EQ(f.button.ForeColor(), 0xFFu);
    EXPECT_EQ(f.RepaintsAndNotifications(), Log{"N ForeColor"});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, ErrorReportText(70, "Permission denied", "ForeColor", 0,
                                                      "Benutzersteuerelement", "sheenButton"));

    f.site.ClearFailures();
    f.site.FailOn("Surface.AccessKeys");
    f.site.log.Clear();
    f.button.Caption("&Neu");
    EXPECT_EQ(f.button.Caption(), "&Neu");
    EXPECT_EQ(f.RepaintsAndNotifications(), Log{});

    SetSilentError(vb::True);
    f.site.log.Clear();
    f.button.Caption("&Alt");
    EXPECT_EQ(f.RepaintsAndNotifications(), (Log{"Redraw", "N Caption"}));
    f.site.FailOn("PropertyChanged");
    f.site.log.Clear();
    f.button.ForeColor(0xFF00);
    EXPECT_EQ(f.RepaintsAndNotifications(), (Log{"N ForeColor", "Redraw"}));
    EXPECT_EQ(services.boxes.size(), 2u);
}

// The About window's three buttons open the help, the web page and the licence text
// through the shell, as a click opens its address.
TEST_F(Properties, AboutOpensTheAboutWindowWhoseButtonsGoThroughTheShell) {
    host::AboutInfo shown;
    f.site.on_about = [&](const host::AboutInfo& info) { shown = info; };
    f.button.About();
    EXPECT_EQ(f.site.log.entries, Log{"ShowAbout 2.8.0"});
    EXPECT_EQ(shown.product, "Sheenwork");
    EXPECT_EQ(shown.years, "2003-2026");
    ASSERT_EQ(shown.links.size(), 3u);
    services.calls.clear();
    for (const auto& link : shown.links) host::OpenAboutLink(link);
    const std::string source = SHEENWORK_SOURCE_DIR;
    EXPECT_EQ(services.calls, (Log{"ShellExecute 0 open [" + source + "/README.md] [] [] 1",
                                   "ShellExecute 0 open [https://sheenwork.dev/] [] [] 1",
                                   "ShellExecute 0 open [" + source + "/LICENSE] [] [] 1"}));
    std::ifstream licence(source + "/LICENSE");
    std::string first;
    std::getline(licence, first);
    EXPECT_EQ(first, "MIT License");

    // An installed library finds them under share/doc/sheenwork beside its lib folder;
    // what is not installed there still comes from the source tree.
    testing::TempDir prefix;
    std::filesystem::create_directories(prefix.Path() / "share/doc/sheenwork");
    std::ofstream(prefix.Path() / "share/doc/sheenwork/README.md") << "read me\n";
    services.library_path = (prefix.Path() / "lib/libsheenwork.so").string();
    f.button.About();
    services.calls.clear();
    host::OpenAboutLink(shown.links[0]);
    host::OpenAboutLink(shown.links[2]);
    EXPECT_EQ(services.calls,
              (Log{"ShellExecute 0 open [" +
                       (prefix.Path() / "share/doc/sheenwork/README.md").string() + "] [] [] 1",
                   "ShellExecute 0 open [" + source + "/LICENSE] [] [] 1"}));
}

}  // namespace
}  // namespace sheenwork
