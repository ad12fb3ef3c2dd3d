#include "button_scenes.h"

#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>

#include "render/basButton.h"
#include "support/button_fixture.h"
#include "support/recording_site.h"

namespace sheenwork::scenes {

namespace {

using Setup = std::function<void(ButtonRecord&)>;

struct State {
    std::string name;
    Setup setup;
};

struct Size {
    int w, h;
};

// Distinct colours for the properties the custom, classic and flat looks read, so that
// a colour taken from the wrong property shows.
void OwnColors(ButtonRecord& r) {
    r.BackColor = 0x00D0E8F0;
    r.BackColorOver = 0x00C0F0D0;
    r.BackColorDown = 0x00A0C0E0;
    r.BackColorDis = 0x00C8C8C8;
    r.BorderColor = 0x00604020;
    r.CornerColor = 0x00FF00FF;
}

const std::vector<State>& XPStates() {
    static const std::vector<State> states = {
        {"normal", [](ButtonRecord&) {}},
        {"hover", [](ButtonRecord& r) { r.bMouseOver = vb::True; }},
        {"pressed",
         [](ButtonRecord& r) {
             r.sState = "down";
             r.bMouseOver = vb::True;
         }},
        {"pressed-outside", [](ButtonRecord& r) { r.sState = "down"; }},
        {"space",
         [](ButtonRecord& r) {
             r.bSpaceDown = vb::True;
             r.bHasFocus = vb::True;
         }},
        {"focused", [](ButtonRecord& r) { r.bHasFocus = vb::True; }},
        {"disabled", [](ButtonRecord& r) { r.Enabled = vb::False; }},
    };
    return states;
}

const std::vector<State>& OfficeStates() {
    static const std::vector<State> states = {
        {"normal", [](ButtonRecord&) {}},
        {"hover", [](ButtonRecord& r) { r.bMouseOver = vb::True; }},
        {"pressed",
         [](ButtonRecord& r) {
             r.sState = "down";
             r.bMouseOver = vb::True;
         }},
        {"pressed-outside", [](ButtonRecord& r) { r.sState = "down"; }},
        {"border-kept", [](ButtonRecord& r) { r.OfficeBorderOnMouseOut = vb::True; }},
        {"disabled",
         [](ButtonRecord& r) {
             r.Enabled = vb::False;
             r.OfficeBorderOnMouseOut = vb::True;
         }},
    };
    return states;
}

const std::vector<Size> kSizes = {{75, 23}, {20, 12}, {6, 4}, {3, 3}, {1, 1}};
const std::vector<Size> kSectionSizes = {{80, 24}, {20, 12}, {3, 3}};

Scene Button(std::string name, int w, int h, Setup setup) {
    Scene s;
    s.name = std::move(name);
    s.width = w;
    s.height = h;
    s.draw = [w, h, setup = std::move(setup)](gdi::Gdi& gdi, gdi::Hdc dc) {
        testing::RecordingSite site(gdi, w, h);
        sheenButton button(site);
        // The first paint of a fresh surface, as real GDI shows it.
        ButtonRecord& r = button.Record() = testing::NewInstanceRecord();
        r.Caption.clear();
        setup(r);
        button.Redraw(0);
        gdi.BitBlt(dc, 0, 0, w, h, site.Surface().hDC(), 0, 0, gdi::SRCCOPY);
    };
    return s;
}

// 16 x 16 pictures made here, so the scenes need no decoder. The opaque one is a blue
// diamond with a black outline and a white spot on a mask-colour (magenta) ground, with a
// magenta hole in the middle; the icon is a green disc with soft edges (alpha falling
// from 255 to 0 over three pixels) on a clear ground.
host::PictureRef DiamondPicture() {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int d = std::abs(2 * x - 15) + std::abs(2 * y - 15);  // even, 2 .. 30
            std::uint32_t c = 0xFFFF00FFu;  // the ground, and the hole where d <= 3
            if (d > 3 && d <= 13)
                c = 0xFF2050C0u + static_cast<std::uint32_t>(y * 4) * 0x100u;
            else if (d > 13 && d <= 15)
                c = 0xFF000000u;
            if (x == 5 && y == 6) c = 0xFFFFFFFFu;
            px.push_back(c);
        }
    return std::make_shared<vb::StdPicture>(16, 16, std::move(px));
}

host::PictureRef DiscIcon() {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const double r = std::hypot(x - 7.5, y - 7.5);
            const double a = std::clamp((7.5 - r) / 3.0, 0.0, 1.0);
            const auto alpha = static_cast<std::uint32_t>(std::lround(a * 255.0));
            px.push_back(alpha << 24 | 0x0030B040u);
        }
    return std::make_shared<vb::StdPicture>(16, 16, std::move(px), vb::PictureType::Icon);
}

// A picture for shrinking, `w` x `h`: a mask-colour (magenta) frame and speckles, a
// one-pixel checker of two colours whose AND is neither, and one-pixel lines across
// and down, so that every row or column combined with (or dropped for) its neighbour
// changes a pixel. Translucent, the frame and speckles are clear, as an icon's ground
// is, and the alpha of the rest steps across the columns (255, 160, 60, 0), so that
// which column a destination pixel takes shows too.
host::PictureRef WeavePicture(int w, int h, bool translucent) {
    static constexpr std::uint32_t kAlpha[] = {255, 160, 60, 0};
    std::vector<std::uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = 0xFFFFFFu, a = translucent ? kAlpha[x % 4] : 255u;
            if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2 || (x * 7 + y * 3) % 11 == 0) {
                c = 0xFF00FFu;
                if (translucent) a = 0;
            } else if (x >= w / 2 && y < h / 2)
                c = (x + y) % 2 == 0 ? 0x30C0F0u : 0xF06090u;
            else if (x % 5 == 2)
                c = 0x2060C0u;
            else if (y % 4 == 1)
                c = 0xC03020u;
            px.push_back(a << 24 | c);
        }
    return std::make_shared<vb::StdPicture>(
        w, h, std::move(px), translucent ? vb::PictureType::Icon : vb::PictureType::Bitmap);
}

// A button like Button() whose Picture (and Image1) hold `picture`, at its natural size
// or, given `shown`, at that size (RealPicSize off: Image1 stretches).
Scene PictureButton(std::string name, int w, int h, host::PictureRef picture, Setup setup,
                    std::optional<Size> shown = {}) {
    Scene s;
    s.name = std::move(name);
    s.width = w;
    s.height = h;
    s.draw = [w, h, picture, setup = std::move(setup), shown](gdi::Gdi& gdi, gdi::Hdc dc) {
        testing::RecordingSite site(gdi, w, h);
        sheenButton button(site);
        // The first paint of a fresh surface, as real GDI shows it.
        ButtonRecord& r = button.Record() = testing::NewInstanceRecord();
        r.Caption.clear();
        r.Picture = picture;
        site.Holder().Picture(picture);
        site.Holder().NaturalSize(static_cast<float>(picture->PixelWidth()),
                                  static_cast<float>(picture->PixelHeight()));
        if (shown) {
            site.Holder().Stretch(vb::True);
            site.Holder().Width(static_cast<float>(shown->w));
            site.Holder().Height(static_cast<float>(shown->h));
        }
        setup(r);
        button.Redraw(0);
        gdi.BitBlt(dc, 0, 0, w, h, site.Surface().hDC(), 0, 0, gdi::SRCCOPY);
    };
    return s;
}

// The picture states: plain and masked drawing of both pictures at a few alignments,
// and the states that move or exchange the picture.
void AddPictureGroup(std::vector<Scene>& out, const std::string& group, const Setup& look) {
    struct PictureState {
        std::string name;
        bool icon;
        Setup setup;
    };
    const auto align = [](vb::Long a, bool masked) {
        return [a, masked](ButtonRecord& r) {
            r.PictureAlign = a;
            r.UseMaskColor = vb::Boolean(masked);
        };
    };
    const std::vector<PictureState> states = {
        {"plain-centre", false, align(cMitte_Mitte, false)},
        {"masked-centre", false, align(cMitte_Mitte, true)},
        {"masked-top-left", false, align(cLinks_Oben, true)},
        {"masked-bottom-right", false, align(cRechts_Unten, true)},
        {"masked-manual", false,
         [](ButtonRecord& r) {
             r.PictureAlign = cBenutzerdefiniert;
             r.PictureLeft = 90;  // 6 pixels
             r.PictureTop = 30;   // 2 pixels
         }},
        {"masked-pressed", false,
         [](ButtonRecord& r) {
             r.AllPicturesSame = vb::True;
             r.MoveCaptionAtDown = vb::True;
             r.sState = "down";
             r.bMouseOver = vb::True;
         }},
        {"masked-hover-no-picture", false, [](ButtonRecord& r) { r.bMouseOver = vb::True; }},
        {"masked-drop-down", false,
         [](ButtonRecord& r) {
             r.PictureAlign = cMitte_Mitte;
             r.DropDown = vb::True;
         }},
        {"masked-disabled-same", false,
         [](ButtonRecord& r) {
             r.Enabled = vb::False;
             r.AllPicturesSame = vb::True;
         }},
        {"icon-plain-top", true, align(cMitte_Oben, false)},
        {"icon-masked-top", true, align(cMitte_Oben, true)},
        {"icon-masked-centre-hover", true,
         [](ButtonRecord& r) {
             r.PictureAlign = cMitte_Mitte;
             r.PictureOver = r.Picture;
             r.bMouseOver = vb::True;
         }},
    };
    const auto diamond = DiamondPicture(), disc = DiscIcon();
    for (const PictureState& st : states)
        for (const Size size : {Size{75, 23}, Size{20, 12}})
            out.push_back(PictureButton(
                group + "/" + st.name + "/" + std::to_string(size.w) + "x" + std::to_string(size.h),
                size.w, size.h, st.icon ? disc : diamond,
                [look, setup = st.setup](ButtonRecord& r) {
                    look(r);
                    setup(r);
                }));
}

// Pictures shown smaller than they are (Image1 stretched), plainly, through the mask
// colour and translucent, on the XP look at a size that holds them and one that cuts
// them.
void AddShrunkPictureGroup(std::vector<Scene>& out) {
    struct Shrink {
        Size from, to;
    };
    const Shrink shrinks[] = {{{16, 16}, {8, 8}}, {{32, 24}, {24, 12}}, {{32, 24}, {1, 12}}};
    const auto size_name = [](Size z) { return std::to_string(z.w) + "x" + std::to_string(z.h); };
    for (const Shrink& sh : shrinks)
        for (const std::string kind : {"plain", "masked", "icon", "icon-masked"}) {
            const bool icon = kind.rfind("icon", 0) == 0;
            const bool masked = kind.find("masked") != std::string::npos;
            const auto picture = WeavePicture(sh.from.w, sh.from.h, icon);
            for (const Size size : {Size{40, 30}, Size{20, 12}})
                out.push_back(PictureButton(
                    "picture-shrunk/" + kind + "-" + size_name(sh.from) + "-to-" +
                        size_name(sh.to) + "/" + size_name(size),
                    size.w, size.h, picture,
                    [masked](ButtonRecord& r) {
                        r.PictureAlign = cMitte_Mitte;
                        r.UseMaskColor = vb::Boolean(masked);
                    },
                    sh.to));
        }
}

// Caption and picture together on one look: the caption alone, the picture alone,
// both centred with the picture in front and behind, and both at the left with the
// caption stepping aside; every state of the look. The fonts are the control's default,
// Verdana 9.75 pt, which stands in as DejaVu Sans on both sides of the comparison.
void AddContentGroup(std::vector<Scene>& out, const std::string& group, const Setup& look,
                     const std::vector<State>& states) {
    struct Variant {
        std::string name;
        bool caption, picture;
        Setup setup;
    };
    const std::vector<Variant> variants = {
        {"caption", true, false, [](ButtonRecord&) {}},
        {"picture", false, true, [](ButtonRecord&) {}},
        {"both-front", true, true, [](ButtonRecord& r) { r.PictureInFront = vb::True; }},
        {"both-behind", true, true, [](ButtonRecord& r) { r.PictureInFront = vb::False; }},
        // The picture behind is drawn first, so the caption of the same paint sees it.
        {"both-beside", true, true,
         [](ButtonRecord& r) {
             r.CaptionAlign = r.PictureAlign = cLinks_Mitte;
             r.PictureInFront = vb::False;
         }},
    };
    const auto diamond = DiamondPicture();
    for (const Variant& v : variants)
        for (const State& st : states) {
            const Setup setup = [look, v, st](ButtonRecord& r) {
                const auto font = std::make_shared<vb::StdFont>("Verdana", 9.75);
                r.Font = font->Clone();
                r.FontOnMouseOver = font->Clone();
                r.FontDown = font->Clone();
                r.ForeColorOver = 0x00C04000;
                r.ForeColorDown = 0x000000C0;
                r.CaptionAlign = r.PictureAlign = cMitte_Mitte;
                r.UseMaskColor = vb::True;
                r.AllPicturesSame = vb::True;
                r.MoveCaptionAtDown = vb::True;
                if (v.caption) r.Caption = "&Open file";
                if (!v.picture) r.PictureShow = vb::False;
                look(r);
                v.setup(r);
                st.setup(r);
            };
            const std::string name = group + "/" + v.name + "/" + st.name + "/75x23";
            out.push_back(PictureButton(name, 75, 23, diamond, setup));
        }
}

void AddGroup(std::vector<Scene>& out, const std::string& group, const Setup& look,
              const std::vector<State>& states, const std::vector<Size>& sizes = kSizes) {
    for (const State& st : states)
        for (const Size& size : sizes)
            out.push_back(Button(
                group + "/" + st.name + "/" + std::to_string(size.w) + "x" + std::to_string(size.h),
                size.w, size.h, [look, setup = st.setup](ButtonRecord& r) {
                    look(r);
                    setup(r);
                }));
}

std::vector<Scene> MakeButtonScenes() {
    std::vector<Scene> out;
    const std::pair<const char*, vb::Long> schemes[] = {
        {"xp-blue", cXPBlue},     {"xp-silver", cXPSilver}, {"xp-olive", cXPOlive},
        {"classic", cWinClassic}, {"custom", cCustom},      {"scheme-4", 4}};
    for (const auto& [group, scheme] : schemes)
        AddGroup(
            out, group,
            [scheme = scheme](ButtonRecord& r) {
                r.ColorStyle = scheme;
                if (scheme == cWinClassic || scheme == cCustom || scheme == 4) OwnColors(r);
            },
            XPStates());
    AddGroup(
        out, "office",
        [](ButtonRecord& r) {
            OwnColors(r);
            r.ButtonStyle = cButtonOffice;
        },
        OfficeStates());
    AddGroup(
        out, "browser",
        [](ButtonRecord& r) {
            OwnColors(r);
            r.ButtonStyle = cButtonIExplorer;
        },
        OfficeStates());

    // The highlight colour sets on the blue and silver bodies.
    const std::pair<const char*, vb::Long> rects[] = {{"blue", cRectXPBlue},
                                                      {"silver", cRectXPSilver},
                                                      {"olive", cRectXPOlive},
                                                      {"own", cRectColor},
                                                      {"off", cOff}};
    std::vector<State> rings;
    for (const auto& [name, set] : rects) {
        const vb::Long v = set;
        rings.push_back({std::string("focus-") + name, [v](ButtonRecord& r) {
                             r.FocusRect = v;
                             r.FocusRectColor = 0x000000FF;
                             r.bHasFocus = vb::True;
                         }});
        rings.push_back({std::string("hover-") + name, [v](ButtonRecord& r) {
                             r.HoverRect = v;
                             r.HoverRectColor = 0x0000C000;
                             r.bMouseOver = vb::True;
                         }});
    }
    AddGroup(
        out, "rings-on-blue", [](ButtonRecord&) {}, rings);
    AddGroup(
        out, "rings-on-silver", [](ButtonRecord& r) { r.ColorStyle = cXPSilver; }, rings);

    // The drop-down section: every alignment and an unknown one, at rest, pressed (the
    // two-pass paint) and without the separator.
    std::vector<State> sections;
    for (vb::Long align = 0; align <= 8; ++align)
        for (const std::string mode : {"rest", "pressed", "no-separator"})
            sections.push_back(
                {"align-" + std::to_string(align) + "-" + mode, [align, mode](ButtonRecord& r) {
                     r.DropDown = vb::True;
                     r.DropDownAlign = align;
                     r.DropDownSeparatorColor = 0x000000FF;
                     if (mode == "pressed") {
                         r.bMouseOver = vb::True;
                         r.sState = r.sDropDownState = "down";
                     }
                     if (mode == "no-separator") r.DropDownSeparator = vb::False;
                 }});
    AddGroup(
        out, "drop-down", [](ButtonRecord&) {}, sections, kSectionSizes);
    AddGroup(
        out, "drop-down-office", [](ButtonRecord& r) { r.ButtonStyle = cButtonOffice; }, sections,
        kSectionSizes);

    // Pictures on the XP and the Office look.
    AddPictureGroup(out, "picture", [](ButtonRecord&) {});
    AddPictureGroup(out, "picture-office", [](ButtonRecord& r) {
        OwnColors(r);
        r.ButtonStyle = cButtonOffice;
    });

    AddShrunkPictureGroup(out);

    // Caption and picture on every look and scheme.
    for (const auto& [group, scheme] : schemes) {
        if (scheme == 4) continue;  // paints as the custom scheme
        AddContentGroup(
            out, std::string("content-") + group,
            [scheme = scheme](ButtonRecord& r) {
                r.ColorStyle = scheme;
                if (scheme == cWinClassic || scheme == cCustom) OwnColors(r);
            },
            XPStates());
    }
    AddContentGroup(
        out, "content-office",
        [](ButtonRecord& r) {
            OwnColors(r);
            r.ButtonStyle = cButtonOffice;
        },
        OfficeStates());
    AddContentGroup(
        out, "content-browser",
        [](ButtonRecord& r) {
            OwnColors(r);
            r.ButtonStyle = cButtonIExplorer;
        },
        OfficeStates());
    // TransBlt of a block with key-colour, black and white pixels onto a patterned
    // destination, each key colour at a few block sizes.
    for (const auto& [key_name, key] : std::vector<std::pair<std::string, gdi::ColorRef>>{
             {"key-magenta", 0xFF00FF}, {"key-black", 0x000000}, {"key-white", 0xFFFFFF}})
        for (const Size& block : std::vector<Size>{{16, 16}, {6, 4}, {1, 1}}) {
            Scene sc;
            sc.name = "transblt/" + key_name + "/" + std::to_string(block.w) + "x" +
                      std::to_string(block.h);
            sc.width = block.w + 4;
            sc.height = block.h + 4;
            sc.draw = [block, key = key](gdi::Gdi& gdi, gdi::Hdc dc) {
                for (int y = 0; y < block.h + 4; ++y)
                    for (int x = 0; x < block.w + 4; ++x)
                        gdi.SetPixel(dc, x, y, gdi::Rgb(20 * x, 200 - 9 * y, 90));
                gdi::Hdc src = gdi.CreateCompatibleDC(dc);
                gdi::Hgdiobj bmp = gdi.CreateCompatibleBitmap(dc, block.w + 1, block.h + 1);
                gdi::Hgdiobj old = gdi.SelectObject(src, bmp);
                const gdi::ColorRef palette[] = {0xFF00FF, 0x000000, 0xFFFFFF, 0x3366CC, 0x99CC33};
                for (int y = 0; y <= block.h; ++y)
                    for (int x = 0; x <= block.w; ++x)
                        gdi.SetPixel(src, x, y, palette[(x * 3 + y * 2) % 5]);
                TransBlt(gdi, dc, 2, 2, block.w, block.h, src, 1, 1, static_cast<vb::Long>(key));
                gdi.SelectObject(src, old);
                gdi.DeleteObject(bmp);
                gdi.DeleteDC(src);
            };
            out.push_back(std::move(sc));
        }
    return out;
}

}  // namespace

const std::vector<Scene>& ButtonScenes() {
    static const std::vector<Scene> all = MakeButtonScenes();
    return all;
}

std::string ButtonSceneGroup(const std::string& name) { return name.substr(0, name.find('/')); }

}  // namespace sheenwork::scenes
