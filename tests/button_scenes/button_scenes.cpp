#include "button_scenes.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "render/basButton.h"
#include "support/button_fixture.h"
#include "support/recording_site.h"

namespace sheenwork::scenes {
namespace {

using Words = std::vector<std::string>;
using Lines = std::vector<Words>;
[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

long Number(const std::string& word);

// The pictures a scene can name, made here so that the scenes need no decoder.
host::PictureRef MakePicture(const Words& w) {
    std::vector<std::uint32_t> px;
    if (w[0] == "diamond") {  // see the comment above the picture states
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int d = std::abs(2 * x - 15) + std::abs(2 * y - 15);  // even, 2 .. 30
                std::uint32_t c = 0xFFFF00FFu;
                if (d > 3 && d <= 13)
                    c = 0xFF2050C0u + static_cast<std::uint32_t>(y * 4) * 0x100u;
                else if (d > 13 && d <= 15)
                    c = 0xFF000000u;
                px.push_back(x == 5 && y == 6 ? 0xFFFFFFFFu : c);
            }
        return std::make_shared<vb::StdPicture>(16, 16, std::move(px));
    }
    if (w[0] == "disc") {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double a = std::clamp((7.5 - std::hypot(x - 7.5, y - 7.5)) / 3.0, 0.0, 1.0);
                px.push_back(static_cast<std::uint32_t>(std::lround(a * 255.0)) << 24 |
                             0x0030B040u);
            }
        return std::make_shared<vb::StdPicture>(16, 16, std::move(px), vb::PictureType::Icon);
    }
    if (w[0] == "soft") {  // 5 x 3: opaque red, half green, clear blue, opaque mask
        // colour, quarter white in each row; an icon with `soft icon`
        for (int i = 0; i < 3; ++i)
            px.insert(px.end(), {0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFF00FFu, 0x40FFFFFFu});
        return std::make_shared<vb::StdPicture>(
            5, 3, std::move(px),
            w.size() > 1 && w[1] == "icon" ? vb::PictureType::Icon : vb::PictureType::Bitmap);
    }
    if (w[0] == "solid" && w.size() > 1)  // 16 x 16 of one colour, 0xAARRGGBB
        return std::make_shared<vb::StdPicture>(
            16, 16, std::vector<std::uint32_t>(256, static_cast<std::uint32_t>(Number(w[1]))));
    if (w[0] == "pattern" && w.size() > 1) {  // opaque; mask colour on every fourth diagonal,
        // a black column at x = 2, elsewhere a colour naming the position
        const int pw = std::stoi(w[1]), ph = std::stoi(w[1].substr(w[1].find('x') + 1));
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x)
                px.push_back((x + y) % 4 == 0 ? 0xFFFF00FFu
                             : x == 2         ? 0xFF000000u
                                              : 0xFF000040u | static_cast<std::uint32_t>(
                                                          (x * 7) << 16 | ((y * 9) & 0xFF) << 8));
        return std::make_shared<vb::StdPicture>(pw, ph, std::move(px));
    }
    if (w[0] != "weave" || w.size() < 2) Fail("no picture " + w[0]);
    const int pw = std::stoi(w[1]), ph = std::stoi(w[1].substr(w[1].find('x') + 1));
    const bool translucent = w.size() > 2 && w[2] == "translucent";
    static constexpr std::uint32_t kAlpha[] = {255, 160, 60, 0};
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x) {
            std::uint32_t c = 0xFFFFFFu, a = translucent ? kAlpha[x % 4] : 255u;
            if (x < 2 || y < 2 || x >= pw - 2 || y >= ph - 2 || (x * 7 + y * 3) % 11 == 0) {
                c = 0xFF00FFu;
                if (translucent) a = 0;
            } else if (x >= pw / 2 && y < ph / 2) {
                c = (x + y) % 2 == 0 ? 0x30C0F0u : 0xF06090u;
            } else if (x % 5 == 2) {
                c = 0x2060C0u;
            } else if (y % 4 == 1) {
                c = 0xC03020u;
            }
            px.push_back(a << 24 | c);
        }
    return std::make_shared<vb::StdPicture>(
        pw, ph, std::move(px), translucent ? vb::PictureType::Icon : vb::PictureType::Bitmap);
}

long Number(const std::string& word) {
    if (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-')
        return std::stol(word, nullptr, 0);
    for (const EnumInfo& e : Enumerations())
        for (const EnumMember& m : e.members)
            if (word == m.name) return m.value;
    Fail("not a number nor a constant: " + word);
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
            if (w.size() != 3 || w[0] != "font") Fail("font \"NAME\" SIZE");
            f = std::make_shared<vb::StdFont>(Unquote(w[1]), std::stod(w[2]));
        } else if constexpr (std::is_same_v<T, host::PictureRef>) {
            if (w[0] == "Picture") {
                f = r.Picture;
                return;
            }
            f = MakePicture(w);
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

long TransBltLine(Calls& c, const Words& w) {
    TransBlt(c.g, c.Dc(w[0]), c.Int(w[1]), c.Int(w[2]), c.Int(w[3]), c.Int(w[4]), c.Dc(w[5]),
             c.Int(w[6]), c.Int(w[7]), c.Int(w[8]));
    return 1;
}

}  // namespace

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
        static const Verbs verbs = {{"TransBlt", TransBltLine}};
        for (Scene& s : ReadScenes(SceneRoot() + "/transblt", kSentinel, &verbs))
            out.push_back(std::move(s));
        return out;
    }();
    return all;
}

}  // namespace sheenwork::scenes
