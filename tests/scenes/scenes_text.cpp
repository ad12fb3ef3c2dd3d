// The DrawTextA scenes: every flag the control and its glyphs use, "&" prefixes, word
// breaks at several widths, CR/LF, long words, empty text, clipping, and the fonts and
// attributes that change metrics.
#include <sheenwork/vb/syscolors.h>

#include <cstring>
#include <stdexcept>

#include "scene_kit.h"
#include "text_scenes.h"

namespace sheenwork::scenes {
namespace {

using gdi::Rect;

struct FontSpec {
    const char* face = kTextFace;
    int height = -13;
    int weight = gdi::FW_NORMAL;
    bool italic = false, underline = false, strike = false;
    std::uint8_t charset = gdi::ANSI_CHARSET;
};

struct Call {
    std::string text;
    Rect rect;
    unsigned flags = 0;
    FontSpec font;
    gdi::ColorRef color = 0x000000;
    int bk_mode = gdi::TRANSPARENT;
    gdi::ColorRef bk_color = 0xFFFFFF;
    int count = -1;
};

void Append(std::vector<std::int32_t>& v, const Rect& r) {
    v.insert(v.end(), {r.left, r.top, r.right, r.bottom});
}

// Measures `c` with DT_CALCRECT, then draws it; reports both results and rectangles,
// the extent of the whole text and the font's metrics.
std::vector<std::int32_t> Run(gdi::Gdi& g, gdi::Hdc dc, const Call& c) {
    gdi::LogFont lf;
    lf.lfHeight = c.font.height;
    lf.lfWeight = c.font.weight;
    lf.lfItalic = c.font.italic;
    lf.lfUnderline = c.font.underline;
    lf.lfStrikeOut = c.font.strike;
    lf.lfCharSet = c.font.charset;
    lf.lfQuality = gdi::ANTIALIASED_QUALITY;
    std::strncpy(lf.lfFaceName, c.font.face, gdi::kLfFaceSize - 1);
    gdi::Hgdiobj font = g.CreateFontIndirect(lf);
    if (font == nullptr) throw std::runtime_error("CreateFontIndirect failed");
    gdi::Hgdiobj old = g.SelectObject(dc, font);
    g.SetTextColor(dc, c.color);
    g.SetBkColor(dc, c.bk_color);
    g.SetBkMode(dc, c.bk_mode);

    std::vector<std::int32_t> v;
    Rect calc = c.rect;
    v.push_back(g.DrawTextA(dc, c.text.c_str(), c.count, &calc, c.flags | gdi::DT_CALCRECT));
    Append(v, calc);
    Rect draw = c.rect;
    v.push_back(g.DrawTextA(dc, c.text.c_str(), c.count, &draw, c.flags));
    Append(v, draw);
    gdi::Size extent;
    g.GetTextExtentPoint32(dc, c.text.c_str(), static_cast<int>(c.text.size()), &extent);
    v.insert(v.end(), {extent.cx, extent.cy});
    gdi::TextMetric tm;
    g.GetTextMetrics(dc, &tm);
    v.insert(v.end(), {tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmInternalLeading,
                       tm.tmExternalLeading, tm.tmAveCharWidth});
    g.SelectObject(dc, old);
    g.DeleteObject(font);
    return v;
}

using List = std::vector<TextScene>;

void Add(List& list, std::string name, int w, int h, Call call,
         gdi::ColorRef background = 0xFFFFFF) {
    list.push_back(TextScene{std::move(name), w, h, background,
                             [call](gdi::Gdi& g, gdi::Hdc dc) { return Run(g, dc, call); }});
}

Call At(std::string text, Rect r, unsigned flags) {
    Call c;
    c.text = std::move(text);
    c.rect = r;
    c.flags = flags;
    return c;
}

void AddFlagScenes(List& list) {
    const Rect r{4, 4, 116, 36};
    const struct {
        const char* name;
        unsigned flags;
    } flags[] = {
        {"left", gdi::DT_LEFT},
        {"center", gdi::DT_CENTER},
        {"right", gdi::DT_RIGHT},
        {"wordbreak", gdi::DT_WORDBREAK},
        {"single-vcenter", gdi::DT_SINGLELINE | gdi::DT_VCENTER},
        {"single-vcenter-center", gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_CENTER},
        {"single-vcenter-right", gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_RIGHT},
        {"single-bottom", gdi::DT_SINGLELINE | gdi::DT_BOTTOM},
        {"noprefix", gdi::DT_NOPREFIX},
        {"externalleading", gdi::DT_EXTERNALLEADING | gdi::DT_WORDBREAK},
        {"noclip", gdi::DT_NOCLIP | gdi::DT_CENTER},
    };
    for (const auto& f : flags)
        Add(list, std::string("text-flag-") + f.name, 120, 40, At("Save &As", r, f.flags));
}

void AddPrefixScenes(List& list) {
    const char* texts[][2] = {
        {"amp-alone", "&"},      {"amp-doubled", "A&&B"},
        {"amp-triple", "&&&x"},  {"amp-trailing", "Trail&"},
        {"amp-first", "&Start"}, {"amp-two", "Two &prefixes &here"},
        {"amp-pair-only", "&&"}, {"amp-before-break", "a&\r\nb"},
        {"amp-space", "A& B"},
    };
    int i = 0;
    for (const auto& t : texts)
        Add(list, std::string("text-") + t[0], 120, 36,
            At(t[1], Rect{3, 3, 117, 33}, (i++ % 2) == 0 ? gdi::DT_LEFT : gdi::DT_CENTER));
}

void AddWordBreakScenes(List& list) {
    const char* fox = "The quick brown fox jumps over the lazy dog";
    const struct {
        const char* name;
        unsigned flags;
    } aligns[] = {{"left", gdi::DT_WORDBREAK},
                  {"center", gdi::DT_WORDBREAK | gdi::DT_CENTER},
                  {"right", gdi::DT_WORDBREAK | gdi::DT_RIGHT}};
    for (int width : {30, 45, 60, 75, 100, 140})
        for (const auto& a : aligns)
            Add(list, "text-wrap-" + std::to_string(width) + "-" + a.name, 150, 100,
                At(fox, Rect{2, 2, 2 + width, 98}, a.flags));
    const char* spaced[][2] = {{"spaces-inner", "multiple   spaces   here"},
                               {"spaces-leading", "   leading words"},
                               {"spaces-trailing", "trailing   "}};
    for (const auto& s : spaced)
        for (unsigned f : {unsigned{gdi::DT_WORDBREAK}, gdi::DT_WORDBREAK | gdi::DT_CENTER})
            Add(list,
                std::string("text-") + s[0] + ((f & gdi::DT_CENTER) != 0 ? "-center" : "-left"),
                110, 70, At(s[1], Rect{2, 2, 52, 68}, f));
    Add(list, "text-long-word", 120, 60,
        At("Antidisestablishmentarianism is long", Rect{2, 2, 42, 58}, gdi::DT_WORDBREAK));
    Add(list, "text-long-word-center", 120, 60,
        At("Antidisestablishmentarianism is long", Rect{2, 2, 42, 58},
           gdi::DT_WORDBREAK | gdi::DT_CENTER));
    Add(list, "text-zero-width", 60, 90,
        At("one two three", Rect{20, 2, 20, 88}, gdi::DT_WORDBREAK | gdi::DT_NOCLIP));
    Add(list, "text-hyphen-40", 100, 60,
        At("well-known self-made", Rect{2, 2, 42, 58}, gdi::DT_WORDBREAK));
    Add(list, "text-hyphen-70", 100, 60,
        At("well-known self-made", Rect{2, 2, 72, 58}, gdi::DT_WORDBREAK));
    // A word wider than the line followed by a space and a line break: the space goes
    // with the word, the break still ends a line.
    Add(list, "text-wrap-word-then-break", 60, 60,
        At("Word \r\nnext", Rect{2, 2, 12, 58}, gdi::DT_WORDBREAK));
    // The bytes Windows-1252 gives characters of their own between 0x80 and 0x9F.
    Add(list, "text-ansi-80-9f", 150, 60,
        At("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E \x91\x92\x93\x94\x95"
           "\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F",
           Rect{2, 2, 148, 58}, gdi::DT_WORDBREAK));
    Add(list, "text-wrap-prefix", 100, 60,
        At("Open the &file now", Rect{2, 2, 50, 58}, gdi::DT_WORDBREAK | gdi::DT_CENTER));
}

void AddLineScenes(List& list) {
    const char* texts[][2] = {{"crlf", "Line one\r\nLine two"},
                              {"lf-lf", "a\n\nb"},
                              {"cr-only", "LF\rCR"},
                              {"lfcr", "x\n\ry"},
                              {"trailing-crlf", "one\r\n"}};
    for (const auto& t : texts) {
        Add(list, std::string("text-") + t[0], 90, 60, At(t[1], Rect{2, 2, 88, 58}, gdi::DT_LEFT));
        Add(list, std::string("text-") + t[0] + "-center", 90, 60,
            At(t[1], Rect{2, 2, 88, 58}, gdi::DT_CENTER));
    }
    Add(list, "text-crlf-single", 120, 30,
        At("Line one\r\nLine two", Rect{2, 2, 118, 28}, gdi::DT_SINGLELINE | gdi::DT_VCENTER));
    Add(list, "text-empty", 40, 20, At("", Rect{2, 2, 38, 18}, gdi::DT_LEFT));
    Add(list, "text-empty-single", 40, 20,
        At("", Rect{2, 2, 38, 18}, gdi::DT_SINGLELINE | gdi::DT_VCENTER));
    Call counted = At("Hello World", Rect{2, 2, 98, 18}, gdi::DT_LEFT);
    counted.count = 4;
    Add(list, "text-count", 100, 20, counted);
}

void AddClipScenes(List& list) {
    Add(list, "text-clip-rect", 60, 24,
        At("Clipped caption text", Rect{10, 5, 50, 18}, gdi::DT_WORDBREAK));
    Add(list, "text-clip-bitmap", 50, 16,
        At("Outside the bitmap", Rect{-10, -5, 60, 20}, gdi::DT_LEFT));
    Add(list, "text-clip-bottom", 60, 40,
        At("first line second line third line", Rect{2, 2, 58, 26}, gdi::DT_WORDBREAK));
    Add(list, "text-clip-vcenter-small", 60, 20,
        At("Tall", Rect{5, 8, 55, 12}, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_CENTER));
    Add(list, "text-clip-underline-edge", 60, 20, At("&Wide", Rect{2, 2, 12, 16}, gdi::DT_LEFT));
    Add(list, "text-tiny-1x1", 10, 10, At("M", Rect{3, 3, 4, 4}, gdi::DT_LEFT));
    Add(list, "text-inverted-rect", 60, 20, At("Back", Rect{50, 15, 10, 2}, gdi::DT_CENTER));
    Add(list, "text-above-top", 60, 24,
        At("Line above\r\nBelow", Rect{2, -9, 58, 22}, gdi::DT_CENTER));
}

void AddFontScenes(List& list) {
    const struct {
        const char* name;
        FontSpec font;
        const char* text;
    } fonts[] = {
        {"dejavu-11", {kTextFace, -11}, "Default &size"},
        {"dejavu-bold", {kTextFace, -13, gdi::FW_BOLD}, "Bold &caption"},
        {"dejavu-italic", {kTextFace, 16, gdi::FW_NORMAL, true}, "Italic cell 16"},
        {"dejavu-underline", {kTextFace, -13, gdi::FW_NORMAL, false, true}, "Under&lined"},
        {"dejavu-underline-11", {kTextFace, -11, gdi::FW_NORMAL, false, true}, "Underlined"},
        {"dejavu-strike", {kTextFace, -13, gdi::FW_NORMAL, false, false, true}, "Struck out"},
        {"dejavu-20", {kTextFace, -20}, "Large Qy"},
        {"dejavu-cell-24", {kTextFace, 24}, "Cell Qy"},
        {"dejavu-cell-17", {kTextFace, 17}, "Cell Qy"},
        {"dejavu-cell-25", {kTextFace, 25}, "Cell Qy"},
        {"dejavu-cell-32", {kTextFace, 32}, "Cell"},
        {"dejavu-cell-37", {kTextFace, 37}, "Cell"},
        // Wine's own Tahoma carries bitmap strikes and hints that Wine draws its own way
        // at most sizes; its bold face at a size without a strike is drawn like ours.
        {"tahoma-bold-17", {"Tahoma", -17, gdi::FW_BOLD}, "Bold &Tahoma"},
        {"ms-sans-serif-bold", {"MS Sans Serif", -11, gdi::FW_BOLD}, "Synthetic &bold"},
        {"ms-sans-serif", {"MS Sans Serif", -11}, "MS Sans &Serif"},
        {"marlett-arrows",
         {"Marlett", -13, gdi::FW_NORMAL, false, false, false, gdi::SYMBOL_CHARSET},
         "3456"},
        {"marlett-arrows-11",
         {"Marlett", -11, gdi::FW_NORMAL, false, false, false, gdi::SYMBOL_CHARSET},
         "6"},
    };
    for (const auto& f : fonts) {
        Call c = At(f.text, Rect{3, 3, 127, 37}, gdi::DT_LEFT);
        c.font = f.font;
        Add(list, std::string("text-font-") + f.name, 130, 40, c);
    }
    // The drop-down glyphs as the control draws them: Marlett 9.75 pt bold, centred in
    // a section of 16 x 24 and of 12 x 7.
    for (const char* glyph : {"3", "4", "5", "6"})
        for (const Rect& r : {Rect{2, 0, 18, 24}, Rect{4, 8, 16, 15}}) {
            Call c = At(glyph, r, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
            c.font = {"Marlett", -13, gdi::FW_BOLD, false, false, false, gdi::SYMBOL_CHARSET};
            c.color = gdi::Rgb(0x4D, 0x61, 0x85);
            Add(list, std::string("text-glyph-") + glyph + "-" + std::to_string(r.Width()), 20, 24,
                c, gdi::Rgb(0xF4, 0xF7, 0xF7));
        }
}

void AddColourScenes(List& list) {
    Call blue = At("Blue on &yellow", Rect{2, 2, 98, 22}, gdi::DT_CENTER);
    blue.color = gdi::Rgb(0, 0, 255);
    Add(list, "text-colour-blue-yellow", 100, 24, blue, gdi::Rgb(255, 255, 0));
    Call white = At("White &text", Rect{2, 2, 98, 22}, gdi::DT_LEFT);
    white.color = 0xFFFFFF;
    Add(list, "text-colour-white-dark", 100, 24, white, gdi::Rgb(0, 0x33, 0x66));
    Call grey = At("Grey text", Rect{2, 2, 98, 22}, gdi::DT_RIGHT);
    grey.color = vb::SysColor(17);  // COLOR_GRAYTEXT
    Add(list, "text-colour-graytext", 100, 24, grey, vb::SysColor(15));
    Call opaque = At("Opaque &cell\r\nTwo", Rect{4, 2, 96, 34}, gdi::DT_CENTER);
    opaque.bk_mode = gdi::OPAQUE;
    opaque.bk_color = gdi::Rgb(0x99, 0xCC, 0xFF);
    Add(list, "text-colour-opaque", 100, 36, opaque, gdi::Rgb(0xEE, 0xEE, 0xEE));
}

}  // namespace

const std::vector<TextScene>& AllTextScenes() {
    static const List scenes = [] {
        List list;
        AddFlagScenes(list);
        AddPrefixScenes(list);
        AddWordBreakScenes(list);
        AddLineScenes(list);
        AddClipScenes(list);
        AddFontScenes(list);
        AddColourScenes(list);
        return list;
    }();
    return scenes;
}

TextSceneResult RenderTextScene(gdi::Gdi& g, const TextScene& scene) {
    TextSceneResult result;
    result.pixels =
        DrawOnFreshBitmap(g, scene.name, scene.width, scene.height, scene.background,
                          [&](gdi::Gdi& gdi, gdi::Hdc dc) { result.values = scene.draw(gdi, dc); });
    return result;
}

}  // namespace sheenwork::scenes
