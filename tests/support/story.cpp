#include "support/story.h"

#include <sheenwork/vb/variant.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sheenwork::testing {
namespace {

std::string WithData(std::string s) {
    for (std::size_t at; (at = s.find("$DATA")) != std::string::npos;)
        s.replace(at, 5, SHEENWORK_TEST_DATA_DIR);
    return s;
}

void SetProperties(runtime::Form& form, const std::string& name, const std::string& rest,
                   const std::string& line) {
    for (const auto& [key, value] : Assignments(rest)) {
        runtime::Window* w = form.Find(name);
        const auto object = w ? w->Instance() : nullptr;
        if (!object) throw std::runtime_error(line + ": no control to set");
        std::vector<vb::Variant> args{vb::Variant(value)};
        const auto result = object->Invoke(key, vb::InvokeKind::PropertyLet, args);
        if (result.error != 0) throw std::runtime_error(line + ": " + result.description);
    }
}

}  // namespace

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
        if (part == 1) {
            story.sections.back().script += line + "\n";
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        (part == 0 ? story.setup : story.sections.back().expected).push_back(line);
    }
    return story;
}

std::vector<std::filesystem::path> Stories() {
    std::vector<std::filesystem::path> out;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(SHEENWORK_TEST_DATA_DIR) + "/runtime"))
        if (e.path().extension() == ".story") out.push_back(e.path());
    std::sort(out.begin(), out.end());
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

runtime::Form& BuildStoryForm(runtime::Runtime& runtime, const Story& story,
                              const ControlHook& on_control, const LineHook& other,
                              host::FontRef font) {
    runtime::Form* form = nullptr;
    const auto create = [&](runtime::Position at, runtime::Size size) {
        form = &runtime.CreateForm("Form1", at, size);
        if (font) form->Font(font);
    };
    for (const auto& line : story.setup) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "form") {
            int l, t, w, h;
            words >> l >> t >> w >> h;
            create({l, t}, {w, h});
            continue;
        }
        if (!form) create({100, 100}, {300, 200});
        std::string name;
        words >> name;
        if (verb == "control") {
            std::string cls;
            int l, t, w, h;
            words >> cls >> l >> t >> w >> h;
            runtime::Window& win = form->Add(cls, name, {l, t}, {w, h});
            if (on_control) on_control(win);
            for (std::string option; words >> option;) {
                if (option == "hidden") win.Visible(false);
                if (option == "disabled") win.Site().SurfaceEnabled(vb::False);
                if (option == "notab") win.TabStop(false);
                if (option.rfind("tab=", 0) == 0) win.TabIndex(std::stoi(option.substr(4)));
            }
        } else if (verb == "set") {
            SetProperties(*form, name, line.substr(line.find(name) + name.size()), line);
        } else if (verb == "default") {
            form->DefaultButton(form->Find(name));
        } else if (verb == "cancel") {
            form->CancelButton(form->Find(name));
        } else if (!other || !other(*form, verb, name, line)) {
            throw std::runtime_error(story.name + ": unknown set-up line " + line);
        }
    }
    if (!form) create({100, 100}, {300, 200});
    return *form;
}

std::vector<std::string> ExpectedEvents(const Section& section) {
    std::vector<std::string> out;
    for (const auto& line : section.expected)
        if (line.rfind("pixel ", 0) != 0 && line.rfind("fields ", 0) != 0) out.push_back(line);
    return out;
}

std::string StoryTestName(const std::filesystem::path& path) {
    std::string name = path.stem().string();
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

}  // namespace sheenwork::testing
