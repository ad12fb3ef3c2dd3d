#include "support/story_play.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/runtime/keys.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/data.h"
#include "support/pictures.h"
#include "support/story_log.h"

namespace sheenwork::testing {

void ExpectSection(
    const Section& section, const std::vector<std::string>& events,
    const std::function<std::optional<gdi::ColorRef>(const std::string&, int, int)>& pixel,
    const Lookup& field, const std::function<std::string(const std::string&)>& popup) {
    for (const auto& line : section.expected) {
        std::istringstream words(line);
        std::string first, name;
        words >> first >> name;
        if (first == "pixel") {
            int x = 0, y = 0;
            std::string want;
            words >> x >> y >> want;
            const auto got = pixel(name, x, y);
            char hex[16];
            std::snprintf(hex, sizeof hex, "%06X", got.value_or(0));
            EXPECT_EQ(got ? hex : "no picture of " + name, want) << line;
        }
        if (first == "popup" && popup) {
            EXPECT_EQ(popup(line.substr(6)), line.substr(6)) << line;
        }
        for (std::string pair; first == "fields" && field && words >> pair;) {
            const auto eq = pair.find('=');
            EXPECT_EQ(field(name, pair.substr(0, eq)), pair.substr(eq + 1)) << line;
        }
    }
    EXPECT_EQ(events, ExpectedEvents(section));
}

runtime::Form& Linked::Load(const std::string& path, std::optional<gdi::Rect> at,
                            std::optional<runtime::Size> size) {
    runtime::FormFile file = runtime::ReadFormFile(path);
    if (at) file.position = runtime::PositionOf(*at);
    if (size) file.size = *size;
    return runtime::LoadForm(rt, file);
}

Headless::Headless(const Story& story, host::FontRef font, const GdiWrap& wrap) {
    if (wrap) wrapped = wrap(*raster);
    runtime = std::make_unique<runtime::Runtime>(clock, wrapped ? *wrapped : *raster,
                                                 LoggingFactory(log, AccessKeys(story)));
    const auto other = [this](runtime::Form& f, const std::string& verb, const std::string& name,
                              const std::string&) {
        if (verb == "paints")
            f.Find(name)->Native<sheenButton>()->SetPainters(
                std::make_shared<PaintLog>(name, *log));
        else if (verb == "timer")
            f.Find(name)->Site().tmrMouseInEnabled(vb::True);
        return verb == "paints" || verb == "timer";
    };
    form = &BuildStoryForm(*runtime, story, other, std::move(font));
}

HostKey HostKeyOf(int vk) {
    static const std::map<int, HostKey> named = [] {
        std::map<int, HostKey> out;
        for (const Row& row : ReadTable("input/host_keys.txt"))
            out[std::stoi(row[0], nullptr, 0)] = {row[1], std::stoi(row[2], nullptr, 0), row[3]};
        return out;
    }();
    if (const auto it = named.find(vk); it != named.end()) return it->second;
    const bool letter = vk >= 'A' && vk <= 'Z', digit = vk >= '0' && vk <= '9';
    const bool function = vk >= runtime::VK_F1 && vk < runtime::VK_F1 + 12;
    if (!letter && !digit && !function)
        throw std::runtime_error("no key of the hosts for virtual key " + std::to_string(vk));
    const std::string name = function ? "F" + std::to_string(vk - runtime::VK_F1 + 1)
                                      : std::string(1, static_cast<char>(vk));
    return {letter ? std::string(1, static_cast<char>(vk - 'A' + 'a')) : name, vk, name};
}

std::string PopupKey(long hwnd, gdi::Rect r) {
    std::ostringstream out;
    if (hwnd) out << hwnd << " ";
    out << r.left << " " << r.top << " " << r.right << " " << r.bottom;
    return out.str();
}

namespace {

using runtime::Step;

// A script's steps as a user's input to the host, at the places the headless form gives.
class Input {
public:
    Input(StoryScreen& host, runtime::Form& form) : host_(host), form_(form) {}

    void Run(const Step& s) {
        switch (s.kind) {
            case Step::Kind::Move: Move(s); break;
            case Step::Kind::Press: host_.Button(s.button, true); break;
            case Step::Kind::Release: host_.Button(s.button, false); break;
            case Step::Kind::Click:
                if (!s.target.empty() || s.at) Move(s);
                host_.Button(s.button, true);
                host_.Button(s.button, false);
                break;
            case Step::Kind::KeyDown: host_.Key(s.key, true); break;
            case Step::Kind::KeyUp: host_.Key(s.key, false); break;
            case Step::Kind::KeyPress: Press(s.key, false); break;
            case Step::Kind::Type:
                for (const char c : s.text) {
                    const auto k = *runtime::KeyForChar(c);
                    Press(k.vk, k.shift ? runtime::VK_LSHIFT : 0);
                }
                break;
            case Step::Kind::Alt: Press(s.key, runtime::VK_LMENU); break;
            case Step::Kind::Focus: host_.Focus(s.target); break;
            case Step::Kind::Wait: host_.Wait(s.millis); break;
        }
    }

private:
    // A key down and up, with `modifier` held around it when not 0.
    void Press(int vk, int modifier) {
        if (modifier) host_.Key(modifier, true);
        host_.Key(vk, true);
        host_.Key(vk, false);
        if (modifier) host_.Key(modifier, false);
    }
    void Move(const Step& s) {
        const gdi::Rect r =
            s.target.empty() ? form_.ScreenRect() : form_.Find(s.target)->ScreenRect();
        const gdi::Point p = s.at ? gdi::Point{r.left + s.at->x, r.top + s.at->y}
                             : s.target.empty()
                                 ? gdi::Point{r.left, r.top}
                                 : gdi::Point{r.left + r.Width() / 2, r.top + r.Height() / 2};
        if (p == cursor_) return;  // no motion, nothing for the host to tell
        cursor_ = p;
        host_.Move(p);
    }
    StoryScreen& host_;
    runtime::Form& form_;
    gdi::Point cursor_{0, 0};  // both sides start with the pointer in the corner
};

png::Image Picture(const std::vector<gdi::ColorRef>& pixels, gdi::Rect r, int scale) {
    return Magnified(pixels, r.Width(), r.Height(), scale);
}

}  // namespace

void PlayStory(const Story& story, Headless& headless, StoryScreen& host, bool events) {
    runtime::Form& form = *headless.form;
    runtime::Driver driver(*headless.runtime, form);
    Input input(host, form);
    const int scale = host.scale;
    for (std::size_t n = 0; n < story.sections.size(); ++n) {
        SCOPED_TRACE(story.name + ", section " + std::to_string(n + 1));
        const std::string where = host.name + "-" + story.name + " " + std::to_string(n + 1);
        const runtime::Script script = runtime::ParseScript(story.sections[n].script, story.name);
        for (const Step& step : script.steps) driver.Run(step, story.name);
        host.Begin();
        for (const Step& step : script.steps) input.Run(step);
        const std::vector<std::string> said = host.Events();

        // The form with its popups above it where the host shows them so, and each control.
        std::vector<gdi::ColorRef> composed = form.Compose();
        const gdi::Rect fr = form.ScreenRect();
        std::map<std::string, png::Image> popups;
        for (runtime::Popup* p : form.Popups()) {
            if (!p->Visible()) continue;
            const gdi::Rect r = p->ScreenRect();
            const auto px = p->Surface().Pixels();
            popups[PopupKey(host.by_handle ? p->Hwnd() : 0, r)] = Picture(px, r, scale);
            for (int y = std::max(r.top, fr.top);
                 host.popups_on_form && y < std::min(r.bottom, fr.bottom); ++y)
                for (int x = std::max(r.left, fr.left); x < std::min(r.right, fr.right); ++x)
                    composed[std::size_t(y - fr.top) * fr.Width() + (x - fr.left)] =
                        px[std::size_t(y - r.top) * r.Width() + (x - r.left)];
        }
        const png::Image want = Picture(composed, fr, scale);
        const std::optional<png::Image> shown = host.Form(fr, want);
        if (shown) {
            EXPECT_TRUE(SamePicture(*shown, want, where));
        }
        std::map<std::string, png::Image> controls;
        for (runtime::Window* w : form.Windows()) {
            if (auto picture = host.Control(w->Name())) {
                EXPECT_TRUE(SamePicture(*picture, Picture(w->Surface().Pixels(), w->Rect(), scale),
                                        where + " " + w->Name()));
                controls[w->Name()] = std::move(*picture);
            } else if (shown) {  // cut from the form's picture
                const gdi::Rect r = w->Rect();
                png::Image& cut = controls[w->Name()] = {r.Width() * scale, r.Height() * scale, {}};
                for (int y = r.top * scale; y < r.bottom * scale; ++y)
                    for (int x = r.left * scale; x < r.right * scale; ++x)
                        cut.pixels.push_back(shown->pixels[std::size_t(y) * shown->width + x]);
            }
        }
        ExpectSection(
            story.sections[n], events ? said : ExpectedEvents(story.sections[n]),
            [&](const std::string& name, int x, int y) -> std::optional<gdi::ColorRef> {
                if (!controls.count(name)) return std::nullopt;
                const png::Image& c = controls.at(name);
                return c.pixels[std::size_t(y * scale) * c.width + x * scale];
            },
            host.field);
        const std::map<std::string, png::Image> got = host.Popups(popups);
        const auto keys = [](const std::map<std::string, png::Image>& m) {
            std::vector<std::string> out;
            for (const auto& [key, picture] : m) out.push_back(key);
            return out;
        };
        EXPECT_EQ(keys(got), keys(popups)) << "the popups shown";
        for (const auto& [key, picture] : popups)
            if (got.count(key)) {
                EXPECT_TRUE(SamePicture(got.at(key), picture, where + " popup"));
            }
    }
    EXPECT_TRUE(headless.runtime->MessageBoxes().empty());
}

}  // namespace sheenwork::testing
