// DrawTextA's layout; the rules are in layout.h.
#include "platform/text/layout.h"

#include <algorithm>
#include <cstring>

namespace sheenwork::text {
namespace {

constexpr char kPrefix = '&';
constexpr char kSpace = ' ';

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsLetter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0xC0;
}

// Whether a line may break before `s[i]` (0 < i < size): after a run of spaces when a
// non-space follows, and after a hyphen when a letter follows.
bool BreakBefore(std::string_view s, std::size_t i) {
    const char before = s[i - 1], at = s[i];
    if (at == kSpace) return false;
    return before == kSpace || (before == '-' && IsLetter(at));
}

int Width(std::string_view s, const AdvanceOf& advance) {
    int w = 0;
    for (char c : s) w += advance(static_cast<unsigned char>(c));
    return w;
}

// How many leading characters of `s` fit into `width`.
std::size_t Fitting(std::string_view s, int width, const AdvanceOf& advance) {
    int w = 0;
    std::size_t n = 0;
    for (char c : s) {
        w += advance(static_cast<unsigned char>(c));
        if (w > width) break;
        ++n;
    }
    return n;
}

// The word-break decision for a line of which `fit` characters fit (fit < size):
// returns the length kept on the line and sets `used` to the characters consumed
// (those kept plus a swallowed space).
std::size_t BreakLine(std::string_view s, std::size_t fit, bool centred_or_right,
                      std::size_t& used) {
    std::size_t brk = 0;  // a break opportunity before s[brk], 0 = none found
    for (std::size_t k = fit; k >= 1; --k)
        if (BreakBefore(s, k)) {
            brk = k;
            break;
        }
    if (brk != 0) {
        std::size_t len = brk;
        if (centred_or_right && s[brk - 1] == kSpace) len = brk - 1;
        used = len + (len < s.size() && s[len] == kSpace ? 1 : 0);
        return len;
    }
    // No break fits: the whole first word stays on the line.
    std::size_t end = fit;
    while (end < s.size() && s[end] != kSpace) ++end;
    used = end + (end < s.size() ? 1 : 0);
    return end;
}

struct Source {
    const char* p;
    std::size_t left;
};

// Takes the next line from `src` into `line` (whose memory is reused): the line's
// characters (prefixes removed) and its underlined index; advances `src` past what the
// line consumed, its line break included.
void NextLine(Source& src, int width, unsigned format, const AdvanceOf& advance, LaidLine& line) {
    line.text.clear();
    line.prefix = -1;
    const bool prefixes = (format & gdi::DT_NOPREFIX) == 0;
    const bool single = (format & gdi::DT_SINGLELINE) != 0;
    // Source length of each character of line.text, to count consumed source bytes; kept
    // from line to line so that laying out text allocates nothing once warm.
    thread_local std::vector<std::size_t> source_len;
    source_len.clear();
    std::size_t i = 0;
    while (i < src.left && (single || !IsLineEnd(src.p[i]))) {
        const char c = src.p[i];
        if (prefixes && c == kPrefix && src.left - i > 1) {
            ++i;  // the "&" itself, counted with the character after it
            if (src.p[i] != kPrefix) {
                line.prefix = static_cast<int>(line.text.size());
                if (!single && IsLineEnd(src.p[i])) break;
            }
            line.text += src.p[i];
            source_len.push_back(2);
            ++i;
            continue;
        }
        line.text += c;
        source_len.push_back(1);
        ++i;
    }

    bool broken = false;
    const std::size_t fit = Fitting(line.text, width, advance);
    if (fit < line.text.size() && (format & gdi::DT_WORDBREAK) != 0) {
        std::size_t used = 0;
        const std::size_t keep =
            BreakLine(line.text, fit, (format & (gdi::DT_CENTER | gdi::DT_RIGHT)) != 0, used);
        std::size_t consumed = 0;
        for (std::size_t k = 0; k < used; ++k) consumed += source_len[k];
        i = consumed;
        line.text.resize(keep);
        if (line.prefix >= static_cast<int>(keep)) line.prefix = -1;
        broken = true;
    }
    line.width = Width(line.text, advance);

    if (!broken && i < src.left && IsLineEnd(src.p[i])) {
        const char first = src.p[i++];
        if (i < src.left && IsLineEnd(src.p[i]) && src.p[i] != first) ++i;
    }
    src.p += i;
    src.left -= i;
}

}  // namespace

TextLayout LayOutText(const char* text, int count, const gdi::Rect& given, unsigned format,
                      const gdi::TextMetric& tm, const AdvanceOf& advance) {
    TextLayout out;
    LayOutText(text, count, given, format, tm, advance, out);
    return out;
}

void LayOutText(const char* text, int count, const gdi::Rect& given, unsigned format,
                const gdi::TextMetric& tm, const AdvanceOf& advance, TextLayout& out) {
    // GDI's coordinates are 28-bit; beyond that a rectangle is taken at the limit, which
    // keeps every sum below within an int.
    static constexpr int kLimit = 1 << 27;
    const auto limit = [](int v) { return std::clamp(v, -kLimit, kLimit); };
    const gdi::Rect rect{limit(given.left), limit(given.top), limit(given.right),
                         limit(given.bottom)};
    std::size_t lines = 0;  // the lines of `out` laid out so far; the others are old
    const auto finish = [&] { out.lines.resize(lines); };
    out.result = 0;
    out.calc = false;
    out.draw = false;
    out.rect = given;
    if (count == 0 || text == nullptr) return finish();
    if ((format & gdi::DT_SINGLELINE) != 0) format &= ~static_cast<unsigned>(gdi::DT_WORDBREAK);
    const int lh =
        tm.tmHeight + ((format & gdi::DT_EXTERNALLEADING) != 0 ? tm.tmExternalLeading : 0);
    const std::size_t length = count < 0 ? std::strlen(text) : static_cast<std::size_t>(count);
    if ((format & gdi::DT_CALCRECT) != 0) {
        out.calc = true;
        format |= gdi::DT_NOCLIP;
    }
    if (length == 0) {
        out.result = lh;
        out.rect.right = rect.left;
        out.rect.bottom = (format & gdi::DT_SINGLELINE) != 0 ? rect.top + lh : rect.top;
        return finish();
    }
    out.draw = !out.calc;

    const int width = rect.right - rect.left;
    const bool clip = (format & gdi::DT_NOCLIP) == 0;
    int x = rect.left, y = rect.top, widest = 0;
    Source src{text, length};
    bool last = false;
    do {
        last = clip && y + lh > rect.bottom;
        if (lines == out.lines.size()) out.lines.emplace_back();
        LaidLine& line = out.lines[lines++];
        NextLine(src, width, format, advance, line);
        if ((format & gdi::DT_CENTER) != 0)
            x = (rect.left + rect.right - line.width) / 2;
        else if ((format & gdi::DT_RIGHT) != 0)
            x = rect.right - line.width;
        if ((format & gdi::DT_SINGLELINE) != 0) {
            if ((format & gdi::DT_VCENTER) != 0)
                y = rect.top + (rect.bottom - rect.top) / 2 - tm.tmHeight / 2;
            else if ((format & gdi::DT_BOTTOM) != 0)
                y = rect.bottom - tm.tmHeight;
        }
        line.x = x;
        line.y = y;
        widest = std::max(widest, line.width);
        y += lh;
    } while (src.left > 0 && !last);

    if (out.calc) {
        out.rect.right = rect.left + widest;
        out.rect.bottom = y;
    }
    out.result = y - rect.top;
    if (out.result == 0) out.result = 1;
    finish();
}

PrefixUnderline UnderlineOf(const LaidLine& line, const gdi::TextMetric& tm, const gdi::Rect* clip,
                            const AdvanceOf& advance) {
    PrefixUnderline u;
    if (line.prefix < 0 || line.prefix >= static_cast<int>(line.text.size())) return u;
    const std::string_view text(line.text);
    u.row = line.y + tm.tmAscent + 1;
    u.from = line.x + Width(text.substr(0, static_cast<std::size_t>(line.prefix)), advance);
    u.to = line.x + Width(text.substr(0, static_cast<std::size_t>(line.prefix) + 1), advance) - 1;
    if (clip != nullptr) {
        // Cut to the rectangle's columns; a row outside it (the bottom edge itself
        // excepted, as GDI tests it) drops the line.
        if (u.from > clip->right || u.to < clip->left || u.row < clip->top || u.row > clip->bottom)
            return u;
        u.from = std::max(u.from, clip->left);
        u.to = std::min(u.to, clip->right);
    }
    u.visible = u.to > u.from;
    return u;
}

}  // namespace sheenwork::text
