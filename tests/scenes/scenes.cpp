// The scene files' interpreter: reads them and runs their calls on any gdi::Gdi.
#include "scenes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <utility>

#ifndef SHEENWORK_SCENE_DIR
#define SHEENWORK_SCENE_DIR "tests/data/scenes"
#endif

namespace sheenwork::scenes {

gdi::ColorRef StretchSource(int column, int row) {
    // Distinct colours per column with a vertical ramp, so a wrong column or row shows.
    static constexpr gdi::ColorRef kColumns[kStretchColumnsCount] = {0x2040E0, 0x40C020, 0xD02060,
                                                                     0x10A0F0};
    const gdi::ColorRef base = kColumns[column % kStretchColumnsCount];
    return gdi::Rgb(gdi::RedOf(base), (gdi::GreenOf(base) + static_cast<unsigned>(row) * 9) & 0xFF,
                    gdi::BlueOf(base) ^ static_cast<unsigned>(row * 3));
}

namespace {

using Words = std::vector<std::string>;
[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

// The pixel patterns of `dib` and `picture`, by name.
gdi::ColorRef Pattern(const std::string& name, int c, int r) {
    static constexpr gdi::ColorRef kPalette[] = {0xFF00FF, 0x000000, 0xFFFFFF, 0x3366CC, 0x99CC33};
    if (name == "stretch") return StretchSource(c, r);
    if (name == "pattern")  // every pixel different
        return gdi::Rgb(c * 37 + r * 11, r * 29 + 60, (c ^ r) * 23 + 5);
    // White with bit (column mod 12) and bit 12 + (row mod 12) cleared: the AND of a block
    // of pixels names its columns and rows.
    if (name == "marks") return 0xFFFFFFu & ~(1u << (c % 12)) & ~(1u << (12 + r % 12));
    if (name == "sparse") return (c * 7 + r * 3) % 11 == 0 ? 0xFEFFFF : 0xFFFFFF;
    if (name == "gradient") return gdi::Rgb(20 * c, 200 - 9 * r, 90);
    if (name == "palette") return kPalette[(c * 3 + r * 2) % 5];
    Fail("no pattern " + name);
}

std::vector<std::uint8_t> Hex(const std::string& word) {  // x"0A1B..."
    if (word.rfind("x\"", 0) != 0) Fail("expected bytes x\"...\": " + word);
    std::vector<std::uint8_t> out;
    for (std::size_t i = 2; i + 2 < word.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoul(word.substr(i, 2), nullptr, 16)));
    return out;
}

const std::map<std::string, long>& Constants() {
    using namespace gdi;
#define N(name) \
    { #name, name }
    // clang-format off
    static const std::map<std::string, long> table = {
        N(SRCCOPY), N(SRCPAINT), N(SRCAND), N(SRCINVERT), N(SRCERASE), N(NOTSRCCOPY),
        N(NOTSRCERASE), N(MERGEPAINT), N(DSTINVERT), N(BLACKNESS), N(WHITENESS), N(TRANSPARENT),
        N(OPAQUE), N(NEWTRANSPARENT), N(CAPS1), N(C1_TRANSPARENT), N(PS_SOLID), N(PS_NULL), N(WHITE_BRUSH),
        N(BLACK_BRUSH), N(NULL_BRUSH), N(WHITE_PEN), N(BLACK_PEN), N(NULL_PEN), N(DIB_RGB_COLORS),
        N(AC_SRC_OVER), N(AC_SRC_ALPHA), N(SYMBOL_CHARSET), N(FW_BOLD), N(DT_LEFT), N(DT_CENTER),
        N(DT_RIGHT), N(DT_VCENTER), N(DT_BOTTOM), N(DT_WORDBREAK), N(DT_SINGLELINE), N(DT_NOCLIP),
        N(DT_EXTERNALLEADING), N(DT_NOPREFIX), N(DT_CALCRECT), N(BDR_RAISEDOUTER), N(BDR_SUNKENOUTER),
        N(BDR_RAISEDINNER), N(BDR_SUNKENINNER), N(EDGE_RAISED), N(EDGE_SUNKEN), N(EDGE_ETCHED),
        N(EDGE_BUMP), N(BF_LEFT), N(BF_TOP), N(BF_RIGHT), N(BF_BOTTOM), N(BF_RECT), N(BF_MIDDLE),
        N(BF_ADJUST), N(ANSI_CHARSET), N(DEFAULT_CHARSET), N(FW_NORMAL), N(ANTIALIASED_QUALITY),
        N(NONANTIALIASED_QUALITY), N(DEFAULT_QUALITY), {"BITSPIXEL", 12}, {"PLANES", 14},
    };
    // clang-format on
#undef N
    return table;
}

// A DIB: the header, the colour table and the bits in one block, allocated to its exact
// size so that a read past the last row is caught by the sanitizer build. A pattern is
// 24 or 32 bits a pixel, or 8 with one colour-table entry a pixel (index y * COLUMNS + x).
std::vector<std::uint8_t> MakeDib(const Calls& c, const Words& w) {
    if (w.size() < 5 || (w[3] != "bottomup" && w[3] != "topdown"))
        Fail("dib BPP COLUMNS ROWS bottomup|topdown SOURCE");
    gdi::BitmapInfoHeader info;
    info.biBitCount = static_cast<std::uint16_t>(c.Int(w[0]));
    const int columns = info.biWidth = static_cast<int>(c.Int(w[1]));
    const int rows = static_cast<int>(c.Int(w[2]));
    const bool top_down = w[3] == "topdown";
    info.biHeight = top_down ? -rows : rows;
    const int stride = (columns * info.biBitCount + 31) / 32 * 4;
    std::vector<std::uint8_t> bits, table;
    const auto add_color = [&table](gdi::ColorRef v) {
        table.insert(table.end(), {static_cast<std::uint8_t>(gdi::BlueOf(v)),
                                   static_cast<std::uint8_t>(gdi::GreenOf(v)),
                                   static_cast<std::uint8_t>(gdi::RedOf(v)), 0});
    };
    if (w[4].rfind("x\"", 0) == 0) {
        bits = Hex(w[4]);
        if (bits.size() < static_cast<std::size_t>(stride * rows))
            Fail("the DIB's bytes are fewer than its rows need");
        for (std::size_t i = 6; i < w.size(); ++i)  // after `table`
            add_color(static_cast<gdi::ColorRef>(c.Int(w[i])));
    } else {
        const int bytes = info.biBitCount / 8;
        if ((bytes != 1 && bytes != 3 && bytes != 4) || (bytes == 1 && columns * rows > 256))
            Fail("a pattern DIB is of 24 or 32 bits, or of 8 bits and at most 256 pixels");
        bits.assign(static_cast<std::size_t>(stride) * rows, 0xEE);  // padding bytes too
        for (int r = 0; r < rows; ++r)
            for (int col = 0; col < columns; ++col) {
                const gdi::ColorRef v = Pattern(w[4], col, r);
                auto* p = &bits[static_cast<std::size_t>(top_down ? r : rows - 1 - r) * stride +
                                col * bytes];
                if (bytes == 1) {
                    *p = static_cast<std::uint8_t>(table.size() / 4);
                    add_color(v);
                    continue;
                }
                p[0] = static_cast<std::uint8_t>(gdi::BlueOf(v));
                p[1] = static_cast<std::uint8_t>(gdi::GreenOf(v));
                p[2] = static_cast<std::uint8_t>(gdi::RedOf(v));
                if (bytes == 4) p[3] = 0;
            }
    }
    info.biSizeImage = static_cast<std::uint32_t>(bits.size());
    info.biClrUsed = static_cast<std::uint32_t>(table.size() / 4);
    std::vector<std::uint8_t> block(sizeof info + table.size() + bits.size());
    std::memcpy(block.data(), &info, sizeof info);
    std::copy(table.begin(), table.end(), block.begin() + sizeof info);
    std::copy(bits.begin(), bits.end(), block.end() - static_cast<std::ptrdiff_t>(bits.size()));
    return block;
}

// The words of one call, taken left to right as its parameters want them.
struct Reader {
    Calls& c;
    const Words& w;
    std::size_t i = 0;
    const std::string& Next() { return i < w.size() ? w[i++] : (Fail("too few arguments"), w[0]); }
    template <typename T>
    T Take() {
        if constexpr (std::is_same_v<T, gdi::Hdc> || std::is_same_v<T, gdi::Hgdiobj>) {
            return static_cast<T>(c.Handle(Next()));
        } else if constexpr (std::is_same_v<T, gdi::Point*>) {  // MoveToEx's answer
            return &(c.point = {-1, -1});
        } else if constexpr (std::is_same_v<T, gdi::Size*>) {
            return &(c.size = {});
        } else if constexpr (std::is_same_v<T, gdi::TextMetric*>) {
            return &(c.metrics = {});
        } else if constexpr (std::is_same_v<T, const gdi::LogFont&>) {
            c.font = {};
            c.font.lfHeight = Take<int>();
            c.font.lfWeight = Take<int>();
            c.font.lfItalic = Take<std::uint8_t>();
            c.font.lfUnderline = Take<std::uint8_t>();
            c.font.lfStrikeOut = Take<std::uint8_t>();
            c.font.lfCharSet = Take<std::uint8_t>();
            c.font.lfQuality = Take<std::uint8_t>();
            std::strncpy(c.font.lfFaceName, Unquote(Next()).c_str(), gdi::kLfFaceSize - 1);
            return c.font;
        } else if constexpr (std::is_same_v<T, gdi::Rect*> || std::is_same_v<T, const gdi::Rect*>) {
            c.rect = {Take<int>(), Take<int>(), Take<int>(), Take<int>()};
            return &c.rect;
        } else if constexpr (std::is_same_v<T, const void*>) {  // a DIB's bits, or bytes
            if (i == w.size()) return nullptr;
            const std::string& word = Next();
            if (word == "null") return nullptr;
            if (word.rfind("x\"", 0) == 0) return (c.bytes = Hex(word)).data();
            const auto it = c.dibs.find(word);
            if (it == c.dibs.end()) Fail("no DIB called " + word);
            c.dib = reinterpret_cast<const gdi::BitmapInfoHeader*>(it->second.data());
            return &*(it->second.end() - c.dib->biSizeImage);
        } else if constexpr (std::is_same_v<T, const char*>) {
            return (c.text = Unquote(Next())).c_str();
        } else if constexpr (std::is_same_v<T, const gdi::BitmapInfoHeader*>) {
            return c.dib;
        } else if constexpr (std::is_same_v<T, gdi::BlendFunction>) {
            return {Take<std::uint8_t>(), Take<std::uint8_t>(), Take<std::uint8_t>(),
                    Take<std::uint8_t>()};
        } else if constexpr (std::is_same_v<T, const std::uint32_t*>) {  // the `ramp` source
            if (Next() != "ramp") Fail("an alpha bitmap's pixels are a ramp");
            const auto width = static_cast<unsigned>(c.Int(w[0])),
                       height = static_cast<unsigned>(c.Int(w[1]));
            c.argb.clear();  // alpha steps across the columns, the colours premultiplied
            for (unsigned y = 0; y < height; ++y)
                for (unsigned x = 0; x < width; ++x) {
                    const unsigned a = width == 1 ? 255u : x * 255 / (width - 1);
                    c.argb.push_back(a << 24 | (200u + y * 13u) % 256u * a / 255 << 16 |
                                     (40u + x * 29u) % 256u * a / 255 << 8 |
                                     (y * 71u) % 256u * a / 255);
                }
            return c.argb.data();
        } else {
            return static_cast<T>(c.Int(Next()));
        }
    }
};

// A verb that calls `f` on the scene's Gdi (a method of it, or a function taking it
// first) with its parameters read from the words; a handle it answers is `made`.
template <typename R, typename F, typename... A>
Verb Call(F f) {
    return [f](Calls& c, const Words& w) -> long {
        Reader r{c, w};
        std::tuple<A...> args{r.Take<A>()...};  // in order: a braced list is read left to right
        if (r.i != w.size()) Fail("too many arguments");
        if constexpr (std::is_void_v<R>) {
            std::apply([&](A... a) { f(c.g, a...); }, args);
            return 1;
        } else {
            const R answer = std::apply([&](A... a) { return f(c.g, a...); }, args);
            if constexpr (std::is_pointer_v<R>) {
                c.made = answer;
                return answer != nullptr;
            } else {
                return static_cast<long>(answer);
            }
        }
    };
}
template <typename R, typename... A>
Verb Bind(R (gdi::Gdi::*method)(A...)) {
    return Call<R, decltype(std::mem_fn(method)), A...>(std::mem_fn(method));
}
template <typename R, typename... A>
Verb Bind(R (*function)(gdi::Gdi&, A...)) {
    return Call<R, R (*)(gdi::Gdi&, A...), A...>(function);
}

// Fills with a brush made for the call.
long Fill(gdi::Gdi& g, gdi::Hdc dc, const gdi::Rect* r, gdi::ColorRef color) {
    gdi::Hgdiobj brush = g.CreateSolidBrush(color);
    g.FillRect(dc, r, brush);
    return g.DeleteObject(brush);
}

const Verbs& Builtins() {
#define B(method) \
    { #method, Bind(&gdi::Gdi::method) }
    static const Verbs verbs = {
        // clang-format off
        B(CreateCompatibleDC), B(DeleteDC), B(CreateCompatibleBitmap), B(CreateBitmap),
        B(CreateSurfaceBitmap), B(CreateAlphaBitmap), B(CreatePen), B(CreateSolidBrush),
        B(GetStockObject), B(SelectObject), B(DeleteObject), B(SetBkColor), B(GetBkColor),
        B(SetTextColor), B(GetTextColor), B(SetBkMode), B(GetBkMode), B(GetDeviceCaps), B(MoveToEx),
        B(LineTo), B(SetPixel), B(GetPixel), B(Rectangle), B(FillRect), B(RoundRect), B(DrawEdge),
        B(DrawFocusRect), B(StretchDIBits), B(BitBlt), B(AlphaBlend), B(DrawTextA),
        B(CreateFontIndirect), B(GetTextExtentPoint32), B(GetTextMetrics),
        // clang-format on
        {"fill", Bind(&Fill)},
        {"stripes",
         [](Calls& c, const Words& w) {
             Reader r{c, w};
             const auto dc = r.Take<gdi::Hdc>();
             const int width = r.Take<int>(), height = r.Take<int>(), stripe = r.Take<int>();
             for (int x = 0, i = 0; x < width; x += stripe, ++i) {
                 const gdi::Rect band{x, 0, x + stripe, height};
                 Fill(c.g, dc, &band, static_cast<gdi::ColorRef>(c.Int(w[4 + i % (w.size() - 4)])));
             }
             return 1L;
         }},
        {"picture",
         [](Calls& c, const Words& w) {
             Reader r{c, w};
             const auto dc = r.Take<gdi::Hdc>();
             const int width = r.Take<int>(), height = r.Take<int>();
             const std::string pattern = r.i < w.size() ? r.Next() : "pattern";
             for (int y = 0; y < height; ++y)
                 for (int x = 0; x < width; ++x) c.g.SetPixel(dc, x, y, Pattern(pattern, x, y));
             return 1L;
         }},
    };
#undef B
    return verbs;
}

// What `report` adds to the scene's numbers: the call's answer, and the rectangle DrawTextA
// and DrawEdge leave or the position MoveToEx reports; for GetTextExtentPoint32 only the
// extent, for GetTextMetrics only the metrics.
void Report(Calls& c, const std::string& call, long answer) {
    auto& v = c.values;
    const gdi::TextMetric& tm = c.metrics;
    if (call == "GetTextExtentPoint32") {
        v.insert(v.end(), {c.size.cx, c.size.cy});
    } else if (call == "GetTextMetrics") {
        v.insert(v.end(), {tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmInternalLeading,
                           tm.tmExternalLeading, tm.tmAveCharWidth});
    } else {
        v.push_back(static_cast<std::int32_t>(answer));
        if (call == "DrawTextA" || call == "DrawEdge")
            v.insert(v.end(), {c.rect.left, c.rect.top, c.rect.right, c.rect.bottom});
        if (call == "MoveToEx") v.insert(v.end(), {c.point.x, c.point.y});
    }
}

}  // namespace

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> out;
    for (std::size_t i = line.find_first_not_of(" \t"); i < line.size() && line[i] != '#';
         i = line.find_first_not_of(" \t", i)) {
        std::size_t end = line.find_first_of(" \t", i);
        if (line[i] == '"' || line.compare(i, 2, "x\"") == 0) {
            end = line.find('"', i) + 1;
            while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
            if (end++ >= line.size()) Fail("a string without its closing quote");
        }
        out.push_back(line.substr(i, end - i));
        i = std::min(end, line.size());
    }
    return out;
}

std::string Unquote(const std::string& word) {
    if (word.size() < 2 || word.front() != '"' || word.back() != '"')
        Fail("expected a quoted string: " + word);
    std::string out;
    for (std::size_t i = 1; i + 1 < word.size(); ++i) {
        const char e = word[i] == '\\' ? word[++i] : 0;
        if (e == 'x') out += static_cast<char>(std::stoi(word.substr(i + 1, 2), nullptr, 16));
        i += e == 'x' ? 2 : 0;
        if (e != 'x') out += e == 0 ? word[i] : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    }
    return out;
}

long Number(const std::string& word) {
    if (word.empty()) Fail("a number is missing");
    if (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-') {
        std::size_t used = 0;
        const long v = std::stol(word, &used, 0);
        if (used != word.size()) Fail("not a number: " + word);
        return v;
    }
    long v = 0;
    for (std::size_t at = 0; at <= word.size();) {
        const std::size_t bar = std::min(word.find('|', at), word.size());
        const auto it = Constants().find(word.substr(at, bar - at));
        if (it == Constants().end()) Fail("no constant " + word.substr(at, bar - at));
        v |= it->second;
        at = bar + 1;
    }
    return v;
}

long Calls::Int(const std::string& word) const { return Number(word); }

void* Calls::Handle(const std::string& word) const {
    if (word == "dc") return dc;
    if (word == "null") return nullptr;
    if (std::isdigit(static_cast<unsigned char>(word[0])))  // a system colour index + 1
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(Int(word)));
    const auto it = names.find(word);
    if (it == names.end()) Fail("nothing is called " + word);
    return it->second;
}

Calls::~Calls() {
    for (auto it = selections.rbegin(); it != selections.rend(); ++it)
        g.SelectObject(it->first, it->second);
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) g.DeleteObject(*it);
    for (auto it = dcs.rbegin(); it != dcs.rend(); ++it) g.DeleteDC(*it);
}

long RunLine(Calls& c, Words w, const Verbs* extra) {
    std::string name;
    if (w.size() > 2 && w[1] == "=") {
        name = w[0];
        w.erase(w.begin(), w.begin() + 2);
        if (w[0] == "dib") {
            c.dibs[name] = MakeDib(c, Words(w.begin() + 1, w.end()));
            return 1;
        }
    }
    const bool report = w.size() > 1 && w[0] == "report";
    if (report) w.erase(w.begin());
    const Verb* verb = nullptr;
    for (const Verbs* verbs : {extra, &Builtins()})
        if (verbs != nullptr && verb == nullptr && verbs->count(w[0])) verb = &verbs->at(w[0]);
    if (verb == nullptr) Fail("no call " + w[0]);
    const Words args(w.begin() + 1, w.end());
    c.made = nullptr;
    const long answer = (*verb)(c, args);
    if (w[0] == "SelectObject" && c.made != nullptr)
        c.selections.emplace_back(c.Dc(args[0]), static_cast<gdi::Hgdiobj>(c.made));
    else if (w[0] == "CreateCompatibleDC" && c.made != nullptr)
        c.dcs.push_back(static_cast<gdi::Hdc>(c.made));
    else if (w[0].rfind("Create", 0) == 0 && c.made != nullptr)
        c.objects.push_back(static_cast<gdi::Hgdiobj>(c.made));
    // What the scene deleted itself is no longer put back or deleted at its end.
    if ((w[0] == "DeleteObject" || w[0] == "DeleteDC") && answer != 0) {
        void* h = c.Handle(args[0]);
        std::erase(c.objects, static_cast<gdi::Hgdiobj>(h));
        std::erase(c.dcs, static_cast<gdi::Hdc>(h));
        std::erase_if(c.selections, [h](const auto& s) { return s.first == h || s.second == h; });
    }
    if (!name.empty()) c.names[name] = c.made;
    if (report) Report(c, w[0], answer);
    return answer;
}

std::vector<Line> ReadLines(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) Fail("no scene files in " + folder);
    std::vector<Line> lines;
    for (const auto& file : files) {
        std::ifstream in(file);
        int number = 0;
        for (std::string text; std::getline(in, text);) {
            Line line{file.filename().string() + ":" + std::to_string(++number), {}};
            try {
                line.words = Split(text);
            } catch (const std::exception& e) {
                Fail(line.where + ": " + e.what());
            }
            if (!line.words.empty()) lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::vector<Scene> ReadScenes(const std::string& folder, gdi::ColorRef background,
                              const Verbs* extra) {
    std::vector<Scene> scenes;
    std::shared_ptr<std::vector<Line>> body;
    std::vector<Line> sweep;  // an open sweep: its own line, then the lines it repeats
    for (const Line& line : ReadLines(folder)) try {
            const Words& w = line.words;
            if (w[0] == "scene") {
                if (w.size() < 4 || w.size() % 2 != 0 || !sweep.empty())
                    Fail("scene NAME WIDTH HEIGHT [background COLOR] [differs KIND]");
                body = std::make_shared<std::vector<Line>>();
                Scene s{w[1], std::stoi(w[2]), std::stoi(w[3]), background, {}, {}};
                for (std::size_t i = 4; i < w.size(); i += 2)
                    if (w[i] == "background")
                        s.background = static_cast<gdi::ColorRef>(std::stoul(w[i + 1], nullptr, 0));
                    else if (w[i] == "differs")
                        s.known_difference = w[i + 1];
                    else
                        Fail("a scene has no " + w[i]);
                s.draw = [body, extra](gdi::Gdi& g, gdi::Hdc dc) {
                    Calls calls(g, dc);
                    for (const Line& call : *body) try {
                            RunLine(calls, call.words, extra);
                        } catch (const std::exception& e) {
                            Fail(call.where + ": " + e.what());
                        }
                    return calls.values;
                };
                scenes.push_back(std::move(s));
            } else if (!body) {
                Fail("a call before the first scene");
            } else if (w[0] == "sweep" || !sweep.empty()) {
                if (w[0] == "sweep" && (!sweep.empty() || w.size() < 2))
                    Fail("sweep VALUES ... end");
                if (w[0] != "end") {
                    sweep.push_back(line);
                    continue;
                }
                const Words& values = sweep[0].words;
                for (std::size_t a = 1; a < values.size(); ++a)
                    for (std::size_t b = 1; b < values.size(); ++b)
                        for (auto it = sweep.begin() + 1; it != sweep.end(); ++it) {
                            Line& copy = body->emplace_back(*it);
                            for (auto& word : copy.words)
                                word = word == "A" ? values[a] : word == "B" ? values[b] : word;
                        }
                sweep.clear();
            } else {
                body->push_back(line);
            }
        } catch (const std::exception& e) {
            Fail(line.where + ": " + e.what());
        }
    if (!sweep.empty()) Fail(sweep[0].where + ": a sweep without its end");
    return scenes;
}

std::string& SceneRoot() {
    static std::string root = SHEENWORK_SCENE_DIR;
    return root;
}

const std::vector<Scene>& AllScenes() {
    static const std::vector<Scene> scenes = ReadScenes(SceneRoot() + "/gdi");
    return scenes;
}

const std::vector<Scene>& AllTextScenes() {
    static const std::vector<Scene> scenes = ReadScenes(SceneRoot() + "/text", 0xFFFFFF);
    return scenes;
}

Rendered Render(gdi::Gdi& g, const Scene& scene) {
    Rendered out;
    gdi::Hdc dc = g.CreateCompatibleDC(nullptr);
    gdi::Hgdiobj bitmap = g.CreateSurfaceBitmap(scene.width, scene.height);
    if (dc == nullptr || bitmap == nullptr) Fail("no DC or bitmap for " + scene.name);
    gdi::Hgdiobj original = g.SelectObject(dc, bitmap);
    const gdi::Rect all{0, 0, scene.width, scene.height};
    Fill(g, dc, &all, scene.background);
    out.values = scene.draw(g, dc);
    g.SelectObject(dc, original);
    out.pixels = g.ReadBitmap(bitmap);
    g.DeleteObject(bitmap);
    g.DeleteDC(dc);
    return out;
}

long RunCalls(Calls& c, const std::string& calls, const Values& values) {
    long answer = 0;
    for (std::size_t at = 0; at <= calls.size();) {
        const std::size_t end = std::min(calls.find(';', at), calls.size());
        Words words = Split(calls.substr(at, end - at));
        for (auto& word : words)
            if (const auto it = values.find(word); it != values.end()) word = it->second;
        if (!words.empty()) answer = RunLine(c, words);
        at = end + 1;
    }
    return answer;
}

Rendered Draw(gdi::Gdi& g, int width, int height, const std::string& calls, const Values& values) {
    return Render(g, {"", width, height, kSentinel, {}, [&](gdi::Gdi& gdi, gdi::Hdc dc) {
                          Calls c(gdi, dc);
                          RunCalls(c, calls, values);
                          return c.values;
                      }});
}

}  // namespace sheenwork::scenes
