// DrawTextA's layout: which characters go on which line, where each line starts, which
// character is underlined, and what DT_CALCRECT reports. Pure arithmetic over character
// advances, so that it can be tested without fonts and shared by every device.
//
// The rules are GDI's:
//   - Lines end at CR, LF, CR LF or LF CR (DT_SINGLELINE: never). With DT_WORDBREAK a
//     line that is wider than the rectangle is broken at the last break opportunity
//     that fits: after a run of spaces, or after a hyphen followed by a letter. A
//     left-aligned line keeps the spaces before the break in its width; a centred or
//     right-aligned one drops the last of them. A word that is wider than the line on
//     its own is kept whole (and clipped), and one space after it is swallowed.
//   - "&" makes the next character the underlined one and disappears, "&&" shows one
//     "&", an "&" as the very last character shows as itself (not with DT_NOPREFIX).
//     When a line marks several characters, the last one is underlined.
//   - Lines are tmHeight apart (plus tmExternalLeading with DT_EXTERNALLEADING), the
//     first at the rectangle's top. DT_CENTER puts a line at (left + right - width) / 2,
//     DT_RIGHT at right - width, both divisions truncating; with DT_SINGLELINE,
//     DT_VCENTER puts it at top + (bottom - top) / 2 - tmHeight / 2, DT_BOTTOM at
//     bottom - tmHeight.
//   - Unless DT_NOCLIP or DT_CALCRECT, the line that reaches past the rectangle's bottom
//     is the last one laid out.
//   - DT_CALCRECT sets right to left + the widest line and bottom to the end of the last
//     line. The result is the height of the text from the rectangle's top (at least 1);
//     an empty text gives the line height (its CALCRECT: an empty rectangle, one line
//     high with DT_SINGLELINE); a count of 0 gives 0 and changes nothing.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::text {

struct LaidLine {
    std::string text;  // the characters drawn, "&" prefixes removed
    int x = 0, y = 0;  // the top-left corner of the line's cell
    int width = 0;     // the advance width of `text`
    int prefix = -1;   // the index in `text` of the underlined character, -1 for none
};

struct TextLayout {
    int result = 0;  // DrawTextA's return value
    std::vector<LaidLine> lines;
    bool calc = false;  // DT_CALCRECT: `rect` is what the call writes back
    gdi::Rect rect;
    bool draw = false;  // lines are to be drawn (not DT_CALCRECT, not empty)
};

using AdvanceOf = std::function<int(unsigned char)>;

// `count` -1 means up to the first 0 byte of `text`.
TextLayout LayOutText(const char* text, int count, const gdi::Rect& rect, unsigned format,
                      const gdi::TextMetric& metrics, const AdvanceOf& advance);
// The same into `out`, whose memory is reused: a caller that keeps one layout for every
// call allocates nothing once its lines have grown to the texts it draws.
void LayOutText(const char* text, int count, const gdi::Rect& rect, unsigned format,
                const gdi::TextMetric& metrics, const AdvanceOf& advance, TextLayout& out);

// The extent of the underline DrawTextA draws under line character `prefix`: the
// columns [from, to) of row y + tmAscent + 1, cut to the rectangle's columns (not with
// DT_NOCLIP); empty when it lies wholly outside the rectangle.
struct PrefixUnderline {
    bool visible = false;
    int row = 0;
    int from = 0, to = 0;
};
PrefixUnderline UnderlineOf(const LaidLine& line, const gdi::TextMetric& metrics,
                            const gdi::Rect* clip, const AdvanceOf& advance);

}  // namespace sheenwork::text
