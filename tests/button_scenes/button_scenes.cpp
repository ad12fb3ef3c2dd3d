#include "button_scenes.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <stdexcept>

#include "render/basButton.h"
#include "support/button_fixture.h"
#include "support/recording_site.h"

namespace sheenwork::scenes {
namespace {

using Words = std::vector<std::string>;
using Lines = std::vector<Words>;
[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

// A constant of the type library's enumerations, or a number or constant of a scene line.
long Number(const std::string& word) {
    for (const EnumInfo& e : Enumerations())
        for (const EnumMember& m : e.members)
            if (word == m.name) return m.value;
    return scenes::Number(word);
}

// Sets one field of the record from the words after "=".
using Setter = std::function<void(testing::RecordingSite&, ButtonRecord&, const Words&)>;

template <typename T>
Setter Field(T ButtonRecord::*field) {
    return [field](testing::RecordingSite& site, ButtonRecord& r, const Words& w) {
        T& f = r.*field;
        if constexpr (std::is_same_v<T, vb::Boolean>) {
            if (w[0] != "True" && w[0] != "False") Fail("True or False: " + w[0]);
            f = vb::Boolean(w[0] == "True");
        } else if constexpr (std::is_same_v<T, std::string>) {
            f = Unquote(w[0]);
        } else if constexpr (std::is_same_v<T, vb::Single>) {
            f = std::stof(w[0]);
        } else if constexpr (std::is_same_v<T, host::FontRef>) {
            if (w[0] == "Nothing") {
                f = nullptr;
                return;
            }
            if (w.size() != 3 || w[0] != "font") Fail("font \"NAME\" SIZE");
            f = std::make_shared<vb::StdFont>(Unquote(w[1]), std::stod(w[2]));
        } else if constexpr (std::is_same_v<T, host::PictureRef>) {
            if (w[0] == "Picture") {
                f = r.Picture;
                return;
            }
            std::string key;
            for (const std::string& word : w) key += (key.empty() ? "" : " ") + word;
            f = ScenePicture(key);
            site.Holder().Picture(f);
            site.Holder().NaturalSize(static_cast<float>(f->PixelWidth()),
                                      static_cast<float>(f->PixelHeight()));
        } else {
            f = static_cast<T>(Number(w[0]));
        }
    };
}

#define F(name) \
    { #name, Field(&ButtonRecord::name) }
const std::map<std::string, Setter>& Fields() {
    // clang-format off
    static const std::map<std::string, Setter> fields = {
        F(CaptionAlign), F(CaptionLeft), F(CaptionTop), F(Caption), F(BackColor), F(BackColorOver),
        F(BackColorDown), F(BackColorDis), F(Enabled), F(Font), F(FontDown), F(ForeColor),
        F(ForeColorOver), F(ForeColorDown), F(FontOnMouseOver), F(PictureAlign), F(Picture),
        F(PictureDown), F(PictureDis), F(PictureOver), F(PictureShow), F(PictureTop),
        F(PictureLeft), F(PictureWidth), F(PictureHeight), F(RealPicSize), F(PictureInFront),
        F(RightToLeft), F(ColorStyle), F(CornerColor), F(ForeColorDis), F(MoveCaptionAtDown),
        F(ButtonStyle), F(OfficeBorder), F(OfficeBorderDown), F(OfficeBackColor),
        F(OfficeBackColorDown), F(BorderColor), F(FocusRect), F(HoverRect), F(FocusRectColor),
        F(HoverRectColor), F(Value), F(MaskColor), F(UseMaskColor), F(AllPicturesSame),
        F(OfficeBorderOnMouseOut), F(DropDown), F(DropDownColor), F(DropDownSize), F(DropDownAlign),
        F(DropDownSeparator), F(DropDownSeparatorColor), F(bDefault), F(bHasFocus), F(sState),
        F(sDropDownState), F(bMouseOver), F(bMouseEntered), F(bSpaceDown), F(picCurrent), F(sngX), F(sngY),
        F(bLoading), F(AutoXPMouseIcons), F(URL), F(MousePointer),
    };
    // clang-format on
    return fields;
}
#undef F

Scene Button(std::string name, int w, int h, Lines lines) {
    Scene s;
    s.name = std::move(name);
    s.width = w;
    s.height = h;
    s.draw = [w, h, lines = std::move(lines)](gdi::Gdi& gdi, gdi::Hdc dc) {
        testing::RecordingSite site(gdi, w, h);
        sheenButton button(site);
        // The first paint of a fresh surface, as real GDI shows it.
        ButtonRecord& r = button.Record() = testing::NewInstanceRecord();
        r.Caption.clear();
        for (const Words& line : lines) Assign(site, r, line);
        button.Redraw(0);
        gdi.BitBlt(dc, 0, 0, w, h, site.Surface().hDC(), 0, 0, gdi::SRCCOPY);
        return std::vector<std::int32_t>{};
    };
    return s;
}

// Reads the files of blocks, lists and groups into scenes.
void ReadButtons(const std::string& folder, std::vector<Scene>& out) {
    std::map<std::string, Lines> blocks;
    std::map<std::string, std::vector<std::pair<std::string, Lines>>> lists;
    struct Group {
        std::string name;
        Words sizes;
        Lines lines;
    };
    std::vector<Group> groups;
    Lines* into = nullptr;
    std::vector<std::pair<std::string, Lines>>* list = nullptr;
    for (const Line& line : ReadLines(folder)) {
        const Words& w = line.words;
        if (w[0] == "block" && w.size() == 2) {
            into = &blocks[w[1]];
            list = nullptr;
        } else if (w[0] == "list" && w.size() == 2) {
            list = &lists[w[1]];
            into = nullptr;
        } else if (w[0] == "item" && w.size() == 2 && list != nullptr) {
            list->push_back({w[1], {}});
            into = &list->back().second;
        } else if (w[0] == "group" && w.size() >= 3) {
            groups.push_back({w[1], Words(w.begin() + 2, w.end()), {}});
            into = &groups.back().lines;
            list = nullptr;
        } else if (into == nullptr) {
            Fail(line.where + ": a line outside a block, item or group");
        } else {
            into->push_back(w);
        }
    }
    // A group's scenes: every combination of the items of its `each` lines, then sizes.
    for (const Group& g : groups) {
        std::vector<std::pair<std::string, Lines>> combos{{g.name, {}}};
        const std::function<void(const Lines&, std::vector<std::pair<std::string, Lines>>&)>
            expand = [&](const Lines& lines, std::vector<std::pair<std::string, Lines>>& cs) {
                for (const Words& line : lines) {
                    if (line[0] == "use") {
                        if (!blocks.count(line.at(1))) Fail(g.name + ": no block " + line[1]);
                        expand(blocks[line[1]], cs);
                    } else if (line[0] == "each") {
                        if (!lists.count(line.at(1))) Fail(g.name + ": no list " + line[1]);
                        std::vector<std::pair<std::string, Lines>> next;
                        for (const auto& c : cs)
                            for (const auto& [item, item_lines] : lists[line[1]]) {
                                next.push_back({c.first + "/" + item, c.second});
                                std::vector<std::pair<std::string, Lines>> one{next.back()};
                                expand(item_lines, one);
                                next.back() = one[0];
                            }
                        cs = std::move(next);
                    } else {
                        for (auto& c : cs) c.second.push_back(line);
                    }
                }
            };
        expand(g.lines, combos);
        for (const auto& [name, lines] : combos)
            for (const std::string& size : g.sizes) {
                const auto x = size.find('x');
                out.push_back(Button(name + "/" + size, std::stoi(size),
                                     std::stoi(size.substr(x + 1)), lines));
            }
    }
}

}  // namespace

const Verbs& ControlVerbs() {
    static const Verbs verbs = {{"TransBlt", [](Calls& c, const Words& w) {
                                     TransBlt(c.g, c.Dc(w.at(0)), c.Int(w.at(1)), c.Int(w.at(2)),
                                              c.Int(w.at(3)), c.Int(w.at(4)), c.Dc(w.at(5)),
                                              c.Int(w.at(6)), c.Int(w.at(7)), c.Int(w.at(8)));
                                     return 1L;
                                 }}};
    return verbs;
}

host::PictureRef ScenePicture(const std::string& name) {
    static const auto pictures = [] {
        std::map<std::string, host::PictureRef> out;
        std::string key;
        int width = 0, height = 0;
        vb::PictureType type = vb::PictureType::None;
        std::vector<std::uint32_t> argb;
        const auto add = [&] {
            if (argb.size() != static_cast<std::size_t>(width) * height)
                Fail("picture " + key + ": not " + std::to_string(height) + " rows of " +
                     std::to_string(width));
            out[key] = std::make_shared<vb::StdPicture>(width, height, std::move(argb), type);
            argb.clear();
        };
        for (const Line& line : ReadLines(SceneRoot() + "/pictures")) {
            const Words& w = line.words;
            if (w[0] != "picture") {
                for (const std::string& pixel : w)
                    argb.push_back(static_cast<std::uint32_t>(std::stoul(pixel, nullptr, 16)));
                continue;
            }
            if (!key.empty()) add();
            if (w.size() != 5) Fail(line.where + ": picture \"NAME\" WIDTH HEIGHT TYPE");
            key = Unquote(w[1]);
            width = std::stoi(w[2]);
            height = std::stoi(w[3]);
            type = w[4] == "icon"     ? vb::PictureType::Icon
                   : w[4] == "bitmap" ? vb::PictureType::Bitmap
                                      : vb::PictureType::None;
        }
        add();
        return out;
    }();
    const auto it = pictures.find(name);
    if (it == pictures.end()) Fail("no picture " + name);
    return std::make_shared<vb::StdPicture>(*it->second);
}

// One scene's lines: assignments, and Image1 = WxH.
void Assign(testing::RecordingSite& site, ButtonRecord& r, const Words& w) {
    if (w.size() < 3 || w[1] != "=") Fail("FIELD = VALUE");
    const Words value(w.begin() + 2, w.end());
    if (w[0] == "Image1") {
        site.Holder().Stretch(vb::True);
        site.Holder().Width(std::stof(value[0]));
        site.Holder().Height(std::stof(value[0].substr(value[0].find('x') + 1)));
        return;
    }
    const auto it = Fields().find(w[0]);
    if (it == Fields().end()) Fail("the record has no field " + w[0]);
    it->second(site, r, value);
}

const std::vector<Scene>& ButtonScenes() {
    static const std::vector<Scene> all = [] {
        std::vector<Scene> out;
        ReadButtons(SceneRoot() + "/buttons", out);
        // TransBlt's scenes are drawing scenes with the control's TransBlt as one more call.
        for (Scene& s : ReadScenes(SceneRoot() + "/transblt", kSentinel, &ControlVerbs()))
            out.push_back(std::move(s));
        return out;
    }();
    return all;
}

}  // namespace sheenwork::scenes
