#include "support/story.h"

#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/description.h>
#include <sheenwork/vb/variant.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sheenwork::testing {
std::string WithData(std::string text) {
    for (std::size_t at; (at = text.find("$DATA")) != std::string::npos;)
        text.replace(at, 5, SHEENWORK_TEST_DATA_DIR);
    return text;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (const char c = text[++i]; c == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == '0' ? '\0' : c;
        }
    }
    return out;
}

// "Name=Value Name="a value"" after a control's name.
std::vector<std::pair<std::string, std::string>> Assignments(const std::string& rest) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t i = 0; i < rest.size();) {
        while (i < rest.size() && rest[i] == ' ') ++i;
        const auto eq = rest.find('=', i);
        if (eq == std::string::npos) break;
        const std::string key = rest.substr(i, eq - i);
        std::string value;
        std::size_t j = eq + 1;
        if (j < rest.size() && rest[j] == '"') {
            const auto close = rest.find('"', j + 1);
            value = rest.substr(j + 1, close - j - 1);
            j = close + 1;
        } else {
            const auto space = std::min(rest.find(' ', j), rest.size());
            value = rest.substr(j, space - j);
            j = space;
        }
        out.emplace_back(key, value);
        i = j;
    }
    return out;
}

namespace {

// Sets `key` of the control `name` of `form` to `value`, late-bound.
void SetOn(runtime::Form& form, const std::string& name, const std::string& key,
           const std::string& value, const std::string& line) {
    runtime::Window* w = form.Find(name);
    const auto object = w ? w->Instance() : nullptr;
    if (!object) throw std::runtime_error(line + ": no control to set");
    SetLateBound(*object, key, value, line);
}

// The form runtime as a story's host.
class RuntimeBuilder final : public StoryBuilder {
public:
    RuntimeBuilder(runtime::Runtime& runtime, const LineHook& other, host::FontRef font)
        : runtime_(runtime), other_(other), font_(std::move(font)) {}
    runtime::Form* form = nullptr;

    void Form(gdi::Rect screen) override {
        form = &runtime_.CreateForm("Form1", runtime::PositionOf(screen), runtime::SizeOf(screen));
        if (font_) form->Font(font_);
    }
    void Control(const std::string& name, const std::string& cls, gdi::Rect rect,
                 const std::vector<std::string>& options) override {
        runtime::Window& win =
            form->Add(cls, name, runtime::PositionOf(rect), runtime::SizeOf(rect));
        for (const std::string& option : options) {
            if (option == "hidden") win.Visible(false);
            if (option == "disabled") win.Site().SurfaceEnabled(vb::False);
            if (option == "notab") win.TabStop(false);
            if (option.rfind("tab=", 0) == 0) win.TabIndex(std::stoi(option.substr(4)));
        }
    }
    void Set(const std::string& name, const std::string& key, const std::string& value,
             const std::string& line) override {
        SetOn(*form, name, key, value, line);
    }
    void Default(const std::string& name) override { form->DefaultButton(form->Find(name)); }
    void Cancel(const std::string& name) override { form->CancelButton(form->Find(name)); }
    bool Other(const std::string& verb, const std::string& name, const std::string& line) override {
        return other_ && other_(*form, verb, name, line);
    }

private:
    runtime::Runtime& runtime_;
    const LineHook& other_;
    host::FontRef font_;
};

}  // namespace

void SetLateBound(runtime::Object& object, const std::string& key, const std::string& value,
                  const std::string& line) {
    const bool picture = value.rfind("picture:", 0) == 0;
    std::vector<vb::Variant> args{
        picture ? vb::Variant(vb::Object(picture::LoadPicture(value.substr(8))))
                : vb::Variant(value)};
    const auto result = object.Invoke(
        key, picture ? vb::InvokeKind::PropertySet : vb::InvokeKind::PropertyLet, args);
    if (result.error != 0) throw std::runtime_error(line + ": " + result.description);
}

Story ReadStory(const std::filesystem::path& path) {
    Story story{path.stem().string(), {}, {}};
    std::ifstream in(path, std::ios::binary);
    int part = 0;
    for (std::string line; std::getline(in, line);) {
        line = WithData(line);
        if (line.rfind("--- script", 0) == 0) {
            story.sections.emplace_back();
            part = 1;
            continue;
        }
        if (line.rfind("--- expect", 0) == 0) {
            part = 2;
            continue;
        }
        if (part == 1 && line.rfind("set ", 0) == 0) {
            story.sections.back().sets.push_back(line);
            continue;
        }
        if (part == 1) {
            story.sections.back().script += line + "\n";
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        (part == 0 ? story.setup : story.sections.back().expected).push_back(line);
    }
    return story;
}

std::vector<std::filesystem::path> Stories(const std::string& folder,
                                           const std::string& extension) {
    std::vector<std::filesystem::path> out;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(SHEENWORK_TEST_DATA_DIR) + "/" + folder))
        if (e.path().extension() == extension) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::filesystem::path> HostStories(const std::vector<std::string>& classes,
                                               const std::vector<std::string>& verbs) {
    const auto among = [](const std::vector<std::string>& list, const std::string& word) {
        return std::find(list.begin(), list.end(), word) != list.end();
    };
    std::vector<std::filesystem::path> out;
    for (const auto& path : Stories()) {
        const Story story = ReadStory(path);
        // A host replays the sections' scripts only: a story that sets properties between
        // them belongs with the headless runtime's own stories.
        for (const auto& section : story.sections)
            if (!section.sets.empty())
                throw std::runtime_error(path.string() + ": a section's set lines are carried " +
                                         "out by the headless runtime only; the story belongs " +
                                         "in runtime/headless");
        bool first = classes.empty(), others = false;
        for (const auto& line : story.setup) {
            std::istringstream words(line);
            std::string verb, name, cls;
            words >> verb >> name >> cls;
            if (verb == "control") {
                first = first || cls == classes.front();
                others = others || (!classes.empty() && !among(classes, cls));
            } else if (!among({"form", "set", "default", "cancel"}, verb)) {
                others = others || !among(verbs, verb);
            }
        }
        if (first && !others) out.push_back(path);
    }
    return out;
}

std::vector<std::string> AccessKeys(const Story& story) {
    std::vector<std::string> keys;
    for (const auto& line : story.setup) {
        const auto at = line.find(" keys=");
        if (line.rfind("control ", 0) == 0 && at != std::string::npos) {
            std::istringstream words(line);
            std::string verb, name;
            words >> verb >> name;
            keys.push_back(name + "=" + line.substr(at + 6, line.find(' ', at + 6) - at - 6));
        }
    }
    return keys;
}

void BuildStory(const Story& story, StoryBuilder& builder) {
    bool have_form = false;
    for (const auto& line : story.setup) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "form") {
            int l, t, w, h;
            words >> l >> t >> w >> h;
            builder.Form({l, t, l + w, t + h});
            have_form = true;
            continue;
        }
        if (!have_form) builder.Form(kStoryForm);
        have_form = true;
        std::string name;
        words >> name;
        if (verb == "control") {
            std::string cls;
            int l, t, w, h;
            words >> cls >> l >> t >> w >> h;
            std::vector<std::string> options;
            for (std::string option; words >> option;) options.push_back(option);
            builder.Control(name, cls, {l, t, l + w, t + h}, options);
        } else if (verb == "set") {
            std::string rest;
            std::getline(words, rest);
            for (const auto& [key, value] : Assignments(rest)) builder.Set(name, key, value, line);
        } else if (verb == "default") {
            builder.Default(name);
        } else if (verb == "cancel") {
            builder.Cancel(name);
        } else if (!builder.Other(verb, name, line)) {
            throw std::runtime_error(story.name + ": unknown set-up line " + line);
        }
    }
    if (!have_form) builder.Form(kStoryForm);
}

void SetLines(runtime::Form& form, const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        std::istringstream words(line.substr(4));
        std::string name, rest;
        words >> name;
        std::getline(words, rest);
        for (const auto& [key, value] : Assignments(rest)) SetOn(form, name, key, value, line);
    }
}

runtime::Form& BuildStoryForm(runtime::Runtime& runtime, const Story& story, const LineHook& other,
                              host::FontRef font) {
    RuntimeBuilder builder(runtime, other, std::move(font));
    BuildStory(story, builder);
    return *builder.form;
}

std::vector<std::string> ExpectedEvents(const Section& section) {
    std::vector<std::string> out;
    for (const auto& line : section.expected)
        if (const std::string verb = line.substr(0, line.find(' '));
            verb != "pixel" && verb != "fields" && verb != "popup")
            out.push_back(line);
    return out;
}

std::string StoryTestName(const std::filesystem::path& path) {
    std::string name = path.stem().string();
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

}  // namespace sheenwork::testing
