// The runtime's stories (tests/data/runtime/*.story): set-up lines that build a form,
// then sections of a script with what must follow from it. The headless runtime test
// replays them; the window tests replay them on screen and compare.
//
//   form L T W H                         the form's place and size (default 100 100 300 200)
//   control NAME CLASS L T W H [hidden] [disabled] [notab] [tab=N] [keys=K]
//   set NAME Prop=Value Prop="a value"   properties, late-bound as a program assigns them
//   default NAME / cancel NAME           the form's default and cancel buttons
#pragma once

#include <sheenwork/runtime/form.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sheenwork::testing {

// A section's "set NAME ..." lines (headless stories only) set properties before its
// script runs, as a program would between the user's steps.
struct Section {
    std::string script;
    std::vector<std::string> expected;
    std::vector<std::string> sets = {};
};

struct Story {
    std::string name;
    std::vector<std::string> setup;
    std::vector<Section> sections;
};

// The assignments of a "set" line after the control's name, as key and text:
// "Name=Value Name="a value"".
std::vector<std::pair<std::string, std::string>> Assignments(const std::string& rest);

// A story's or a table's text with \r, \n, \t, \0, \xHH and \\ made the bytes they stand
// for (a backslash before anything else stands for that character, one at the end for
// itself).
std::string Unescape(const std::string& text);

// `text` with each "$DATA" made the tests' data folder.
std::string WithData(std::string text);

// Reads a story; "$DATA" stands for the tests' data folder.
Story ReadStory(const std::filesystem::path& path);
// The stories of tests/data/runtime (the files of another folder under tests/data ending
// in `extension`), by name.
std::vector<std::filesystem::path> Stories(const std::string& folder = "runtime",
                                           const std::string& extension = ".story");
// The stories of tests/data/runtime a host can tell: every control of them of `classes`
// (then one of its first class at least; any class when it is empty), and no set-up verb
// beyond the form's, the controls' and the buttons' but `verbs`.
std::vector<std::filesystem::path> HostStories(const std::vector<std::string>& classes,
                                               const std::vector<std::string>& verbs);
// A story's name as a test's name: its file name, "-" as "_".
std::string StoryTestName(const std::filesystem::path& path);
// The access keys the set-up gives logging controls ("name=keys").
std::vector<std::string> AccessKeys(const Story& story);

// The place of a story's form when it names none.
inline constexpr gdi::Rect kStoryForm{100, 100, 400, 300};

// A host building a story's form, told the set-up line by line: the form first, then
// its controls (with their options: hidden, disabled, notab, tab=N, keys=K), each
// property assignment, the default and cancel buttons, and other verbs, which it says
// whether it knew. Throwing std::runtime_error stops the build.
class StoryBuilder {
public:
    virtual ~StoryBuilder() = default;
    virtual void Form(gdi::Rect screen) = 0;
    virtual void Control(const std::string& name, const std::string& cls, gdi::Rect rect,
                         const std::vector<std::string>& options) = 0;
    virtual void Set(const std::string& name, const std::string& key, const std::string& value,
                     const std::string& line) = 0;
    virtual void Default(const std::string& name) = 0;
    virtual void Cancel(const std::string& name) = 0;
    virtual bool Other(const std::string& verb, const std::string& name,
                       const std::string& line) = 0;
};
void BuildStory(const Story& story, StoryBuilder& builder);

// A property set late-bound as a story's `set` line does: a value "picture:PATH" is the
// picture loaded from PATH, Set; anything else a string the member converts, Let.
// Throws std::runtime_error with `line` and the member's error.
void SetLateBound(runtime::Object& object, const std::string& key, const std::string& value,
                  const std::string& line);

// Carries out "set NAME Prop=Value ..." lines on the controls of `form`.
void SetLines(runtime::Form& form, const std::vector<std::string>& lines);

// Builds the story's form on `runtime`; `other` gets the set-up lines of verbs not listed
// above and says whether it knew them, and `font`, when given, is the form's font, set
// before any control takes it as its container's. Throws std::runtime_error naming a line
// it cannot use.
using LineHook = std::function<bool(runtime::Form&, const std::string& verb,
                                    const std::string& name, const std::string& line)>;
runtime::Form& BuildStoryForm(runtime::Runtime& runtime, const Story& story,
                              const LineHook& other = {}, host::FontRef font = nullptr);

// The lines of a section that are events (not "fields", "pixel" or "popup" checks).
std::vector<std::string> ExpectedEvents(const Section& section);

// Checks a section against what ran: each "pixel NAME X Y RRGGBB" line against
// `pixel(name, x, y)` (nothing where there is no picture of NAME), each "fields NAME k=v ..." line
// against `field(name, k)` (unless `field` is empty), each "popup L T R B [PICTURE]" or "popup
// none" line against what `popup` (unless empty) makes of the words after "popup": the same words
// when the visible popups are so, and its events, in order, against `events`. With the test
// framework (support/story_play.cpp), apart from the rest, which the story hosts build without it.
using Lookup = std::function<std::string(const std::string& name, const std::string& what)>;
void ExpectSection(
    const Section& section, const std::vector<std::string>& events,
    const std::function<std::optional<gdi::ColorRef>(const std::string&, int, int)>& pixel,
    const Lookup& field, const std::function<std::string(const std::string&)>& popup = {});

}  // namespace sheenwork::testing
