// The property accessors, the error trap and SpEv as button stories: the order of store,
// repaint and notify, the guards, side effects and lifecycle.
//
// Button stories (tests/data/props/*.txt): a button on a recording site, driven and
// checked one step a line. A step's first cell is its verb and words; the cells after
// ` | ` are what it expects, lists as "a, b, c". The verbs:
//   new / fresh            a new instance, initialised and its log cleared / a button just
//                          created in a container of its own (name Knopf7, colour
//                          0x00336699, font Tahoma 8.25 bold), not yet initialised
//   let PROP VALUE [| N]   a late-bound assignment (Set for an object), answered with 0 or N
//   get PROP VALUE         a late-bound read; Image1.X reads the holder, rec.X the record
//   prefix | VALUE         the access key the caption gives
//   rec FIELD VALUE        sets a field of the record, site FIELD VALUE one of the site
//                          (parent_font: none, right_to_left, extender_default)
//   holder natural W H / holder picture W H   the picture holder's natural size, picture
//   do PROCEDURE [ARG] [| ANSWER]   an event of the host (QI.About: the tooltip manager's
//                          About); ANSWER what it hands back
//   log PREFIX,... | LIST  the site's log, the entries that start with a prefix (* all);
//                          logfrom: from the first entry equal to LIST's first
//   first PREFIX,... | TEXT / last ...   the first or last of them starts with TEXT
//   rn | LIST              the repaints ("Redraw") and notifications ("N Prop")
//   watch PROP / seen      reads PROP at every repaint and notification from now on / each
//                          read the value it has now, which differs from the one before
//   clear / fail OP [N] / unfail / silent BOOL   (clear: the site's log and the About window)
//   theme NAME|none / version MAJOR.MINOR.BUILD PLATFORM / library PATH / file PATH TEXT
//   boxes N / box I | FRAGMENT / report I | N | DESCRIPTION | PROCEDURE | KIND | MODULE
//   calls | LIST           the shell calls since the last check
//   onclick raise N / onclick read PROP   what the host's Click handler does
//   tips spy|failing|none|off   the tooltip manager of later instances; tips | LIST its calls
//   load | K=V, ...        reads a bag of these values; save [N] [| KEYS] writes one;
//                          saved I | KEY the I-th key written
//   about | CONTROL VERSION | PRODUCT | YEARS | LINKS / links I ...   the About window, its
//                          links opened
//   read PATH | TEXT       a file's whole text
//   spev METHOD ARG... [| RESULT]   a late-bound call of the SpEv object (#N: by
//                          dispatch id); RESULT "error N" for a call that must fail
//   call KIND MEMBER [VALUE] | ERROR [| DESCRIPTION]   a late-bound Get, Let, Set or
//                          Method of the button (#N: by dispatch id) and the error it gives;
//                          Error.MEMBER is the Error object's, for get too
//   list NAME | ITEMS / items NAME | ITEMS   a list box (list:NAME as a value) and its items
//   fifo PATH / key VK STATE      a named pipe / what GetAsyncKeyState answers for a key
//   errorlog "FOLDER"      the registry's log folder; handler N | DESCRIPTION | PROCEDURE |
//                          KIND | MODULE reports an error; exists / empty PATH | BOOL whether a
//                          path exists / a folder is empty; has PATH | TEXT; remove PATH;
//                          a sixth cell of handler is the line
//   text I | TEXT / title I | TITLE | STYLE   a message box's whole text / title and style
//   procedure NAME KIND MODULE | STEPS | RAN | ENDED   a procedure of the error trap run
//                          step by step; a step's actions: ran N, raise N, memory (out of
//                          memory), fail TEXT (an internal error), other (a foreign throw);
//                          RAN the Ns that ran, ENDED whether the trap ended the procedure
//   components             outside components from the test component's folder
//   env NAME VALUE / filelimit BYTES|none   a variable of the environment / a file size limit
//   nostdin                standard input closed for the rest of the story
//   mkdir PATH / link TARGET PATH   a folder / a symbolic link
// \r, \n and \0 in texts and files are those characters.
// A value is a number, True, False, "text", font (Tahoma 8), font:NAME:SIZE, pic:NAME (a
// 1 x 1 picture per name), spev or Nothing; 1e6 is a Double; $TMP is the story's scratch folder,
// $SRC the source tree.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <optional>

#include <fstream>
#include <map>
#include <sstream>

#include "support/button_fixture.h"
#include "support/data.h"
#include "support/list_box.h"
#include "support/recording_bag.h"
#include "support/recording_services.h"
#include "support/story.h"

namespace sheenwork {
namespace {

using Log = std::vector<std::string>;
using testing::ButtonFixture;
using testing::Row;
using testing::Unescape;

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

// The tooltip managers the stories install: one that logs its calls, one that fails.
struct SpyTips : QI {
    Log& log;
    bool failing;
    SpyTips(Log& l, bool f) : log(l), failing(f) {}
    void Create(vb::Variant form, vb::Variant control, std::string& tip, vb::Integer& delay,
                vb::Integer& width) override {
        if (failing) vb::Raise(91);
        log.push_back("Create " + tip + " " + std::to_string(delay) + " " + std::to_string(width) +
                      (std::get<vb::Object>(control).IsNothing() ? " no-surface" : "") +
                      (std::holds_alternative<vb::Object>(form) ? "" : " no-form"));
    }
    void Remove(vb::Variant) override { log.push_back("Remove"); }
    void About() override {}
};

// A value as the tables write it; pictures named pic:NAME are kept in `named`.
vb::Variant Value(const std::string& v, std::map<std::string, host::PictureRef>& named) {
    if (v == "True" || v == "False") return vb::Boolean(v == "True");
    if (v == "font") return vb::Object(std::make_shared<vb::StdFont>("Tahoma", 8));
    if (v.starts_with("font:")) {
        const auto colon = v.rfind(':');
        return vb::Object(
            std::make_shared<vb::StdFont>(v.substr(5, colon - 5), std::stod(v.substr(colon + 1))));
    }
    if (v == "picture" || v.starts_with("pic:")) {
        auto& p = named[v == "picture" ? v + std::to_string(named.size()) : v];
        if (!p) p = std::make_shared<vb::StdPicture>(1, 1, std::vector<std::uint32_t>{0xFF000000u});
        return vb::Object(p);
    }
    if (v == "spev") return vb::Object(std::make_shared<SpEv>());
    if (v == "Nothing") return vb::Object();
    if (v[0] == '"') return Unescape(v.substr(1, v.size() - 2));
    if (v.find('e') != std::string::npos) return vb::Double(std::stod(v));
    if (v.find('.') != std::string::npos) return vb::Single(std::stof(v));
    return static_cast<vb::Long>(std::stol(v, nullptr, 0));
}

// A late-bound call of a member by name, or by dispatch id written #N.
template <class Target>
InvokeResult Call(Target& target, const std::string& member, vb::InvokeKind kind,
                  std::vector<vb::Variant>& args) {
    if (member.starts_with('#')) return Invoke(target, std::stol(member.substr(1)), kind, args);
    return Invoke(target, member, kind, args);
}

const std::map<std::string, vb::InvokeKind> kKinds{{"Get", vb::InvokeKind::PropertyGet},
                                                   {"Let", vb::InvokeKind::PropertyLet},
                                                   {"Set", vb::InvokeKind::PropertySet},
                                                   {"Method", vb::InvokeKind::Method}};

// The record's flags the stories set and read.
const std::map<std::string, vb::Boolean ButtonRecord::*> kFlags{
    {"bLoading", &ButtonRecord::bLoading},
    {"bHasFocus", &ButtonRecord::bHasFocus},
    {"bDefault", &ButtonRecord::bDefault}};

// The host's events the stories send, with the argument of the step.
const std::map<std::string, std::function<void(sheenButton&, const std::string&, vb::Long&)>>
    kEvents{{"UserControl_InitProperties",
             [](auto& b, auto&, auto&) { b.UserControl_InitProperties(); }},
            {"UserControl_Click", [](auto& b, auto&, auto&) { b.UserControl_Click(); }},
            {"UserControl_Paint", [](auto& b, auto&, auto&) { b.UserControl_Paint(); }},
            {"UserControl_Resize", [](auto& b, auto&, auto&) { b.UserControl_Resize(); }},
            {"UserControl_AmbientChanged",
             [](auto& b, auto& arg, auto&) { b.UserControl_AmbientChanged(arg); }},
            {"UserControl_OLECompleteDrag",
             [](auto& b, auto&, auto& effect) { b.UserControl_OLECompleteDrag(effect); }},
            {"About", [](auto& b, auto&, auto&) { b.About(); }},
            {"QI.About", [](auto& b, auto&, auto&) { b.Record().cQuickInfo->About(); }}};

class Story : public ::testing::TestWithParam<std::filesystem::path> {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override {
        SetSilentError(vb::False);
        SetQIFactory(nullptr);
        for (const auto& name : env) unsetenv(name.c_str());
        if (file_limit) FileLimit("none");
        if (saved_stdin >= 0) {
            dup2(saved_stdin, 0);
            close(saved_stdin);
        }
    }
    void Run();

    void New(bool fresh);
    vb::Variant Value(const std::string& text) {
        if (text.starts_with("list:")) return vb::Object(lists.at(text.substr(5)));
        return sheenwork::Value(text, pictures);
    }
    std::string Show(const vb::Variant& v) const;
    InvokeResult CallMember(const std::string& member, vb::InvokeKind kind,
                            std::vector<vb::Variant>& args) {
        if (member.starts_with("Error.")) return Call(ErrorObject(), member.substr(6), kind, args);
        return Call(b->button, member, kind, args);
    }
    vb::Variant Get(const std::string& name);
    void Step(const Row& row);

    std::optional<testing::RecordingServices> services{std::in_place};
    testing::TempDir tmp;
    std::vector<std::string> env;      // the variables the story set
    std::optional<rlimit> file_limit;  // the limit before the story's own
    void (*file_limit_signal)(int) = nullptr;
    int saved_stdin = -1;  // standard input while the story has it closed
    void FileLimit(const std::string& bytes);
    std::unique_ptr<ButtonFixture> b;
    std::map<std::string, host::PictureRef> pictures;
    testing::RecordingBag saved;
    host::AboutInfo shown;
    Log tips;
    std::map<std::string, std::shared_ptr<testing::ListBox>> lists;
    struct {
        std::string name, before;
        Log looks;
    } watched;  // a property and what it read before and at each repaint and notification
};

void Story::New(bool fresh) {
    b = fresh ? std::make_unique<ButtonFixture>(ButtonFixture::Fresh{})
              : std::make_unique<ButtonFixture>();
    b->site.on_about = [this](const host::AboutInfo& info) { shown = info; };
}

// A value as the stories write it.
std::string Story::Show(const vb::Variant& v) const {
    if (const auto* s = std::get_if<std::string>(&v)) return "\"" + *s + "\"";
    const auto* o = std::get_if<vb::Object>(&v);
    if (!o) return vb::CStr(v);
    if (o->IsNothing()) return "Nothing";
    if (const auto font = o->As<vb::StdFont>()) {
        std::ostringstream s;
        s << "font:" << font->Name() << ":" << font->Size();
        return s.str();
    }
    for (const auto& [name, pic] : pictures)
        if (vb::Object(pic) == *o) return name;
    return "an object";
}

vb::Variant Story::Get(const std::string& name) {
    auto& holder = b->site.Holder();
    if (name == "Image1.Picture")
        return holder.Picture() ? vb::Object(holder.Picture()) : vb::Object();
    if (name == "Image1.Width") return holder.Width();
    if (name == "Surface.ScaleWidth") return b->site.Surface().ScaleWidth();
    if (name.starts_with("rec.")) return b->button.Record().*kFlags.at(name.substr(4));
    std::vector<vb::Variant> none;
    const auto got = CallMember(name, vb::InvokeKind::PropertyGet, none);
    EXPECT_EQ(got.error, 0) << name;
    return got.value;
}

// "verb words..." of the first cell, the rest of the line after the verb and first word.
void Story::Step(const Row& row) {
    std::istringstream words(row[0]);
    std::string verb, name, rest;
    words >> verb >> name;
    std::getline(words >> std::ws, rest);
    const auto cell = [&](std::size_t i) { return i < row.size() ? row[i] : std::string(); };
    const auto list = [&](std::size_t i) { return Split(cell(i)); };
    // The site's log entries that start with one of the prefixes "a,b" ("*" every one).
    const auto only = [&](std::string prefixes) {
        std::replace(prefixes.begin(), prefixes.end(), ',', '\n');
        std::vector<std::string> each;
        std::istringstream lines(prefixes);
        for (std::string p; std::getline(lines, p);) each.push_back(p == "*" ? "" : p);
        return b->site.log.Only(each);
    };
    const auto boolean = [](const std::string& s) { return vb::Boolean(s == "True"); };

    if (verb == "new" || verb == "fresh") {
        New(verb == "fresh");
    } else if (verb == "let") {
        std::vector<vb::Variant> args{Value(rest)};
        const bool object = std::holds_alternative<vb::Object>(args[0]);
        const auto kind = object ? vb::InvokeKind::PropertySet : vb::InvokeKind::PropertyLet;
        EXPECT_EQ(Invoke(b->button, name, kind, args).error,
                  row.size() > 1 ? std::stol(row[1]) : 0);
    } else if (verb == "get") {
        EXPECT_EQ(Show(Get(name)), Show(Value(rest)));
    } else if (verb == "prefix") {
        EXPECT_EQ(Show(b->button.GetPrefixText()), Show(Value(row[1])));
    } else if (verb == "rec") {
        b->button.Record().*kFlags.at(name) = boolean(rest);
    } else if (verb == "site") {
        if (name == "parent_font") b->site.parent_font = nullptr;
        if (name == "right_to_left") b->site.right_to_left = boolean(rest);
        if (name == "extender_default") b->site.extender_default = boolean(rest);
    } else if (verb == "holder") {
        std::istringstream size(rest);
        float w = 0, h = 0;
        size >> w >> h;
        if (name == "natural")
            b->site.Holder().NaturalSize(w, h);
        else
            b->site.Holder().Picture(std::make_shared<vb::StdPicture>(
                int(w), int(h), std::vector<std::uint32_t>(std::size_t(w * h))));
    } else if (verb == "do") {
        vb::Long effect = rest.empty() || !std::isdigit(rest[0]) ? 0 : std::stol(rest);
        kEvents.at(name)(b->button, rest, effect);
        if (row.size() > 1) {
            EXPECT_EQ(std::to_string(effect), row[1]);
        }
    } else if (verb == "log" || verb == "logfrom") {
        Log got = only(name);
        const Log want = list(1);
        if (verb == "logfrom" && !want.empty())
            got.erase(got.begin(), std::find(got.begin(), got.end(), want[0]));
        EXPECT_EQ(got, want);
    } else if (verb == "first" || verb == "last") {
        const Log got = only(name);
        ASSERT_FALSE(got.empty());
        EXPECT_TRUE((verb == "first" ? got.front() : got.back()).starts_with(row[1])) << row[1];
    } else if (verb == "rn") {
        EXPECT_EQ(b->RepaintsAndNotifications(), list(1));
    } else if (verb == "watch") {
        watched = {name, Show(Get(name)), {}};
        const auto look = [this] { watched.looks.push_back(Show(Get(watched.name))); };
        b->site.on_property_changed = [look](const std::string&) { look(); };
        b->painters->on_body = look;
    } else if (verb == "seen") {
        const std::string now = Show(Get(watched.name));
        EXPECT_NE(now, watched.before) << "choose a value that differs";
        for (const auto& look : watched.looks) EXPECT_EQ(look, now) << "stored too late";
    } else if (verb == "clear") {
        b->site.log.Clear();
        shown = {};
    } else if (verb == "fail") {
        b->site.FailOn(name, rest.empty() ? 5 : std::stol(rest));
    } else if (verb == "unfail") {
        b->site.ClearFailures();
    } else if (verb == "silent") {
        SetSilentError(boolean(name));
    } else if (verb == "theme") {
        services->theme.reset();
        if (name != "none") services->theme = system::ThemeName{"", Unescape(name), ""};
    } else if (verb == "version") {
        unsigned major = 0, minor = 0, build = 0, platform = 0;
        char dot;
        std::istringstream(name + " " + rest) >> major >> dot >> minor >> dot >> build >> platform;
        services->version = system::VersionInfo{major, minor, build, platform};
    } else if (verb == "library") {
        services->library_path = name;
    } else if (verb == "file") {
        std::filesystem::create_directories(std::filesystem::path(name).parent_path());
        std::ofstream(name, std::ios::binary) << Unescape(rest);
    } else if (verb == "boxes") {
        EXPECT_EQ(services->boxes.size(), std::stoul(name));
    } else if (verb == "box" || verb == "report" || verb == "text" || verb == "title") {
        const auto i = std::stoul(name);
        ASSERT_LT(i, services->boxes.size());
        const auto& box = services->boxes[i];
        if (verb == "box") {
            EXPECT_NE(box.text.find(Unescape(row[1])), std::string::npos) << box.text;
        } else if (verb == "text") {
            EXPECT_EQ(box.text, Unescape(row[1]));
        } else if (verb == "title") {
            EXPECT_EQ(box.title, row[1]);
            EXPECT_EQ(box.style, std::stoi(row[2]));
        } else {
            EXPECT_EQ(box.text,
                      ErrorReportText(std::stol(row[1]), row[2], row[3], 0, row[4], row[5]));
        }
    } else if (verb == "calls") {
        EXPECT_EQ(services->calls, list(1));
        services->calls.clear();
    } else if (verb == "onclick") {
        b->events.on_click = [this, name, rest] {
            if (name == "raise")
                vb::Raise(std::stol(rest));
            else
                b->site.log.Add("Seen " + rest + " " + Show(Get(rest)));
        };
    } else if (verb == "tips") {
        if (row.size() > 1 || name.empty()) {
            EXPECT_EQ(tips, list(1));
            tips.clear();
        } else if (name == "off") {
            SetQIFactory(nullptr);
        } else {
            SetQIFactory([this, name]() -> std::shared_ptr<QI> {
                tips.push_back("new manager");
                if (name == "none") return nullptr;
                return std::make_shared<SpyTips>(tips, name == "failing");
            });
        }
    } else if (verb == "load") {
        host::MemoryPropertyBag bag;
        for (const auto& kv : list(1)) {
            const auto eq = kv.find('=');
            bag.WriteProperty(kv.substr(0, eq), Value(kv.substr(eq + 1)), {});
        }
        b->site.log.Clear();
        b->button.UserControl_ReadProperties(bag);
    } else if (verb == "save") {
        saved = {};
        b->button.UserControl_WriteProperties(saved);
        if (!name.empty()) {
            EXPECT_EQ(saved.writes.size(), std::stoul(name));
        }
        if (row.size() > 1) {
            EXPECT_EQ(saved.Written(), list(1));
        }
    } else if (verb == "saved") {
        ASSERT_LT(std::stoul(name), saved.writes.size());
        EXPECT_EQ(saved.writes[std::stoul(name)].key, row[1]);
    } else if (verb == "about") {
        EXPECT_EQ(shown.control + " " + shown.version, row[1]);
        EXPECT_EQ(shown.product, row[2]);
        EXPECT_EQ(shown.years, row[3]);
        EXPECT_EQ(shown.links.size(), std::stoul(row[4]));
    } else if (verb == "links") {
        std::istringstream which(name + " " + rest);
        for (std::size_t i; which >> i;) {
            ASSERT_LT(i, shown.links.size());
            host::OpenAboutLink(shown.links[i]);
        }
    } else if (verb == "spev") {
        // The arguments: values apart at blanks outside quotes.
        std::vector<vb::Variant> args;
        for (std::size_t at = 0; at < rest.size();) {
            const std::size_t end =
                std::min(rest[at] == '"' ? rest.find('"', at + 1) : rest.find(' ', at),
                         rest.size() - (rest[at] == '"')) +
                (rest[at] == '"');
            args.push_back(Value(rest.substr(at, end - at)));
            at = rest.find_first_not_of(' ', end);
        }
        const std::size_t given = args.size();
        const auto got = Call(SpEvObject(), name, vb::InvokeKind::Method, args);
        EXPECT_EQ(args.size(), given) << "the defaults stay with the callee";
        if (cell(1).starts_with("error ")) {
            EXPECT_EQ(got.error, std::stol(cell(1).substr(6)));
        } else {
            EXPECT_EQ(got.error, 0) << got.description;
            if (row.size() > 1) {
                EXPECT_EQ(Show(got.value), Show(Value(row[1])));
            }
        }
    } else if (verb == "call") {
        std::istringstream member_and_value(rest);
        std::string member, value;
        member_and_value >> member;
        std::getline(member_and_value >> std::ws, value);
        std::vector<vb::Variant> args;
        if (!value.empty()) args.push_back(Value(value));
        const auto got = CallMember(member, kKinds.at(name), args);
        EXPECT_EQ(got.error, std::stol(row[1]));
        if (row.size() > 2) {
            EXPECT_EQ(got.description, row[2]);
        }
    } else if (verb == "list") {
        lists[name] = std::make_shared<testing::ListBox>();
        lists[name]->items = list(1);
    } else if (verb == "items") {
        EXPECT_EQ(lists.at(name)->items, list(1));
    } else if (verb == "read") {
        EXPECT_EQ(testing::ReadFile(name), Unescape(cell(1)));
    } else if (verb == "fifo") {
        ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
    } else if (verb == "key") {
        services->key_state[std::stoi(name)] =
            static_cast<std::int16_t>(std::stoi(rest, nullptr, 0));
    } else if (verb == "errorlog") {
        services->SetErrorLog(std::get<std::string>(Value(row[0].substr(verb.size() + 1))));
    } else if (verb == "handler") {
        ErrorHandler(std::stol(name), row[1], row[2], row.size() > 5 ? std::stol(row[5]) : 0,
                     row[3], row[4]);
    } else if (verb == "procedure") {
        std::istringstream words_after(rest);
        std::string kind, module;
        words_after >> kind >> module;
        const std::map<std::string, ModuleKind> kinds{
            {"UserControl", ModuleKind::UserControl},
            {"ClassModule", ModuleKind::ClassModule},
            {"StandardModule", ModuleKind::StandardModule}};
        Log ran;
        Procedure procedure{name, kinds.at(kind), module};
        for (const std::string& step : list(1))
            procedure([&] {
                std::istringstream actions(step);
                for (std::string action, argument; actions >> action;) {
                    if (action == "memory") throw std::bad_alloc();
                    if (action == "other") throw 42;
                    std::getline(actions >> std::ws, argument, action == "fail" ? '\n' : ' ');
                    if (action == "fail") throw std::runtime_error(argument);
                    if (action == "raise") vb::Raise(std::stol(argument));
                    ran.push_back(argument);
                }
            });
        EXPECT_EQ(ran, list(2));
        EXPECT_EQ(procedure.Ended(), row[3] == "True");
    } else if (verb == "components") {
        const std::string folder = SHEENWORK_TEST_COMPONENT_DIR;
        ASSERT_TRUE(std::filesystem::exists(
            folder + "/" + system::ComponentFileName("SheenlineErrorHandler.ErrorHandler")))
            << "the test component is built with the tests";
        services.emplace(std::vector<std::string>{folder});
    } else if (verb == "env") {
        setenv(name.c_str(), rest.c_str(), 1);
        env.push_back(name);
    } else if (verb == "filelimit") {
        FileLimit(name);
    } else if (verb == "nostdin") {
        saved_stdin = dup(0);
        close(0);
    } else if (verb == "exists" || verb == "empty") {
        const bool yes =
            verb == "exists" ? std::filesystem::exists(name) : std::filesystem::is_empty(name);
        EXPECT_EQ(yes, row[1] == "True");
    } else if (verb == "has") {
        EXPECT_NE(testing::ReadFile(name).find(Unescape(row[1])), std::string::npos);
    } else if (verb == "remove") {
        std::filesystem::remove(name);
    } else if (verb == "mkdir") {
        std::filesystem::create_directories(name);
    } else if (verb == "link") {
        std::filesystem::create_symlink(name, rest);
    } else {
        ADD_FAILURE() << "unknown step " << verb;
    }
}

// A limit on the size of files written (their signal ignored, the write fails instead), or
// "none": the limit as it was.
void Story::FileLimit(const std::string& bytes) {
    if (bytes == "none") {
        ASSERT_TRUE(file_limit);
        setrlimit(RLIMIT_FSIZE, &*file_limit);
        std::signal(SIGXFSZ, file_limit_signal);
        file_limit.reset();
        return;
    }
    file_limit.emplace();
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &*file_limit), 0);
    file_limit_signal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = *file_limit;
    small.rlim_cur = std::stoul(bytes);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
}

void Story::Run() {
    const std::string source = SHEENWORK_SOURCE_DIR;
    New(false);
    for (Row row : testing::ReadTable("props/" + GetParam().filename().string())) {
        for (auto& c : row.cells) {
            for (std::size_t at; (at = c.find("$TMP")) != std::string::npos;)
                c.replace(at, 4, tmp.Path().string());
            for (std::size_t at; (at = c.find("$SRC")) != std::string::npos;)
                c.replace(at, 4, source);
        }
        SCOPED_TRACE(row.where + ": " + row[0]);
        Step(row);
    }
}

TEST_P(Story, RunsAsWritten) { Run(); }

INSTANTIATE_TEST_SUITE_P(Props, Story, ::testing::ValuesIn(testing::Stories("props", ".txt")),
                         [](const auto& info) { return testing::StoryTestName(info.param); });

}  // namespace
}  // namespace sheenwork
