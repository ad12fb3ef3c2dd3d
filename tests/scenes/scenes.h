// Drawing scenes as text: small pictures drawn only through gdi::Gdi, read from files
// under tests/data/scenes, so that the same scene runs on our raster and on real GDI
// (the reference runner under Wine reads the same files) and the two bitmaps can be
// compared pixel for pixel.
//
// A scene file holds scenes, each a header line and one call a line; `#` starts a
// comment, blank lines are skipped:
//
//   scene NAME WIDTH HEIGHT [background COLOR] [differs KIND]
//   pen = CreatePen PS_SOLID 1 0x0000C0
//   SelectObject dc pen
//   MoveToEx dc 2 2
//   LineTo dc 17 2
//
// A call is a gdi::Gdi method with its Win32 name and arguments in their order, a
// rectangle as its four numbers, a string in double quotes (C escapes). `dc` is the
// scene's DC and `null` a null handle; `NAME = Call ...` names the handle a call makes.
// Numbers are decimal or 0x hex, or the constants of gdi.h (SRCCOPY, BF_RECT|BF_MIDDLE).
// What a scene creates is released and what it selects put back when it ends.
//
// Besides the calls:
//   NAME = dib BPP COLUMNS ROWS bottomup|topdown SOURCE  a DIB for StretchDIBits; SOURCE
//       is a pattern (stretch, pattern, marks, sparse, gradient, palette; 24 or 32 bits,
//       or 8 with a colour-table entry a pixel) or x"HEX" bytes, then `table C...` for
//       a colour table
//   fill DC L T R B COLOR               FillRect with a brush made for the call
//   stripes DC W H STRIPE COLOR...      vertical stripes of the colours, repeated
//   picture DC W H [PATTERN]            every pixel set with SetPixel to the pattern's
//   report CALL                         the call's numbers among those the scene reports:
//       its answer, then the rectangle DrawTextA and DrawEdge leave or the position
//       MoveToEx reports; GetTextExtentPoint32's extent alone, GetTextMetrics' height,
//       ascent, descent, internal and external leading and average width alone
// CreateFontIndirect takes HEIGHT WEIGHT ITALIC UNDERLINE STRIKEOUT CHARSET QUALITY "FACE".
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sheenwork::scenes {

// The colour a scene's bitmap holds before it draws, unless the folder gives another.
constexpr gdi::ColorRef kSentinel = 0xCCCCCC;

// A scene with the known difference "roundrect-5x5-corner" draws one RoundRect with a
// 5 x 5 corner ellipse over the rectangle kRoundMargin in from each side of its bitmap on
// the untouched sentinel; its pen (with a null pen, its brush) shows at the middle of the
// top edge and its interior at the bitmap's centre. Wine 8 turns each corner through the
// two pixels (1, 0) and (0, 1) from the corner (and their mirror images); Windows and our
// raster leave those alone and turn through (1, 1) instead.
inline constexpr char kRoundRectCorner[] = "roundrect-5x5-corner";
constexpr int kRoundMargin = 2;

// "stretch-column-mapping": the scene copies the 4-column `stretch` pattern with
// StretchDIBits (24 bit, SRCCOPY) onto the whole bitmap but its first and last columns,
// which keep the sentinel, rows one to one, columns stretched to the bitmap's width less
// two. Which source column a destination column shows
// (and, when shrinking, which columns are ANDed together) is where Wine 8 and Windows
// differ.
inline constexpr char kStretchColumns[] = "stretch-column-mapping";
constexpr int kStretchColumnsCount = 4;
// The source pixel (column, row) of the `stretch` pattern, 0x00BBGGRR.
gdi::ColorRef StretchSource(int column, int row);

// The calls of one scene while it runs: its names, what it owns and what it reports.
struct Calls {
    Calls(gdi::Gdi& g, gdi::Hdc dc) : g(g), dc(dc) {}
    ~Calls();  // puts back what it selected, then deletes what it made
    Calls(const Calls&) = delete;
    Calls& operator=(const Calls&) = delete;
    long Int(const std::string& word) const;  // a number or constants joined by |
    void* Handle(const std::string& word) const;
    gdi::Hdc Dc(const std::string& word) const { return static_cast<gdi::Hdc>(Handle(word)); }

    gdi::Gdi& g;
    gdi::Hdc dc;
    std::vector<std::int32_t> values;
    void* made = nullptr;  // the handle the last call made
    gdi::Rect rect;        // the rectangle the last call took (DrawEdge: left)
    gdi::Point point;      // the position MoveToEx reported last
    gdi::Size size;        // the extent GetTextExtentPoint32 gave last
    gdi::TextMetric metrics;
    gdi::LogFont font;  // the description CreateFontIndirect took last
    std::vector<std::uint8_t> bytes;
    std::string text;  // the last quoted string a call took
    const gdi::BitmapInfoHeader* dib = nullptr;
    std::vector<std::uint32_t> argb;
    std::map<std::string, void*> names;
    std::map<std::string, std::vector<std::uint8_t>> dibs;
    std::vector<std::pair<gdi::Hdc, gdi::Hgdiobj>> selections;
    std::vector<gdi::Hgdiobj> objects;
    std::vector<gdi::Hdc> dcs;
};

// A call a scene line can make: gets the words after its name and answers a number.
// Files of another kind add verbs of their own (the control's TransBlt).
using Verb = std::function<long(Calls&, const std::vector<std::string>&)>;
using Verbs = std::map<std::string, Verb>;

// Runs one line of a scene and gives the call's answer (a handle's: whether there is one).
long RunLine(Calls& calls, std::vector<std::string> words, const Verbs* extra = nullptr);

struct Scene {
    std::string name;
    int width = 0, height = 0;
    gdi::ColorRef background = kSentinel;
    // Empty when real GDI under Wine and our raster must agree exactly; else the name of
    // a documented difference, which the reference test checks by its own rule.
    std::string known_difference;
    // Runs the scene's calls on `dc` and returns the numbers it reports.
    std::function<std::vector<std::int32_t>(gdi::Gdi&, gdi::Hdc)> draw;
};

// A number (decimal, 0x hex) or constants of gdi.h joined by | (DT_LEFT|DT_NOPREFIX).
long Number(const std::string& word);

// Splits a line into words: a quoted string and x"..." bytes stay one word each; `#`
// starts a comment.
std::vector<std::string> Split(const std::string& line);
// The text of a quoted word, escapes resolved.
std::string Unquote(const std::string& word);

// The lines of every *.txt file of `folder`, in the order of the files' names, split into
// words, blank and comment lines left out; a malformed line throws with its place.
struct Line {
    std::string where;  // "file.txt:12"
    std::vector<std::string> words;
};
std::vector<Line> ReadLines(const std::string& folder);

// Reads every *.txt file of `folder` into scenes; a malformed line throws with its file
// and line, and so does a call that fails while the scene runs. `extra` lets the files use
// more verbs. Between `sweep VALUES` and `end` a scene's lines run once for every pair
// (A, B) of the values, the words A and B replaced by them.
std::vector<Scene> ReadScenes(const std::string& folder, gdi::ColorRef background = kSentinel,
                              const Verbs* extra = nullptr);

// The folder the scene files live in (tests/data/scenes); the reference runner under
// Wine sets its own path to it.
std::string& SceneRoot();
// The drawing scenes (<root>/gdi) and the text scenes (<root>/text, on white).
const std::vector<Scene>& AllScenes();
const std::vector<Scene>& AllTextScenes();

struct Rendered {
    std::vector<gdi::ColorRef> pixels;  // 0x00BBGGRR, rows from the top
    std::vector<std::int32_t> values;
};
// Draws `scene` on a fresh memory DC and surface bitmap filled with its background;
// releases everything it created.
Rendered Render(gdi::Gdi& gdi, const Scene& scene);

// Words a line's placeholders stand for, and what they are replaced by.
using Values = std::map<std::string, std::string>;
// Runs `calls`, scene lines separated by ";", with each word `values` names replaced by its
// value; the answer of the last.
long RunCalls(Calls& c, const std::string& calls, const Values& values = {});
// Such calls as a scene of their own on a fresh width x height bitmap of the sentinel.
Rendered Draw(gdi::Gdi& gdi, int width, int height, const std::string& calls,
              const Values& values = {});

}  // namespace sheenwork::scenes
