// Fonts through fontconfig and FreeType. See font_engine.h for the metric rules.
#include "platform/text/font_engine.h"

#include "platform/text/face_cache.h"

#include "util/ascii.h"

#include <sheenwork/text/fonts.h>
#include <sheenwork/vb/error.h>

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <vector>

namespace sheenwork::text {
namespace {

// One lock for FreeType, fontconfig and the caches: faces are not safe to share between
// threads, and realising a font is rare enough that contention does not matter. It is
// recursive because dropping a realisation from the cache, under the lock, closes its
// face, which takes the lock too.
std::recursive_mutex& Lock() {
    static std::recursive_mutex m;
    return m;
}

std::atomic<std::uint64_t> g_rasterised{0};

bool SameFamily(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// What fontconfig found for a pattern in one configuration.
struct Match {
    bool found = false;
    bool exact = false;
    ResolvedFace face;
};

Match MatchIn(FcConfig* config, const std::string& family, int weight, bool italic) {
    Match result;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return result;
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult status = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &status);
    FcPatternDestroy(pattern);
    if (match == nullptr) return result;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        result.found = true;
        result.face.file = reinterpret_cast<const char*>(file);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
            result.face.index = index;
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            const std::string candidate = reinterpret_cast<const char*>(name);
            if (i == 0) result.face.family = candidate;
            if (SameFamily(candidate, family)) {
                result.exact = true;
                result.face.family = candidate;
            }
        }
        int face_weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &face_weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        result.face.bold = face_weight >= FC_WEIGHT_DEMIBOLD;
        result.face.italic = slant != FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return result;
}

// fontconfig for the life of the process: the system configuration, and one holding only
// Wine's font folder. The configuration of our own goes when the process ends; fontconfig's
// global state is the process's, shared with any toolkit that uses fontconfig too, so it
// is never finalised here (finalising it under a toolkit that still holds its fonts stops
// the process with an assertion).
class Fontconfig {
public:
    static Fontconfig& Session() {
        static Fontconfig session;
        return session;
    }
    FcConfig* Wine() const { return wine_; }
    // Whether a face in Wine's folder has `family` among its names (compared as
    // SameFamily compares). Only such a face can be an exact match there, so a lookup
    // of any other family need not ask that configuration at all.
    bool WineHas(std::string_view family) const {
        return wine_families_.count(util::AsciiLower(family)) != 0;
    }

private:
    Fontconfig() {
        FcInit();
        wine_ = FcConfigCreate();
        if (wine_ == nullptr) return;
        // A configuration of its own has no cache folder; give it the user's, so that
        // fontconfig can keep the folder's scan instead of complaining on every start.
        static const char kCache[] =
            "<fontconfig><cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";
        FcConfigParseAndLoadFromMemory(wine_, reinterpret_cast<const FcChar8*>(kCache), FcFalse);
        FcConfigAppFontAddDir(wine_, reinterpret_cast<const FcChar8*>(WineFontFolder().c_str()));
        if (FcFontSet* fonts = FcConfigGetFonts(wine_, FcSetApplication); fonts != nullptr)
            for (int f = 0; f < fonts->nfont; ++f) {
                FcChar8* name = nullptr;
                for (int i = 0;
                     FcPatternGetString(fonts->fonts[f], FC_FAMILY, i, &name) == FcResultMatch; ++i)
                    wine_families_.insert(util::AsciiLower(reinterpret_cast<const char*>(name)));
            }
    }
    ~Fontconfig() {
        if (wine_ != nullptr) FcConfigDestroy(wine_);
    }
    FcConfig* wine_ = nullptr;
    std::set<std::string> wine_families_;
};

ResolvedFace Lookup(const std::string& family, int weight, bool italic) {
    Fontconfig& fc = Fontconfig::Session();
    Match system = MatchIn(nullptr, family, weight, italic);
    if (system.found && system.exact) return system.face;
    if (FcConfig* wine = fc.Wine(); wine != nullptr && !family.empty() && fc.WineHas(family)) {
        Match own = MatchIn(wine, family, weight, italic);
        if (own.found && own.exact) return own.face;
    }
    if (!system.found) vb::Raise(7, {}, "No font is installed to stand in for \"" + family + "\"");
    system.face.substituted = !family.empty();
    return system.face;
}

// Lookups are remembered per family (as named), weight and slant: the installed fonts
// do not change while the process runs, and asking fontconfig costs more than
// realising a size. Across runs they are remembered in the face cache's file, so that a
// process whose faces are all there never loads fontconfig's configuration.
ResolvedFace ResolveLocked(const std::string& family, int weight, bool italic) {
    static std::map<std::tuple<std::string, int, bool>, ResolvedFace> known;
    const auto key = std::make_tuple(family, weight, italic);
    if (auto it = known.find(key); it != known.end()) return it->second;
    FaceCache& kept = FaceCache::Session();
    if (std::optional<ResolvedFace> face = kept.Find(family, weight, italic)) {
        known.emplace(key, *face);
        return *face;
    }
    ResolvedFace face = Lookup(family, weight, italic);
    known.emplace(key, face);
    kept.Keep(family, weight, italic, face, FaceCache::CurrentStamp());
    return face;
}

// The bytes of a font file, mapped read-only, as FreeType maps the files it opens itself:
// a face then costs the pages of the tables and glyphs it reads, not a copy of the whole
// file. Where the file cannot be mapped, it is read whole.
class FontBytes {
public:
    static std::shared_ptr<const FontBytes> Open(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st {};
        std::shared_ptr<FontBytes> bytes;
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            bytes.reset(new FontBytes);
            bytes->size_ = static_cast<std::size_t>(st.st_size);
            void* map = mmap(nullptr, bytes->size_, PROT_READ, MAP_PRIVATE, fd, 0);
            if (map != MAP_FAILED) {
                bytes->data_ = static_cast<const FT_Byte*>(map);
            } else {
                bytes->copy_.reset(new FT_Byte[bytes->size_]);
                std::size_t done = 0;
                while (done < bytes->size_) {
                    const ssize_t n = ::read(fd, bytes->copy_.get() + done, bytes->size_ - done);
                    if (n <= 0) break;
                    done += static_cast<std::size_t>(n);
                }
                bytes->data_ = bytes->copy_.get();
                if (done != bytes->size_) bytes = nullptr;
            }
        }
        ::close(fd);
        return bytes;
    }
    FontBytes(const FontBytes&) = delete;
    FontBytes& operator=(const FontBytes&) = delete;
    ~FontBytes() {
        if (copy_ == nullptr) munmap(const_cast<FT_Byte*>(data_), size_);
    }
    const FT_Byte* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    FontBytes() = default;
    const FT_Byte* data_ = nullptr;
    std::size_t size_ = 0;
    std::unique_ptr<FT_Byte[]> copy_;  // the bytes read when the file cannot be mapped
};

// The bytes of each font file, opened once and shared by every face opened from it.
std::shared_ptr<const FontBytes> FontFile(const std::string& path) {
    static std::map<std::string, std::shared_ptr<const FontBytes>> files;
    if (auto it = files.find(path); it != files.end()) return it->second;
    std::shared_ptr<const FontBytes> bytes = FontBytes::Open(path);
    if (bytes != nullptr) files.emplace(path, bytes);
    return bytes;
}

// Windows-1252 to Unicode for the bytes 0x80..0x9F; the rest are Latin-1.
char32_t FromAnsi(unsigned char c) {
    static constexpr std::array<char16_t, 32> k80 = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c;
}

// A font-unit value in whole pixels at `ppem` pixels per em: units * ppem / em, rounded
// to the nearest pixel (halves up), as GDI scales every metric.
int Scale(long units, long ppem, long em) {
    const long long n = 2LL * units * ppem + em, d = 2LL * em;
    return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

// Whether a face's gasp table gives a size of `ppem` pixels grey levels. The table is a
// list of ranges in increasing order, each the largest size it covers and its flags; a
// size takes the flags of the first range that covers it, or past the last one the last's.
// A face without the table, or with one GDI does not read (shorter than a range, of a
// version above 1, shorter than the ranges it counts), is grey at every size.
bool GaspAllowsGrey(FT_Face face, long ppem) {
    constexpr unsigned kDoGray = 0x0002;
    FT_ULong size = 0;
    if (FT_Load_Sfnt_Table(face, TTAG_gasp, 0, nullptr, &size) != 0 || size < 8) return true;
    // A read that fails (a table said to reach past the file's end) leaves zeros.
    std::array<FT_Byte, 4> head{};
    FT_ULong length = head.size();
    FT_Load_Sfnt_Table(face, TTAG_gasp, 0, head.data(), &length);
    const unsigned version = head[0] << 8 | head[1], count = head[2] << 8 | head[3];
    length = 4UL * count;
    if (version > 1 || size < length + 4) return true;
    std::vector<FT_Byte> ranges(length);
    FT_Load_Sfnt_Table(face, TTAG_gasp, 4, ranges.data(), &length);
    unsigned flags = 0;  // the low byte of a range's flags holds the grey flag
    for (std::size_t at = 0; at < ranges.size(); at += 4) {
        flags = ranges[at + 3];
        if (ppem <= (ranges[at] << 8 | ranges[at + 1])) break;
    }
    return (flags & kDoGray) != 0;
}

// A 26.6 advance in whole pixels.
int Pixels(long advance) { return static_cast<int>((advance + 32) >> 6); }

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return library;
}

// A face of a font file, opened once per process and shared by every font realised from
// it: each realisation has its own size (FT_New_Size), which it makes the face's active
// one under the lock before it loads a glyph. Parsing the file's tables happens once.
//
// A realisation that goes leaves its size to the next one of the face (at most
// kSpareSizes wait). Setting a size to another height scales it anew and runs the
// font's size program again, as for a new size; what a new size would run besides, and a
// reused one keeps, is the font's own program, which only defines the functions the
// other programs call: about half of what a new realisation of a hinted face costs.
struct SharedFace {
    static constexpr std::size_t kSpareSizes = 4;
    std::shared_ptr<const FontBytes> file;  // outlives face, which reads it
    FT_Face face = nullptr;
    bool symbol = false;         // mapped through the symbol page (see IndexOf)
    std::vector<FT_Size> spare;  // FT_Done_Face frees them with the face

    // A size for a new realisation; null when FreeType has none to give.
    FT_Size TakeSize() {
        FT_Size size = nullptr;
        if (!spare.empty()) {
            size = spare.back();
            spare.pop_back();
        } else if (FT_New_Size(face, &size) != 0) {
            size = nullptr;
        }
        return size;
    }
    void GiveSize(FT_Size size) {
        if (spare.size() < kSpareSizes)
            spare.push_back(size);
        else
            FT_Done_Size(size);
    }
    SharedFace() = default;
    SharedFace(const SharedFace&) = delete;
    SharedFace& operator=(const SharedFace&) = delete;
    ~SharedFace() {
        if (face != nullptr) FT_Done_Face(face);
    }
};

// The face `index` of `path`, opened on first use; null when it cannot be opened.
std::shared_ptr<SharedFace> OpenFace(const std::string& path, int index) {
    static std::map<std::pair<std::string, int>, std::shared_ptr<SharedFace>> faces;
    const auto key = std::make_pair(path, index);
    if (auto it = faces.find(key); it != faces.end()) return it->second;
    FT_Library library = Library();
    auto shared = std::make_shared<SharedFace>();
    shared->file = FontFile(path);
    if (library == nullptr || shared->file == nullptr ||
        FT_New_Memory_Face(library, shared->file->Data(),
                           static_cast<FT_Long>(shared->file->Size()), index, &shared->face) != 0) {
        shared->face = nullptr;
        return nullptr;
    }
    shared->symbol = FT_Select_Charmap(shared->face, FT_ENCODING_MS_SYMBOL) == 0;
    if (!shared->symbol) FT_Select_Charmap(shared->face, FT_ENCODING_UNICODE);
    faces.emplace(key, shared);
    return shared;
}

class FreeTypeFont final : public RealizedFont {
public:
    FreeTypeFont(const gdi::LogFont& font, const ResolvedFace& resolved) {
        shared_ = OpenFace(resolved.file, resolved.index);
        if (shared_ != nullptr) size_ = shared_->TakeSize();
        if (size_ == nullptr) {
            vb::Raise(7, {}, "The font file " + resolved.file + " cannot be opened");
        }
        face_ = shared_->face;
        FT_Activate_Size(size_);
        family_ = resolved.family;
        symbol_ = shared_->symbol;
        const bool want_bold = font.lfWeight > 550;
        fake_bold_ = want_bold && !resolved.bold && FT_IS_SCALABLE(face_);
        fake_italic_ = font.lfItalic != 0 && !resolved.italic;
        underline_ = font.lfUnderline != 0;
        strike_out_ = font.lfStrikeOut != 0;

        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        const TT_HoriHeader* hhea =
            static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
        const TT_Postscript* post =
            static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face_, FT_SFNT_POST));
        long ascent = face_->ascender, descent = -face_->descender;
        if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent != 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        const long em = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
        const long cell = std::max(1L, ascent + descent);
        long height = font.lfHeight == 0 ? 16 : font.lfHeight;
        long ppem = height < 0 ? -height : (height * em + cell / 2) / cell;
        ppem = std::clamp(ppem, 1L, 4096L);
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(ppem));
        // Every metric follows from the whole em size, also for a requested cell height,
        // which the rounded em meets only roughly (a cell of 25 gives 24 for DejaVu Sans).
        const auto scaled = [ppem, em](long units) { return Scale(units, ppem, em); };
        // Bilevel when asked, or where gasp has no grey levels at this size (a synthetic
        // bold or oblique face keeps them); a bilevel glyph may come from a bitmap strike
        // of this size unless slanted or made bold by synthesis (GDI widens a strike's
        // bitmap by a pixel for that, which none of the faces we compare with can show:
        // the outline grown as for grey levels stands in).
        mono_ = font.lfQuality == gdi::NONANTIALIASED_QUALITY ||
                (!fake_bold_ && !fake_italic_ && !GaspAllowsGrey(face_, ppem));
        strikes_ = mono_ && !fake_italic_ && !fake_bold_;

        metrics_.tmAscent = scaled(ascent);
        metrics_.tmDescent = scaled(descent);
        metrics_.tmHeight = metrics_.tmAscent + metrics_.tmDescent;
        metrics_.tmInternalLeading = scaled(ascent + descent - em);
        if (hhea != nullptr)
            metrics_.tmExternalLeading = std::max(
                0,
                scaled(hhea->Line_Gap - ((ascent + descent) - (hhea->Ascender - hhea->Descender))));
        metrics_.tmAveCharWidth = os2 != nullptr && os2->xAvgCharWidth > 0
                                      ? scaled(os2->xAvgCharWidth)
                                      : scaled(face_->max_advance_width) / 2;
        metrics_.tmMaxCharWidth = scaled(face_->bbox.xMax - face_->bbox.xMin);
        if (fake_bold_) {
            // Every advance grows by the pixel the synthetic bold adds.
            ++metrics_.tmAveCharWidth;
            ++metrics_.tmMaxCharWidth;
        }
        metrics_.tmWeight = want_bold ? std::max<int>(font.lfWeight, gdi::FW_BOLD)
                                      : (resolved.bold ? gdi::FW_BOLD : gdi::FW_NORMAL);
        if (post != nullptr) {
            underline_position_ = scaled(post->underlinePosition);
            underline_thickness_ = scaled(post->underlineThickness);
        }
        if (os2 != nullptr) {
            strikeout_position_ = scaled(os2->yStrikeoutPosition);
            strikeout_thickness_ = scaled(os2->yStrikeoutSize);
        } else {
            strikeout_position_ = metrics_.tmAscent / 2;
            strikeout_thickness_ = std::max(1, underline_thickness_);
        }
    }
    ~FreeTypeFont() override {
        // The last reference may go with a font object on any thread, or with the
        // eviction of the cache, which already holds the lock.
        std::lock_guard<std::recursive_mutex> lock(Lock());
        if (size_ != nullptr) shared_->GiveSize(size_);
    }

    const Glyph& GlyphOf(unsigned char c) override {
        std::lock_guard<std::recursive_mutex> lock(Lock());
        std::unique_ptr<Glyph>& slot = glyphs_[c];
        if (!slot) slot = Render(c);
        return *slot;
    }

private:
    FT_UInt IndexOf(unsigned char c) const {
        if (symbol_) {
            // Symbol fonts map the byte into the private-use page U+F0xx.
            if (FT_UInt i = FT_Get_Char_Index(face_, 0xF000u | c); i != 0) return i;
            return FT_Get_Char_Index(face_, c);
        }
        return FT_Get_Char_Index(face_, FromAnsi(c));
    }

    std::unique_ptr<Glyph> Render(unsigned char c) {
        auto glyph = std::make_unique<Glyph>();
        FT_Activate_Size(size_);  // the face is shared with the other sizes
        const FT_UInt index = IndexOf(c);
        // Every advance grows by the pixel a synthetic bold adds.
        const long bold = fake_bold_ ? 64 : 0;
        // Measured by the outline hinted for grey levels, however the glyph is drawn.
        constexpr FT_Int32 kGrey = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
        if (mono_) {
            if (FT_Load_Glyph(face_, index, kGrey) != 0) return glyph;
            glyph->advance = Pixels(face_->glyph->advance.x + bold);
        }
        const FT_Int32 flags =
            mono_ ? FT_LOAD_TARGET_MONO | (strikes_ ? 0 : FT_LOAD_NO_BITMAP) : kGrey;
        if (FT_Load_Glyph(face_, index, flags) != 0) return glyph;
        FT_GlyphSlot slot = face_->glyph;
        const bool outline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
        if (fake_bold_ && outline) {
            // GDI's synthetic bold: the outline grown by a 24th of the em each way.
            const long ppem = face_->size->metrics.y_ppem;
            FT_Outline_Embolden(&slot->outline, (ppem * 64 + 12) / 24);
        }
        if (fake_italic_ && outline) {
            // GDI's synthetic italic: the hinted (and grown) outline sheared a quarter of
            // a pixel to the right for every pixel above the baseline (x' = x + y / 4),
            // leaving the advance as it was. FreeType's own oblique leans further.
            const FT_Matrix slant{0x10000, 0x10000 / 4, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &slant);
        }
        glyph->pen_advance = Pixels(slot->advance.x + bold);
        if (!mono_) glyph->advance = glyph->pen_advance;
        if (FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
            return glyph;
        ++g_rasterised;
        const FT_Bitmap& b = slot->bitmap;
        glyph->left = slot->bitmap_left;
        glyph->top = slot->bitmap_top;
        glyph->width = static_cast<int>(b.width);
        glyph->rows = static_cast<int>(b.rows);
        glyph->coverage.assign(static_cast<std::size_t>(glyph->width) * glyph->rows, 0);
        const int width = glyph->width, pitch = b.pitch < 0 ? -b.pitch : b.pitch;
        // Row by row with the kind of bitmap (one bit or 256 grey levels a pixel) decided
        // once, so that a grey pixel is one multiply and shift that the compiler vectorises.
        for (int y = 0; y < glyph->rows; ++y) {
            const unsigned char* row = b.buffer + static_cast<std::ptrdiff_t>(y) * pitch;
            std::uint8_t* out = glyph->coverage.data() + static_cast<std::size_t>(y) * width;
            if (b.pixel_mode == FT_PIXEL_MODE_MONO) {
                for (int x = 0; x < width; ++x)
                    out[x] = (row[x >> 3] & (0x80 >> (x & 7))) != 0 ? Glyph::kLevels : 0;
            } else if (b.pixel_mode == FT_PIXEL_MODE_GRAY) {  // outlines: always 256 levels
                for (int x = 0; x < width; ++x)
                    out[x] = static_cast<std::uint8_t>(row[x] * (Glyph::kLevels + 1u) / 256);
            }
        }
        // Nothing of a glyph shows above the ascent or below the descent. An outline's
        // rows beyond them are cut off; a strike's bitmap is laid from its first row down
        // from where its top is cut to, so one reaching above the ascent moves down.
        const int top = std::min(glyph->top, metrics_.tmAscent);
        const int bottom = std::max(glyph->top - glyph->rows, -metrics_.tmDescent);
        const int rows = std::max(0, top - bottom);
        const int first = outline ? std::min(glyph->top - top, glyph->rows - rows) : 0;
        if (first != 0 || rows != glyph->rows) {
            auto& cov = glyph->coverage;
            cov.erase(cov.begin() + static_cast<std::ptrdiff_t>(first + rows) * width, cov.end());
            cov.erase(cov.begin(), cov.begin() + static_cast<std::ptrdiff_t>(first) * width);
            glyph->top = top;
            glyph->rows = rows;
        }
        return glyph;
    }

    std::shared_ptr<SharedFace> shared_;  // outlives size_, which belongs to its face
    FT_Face face_ = nullptr;              // shared_'s face
    FT_Size size_ = nullptr;
    bool symbol_ = false;
    bool mono_ = false;     // two levels
    bool strikes_ = false;  // bitmap strikes in use where the face has one of the size
    bool fake_bold_ = false;
    bool fake_italic_ = false;
    std::array<std::unique_ptr<Glyph>, 256> glyphs_;
};

std::string Key(const gdi::LogFont& f) {
    const std::string face =
        util::AsciiLower(std::string_view(f.lfFaceName, strnlen(f.lfFaceName, gdi::kLfFaceSize)));
    return face + '\0' + std::to_string(f.lfHeight) + ',' + std::to_string(f.lfWeight > 550) + ',' +
           std::to_string(f.lfItalic != 0) + ',' + std::to_string(f.lfUnderline != 0) + ',' +
           std::to_string(f.lfStrikeOut != 0) + ',' +
           std::to_string(f.lfQuality == gdi::NONANTIALIASED_QUALITY);
}

}  // namespace

int RealizedFont::Extent(std::string_view text) {
    int width = 0;
    for (char c : text) width += GlyphOf(static_cast<unsigned char>(c)).advance;
    return width;
}

std::shared_ptr<RealizedFont> Realize(const gdi::LogFont& font) {
    // The most recently used realisations, newest first. A font object keeps its own
    // realisation alive, so evicting one only costs its glyphs when it comes back.
    constexpr std::size_t kKept = 64;
    static std::list<std::pair<std::string, std::shared_ptr<RealizedFont>>> recent;
    const std::string key = Key(font);
    std::lock_guard<std::recursive_mutex> lock(Lock());
    for (auto it = recent.begin(); it != recent.end(); ++it)
        if (it->first == key) {
            recent.splice(recent.begin(), recent, it);
            return it->second;
        }
    const std::string family(font.lfFaceName, strnlen(font.lfFaceName, gdi::kLfFaceSize));
    const ResolvedFace resolved = ResolveLocked(family, font.lfWeight, font.lfItalic != 0);
    auto realized = std::make_shared<FreeTypeFont>(font, resolved);
    recent.emplace_front(key, realized);
    if (recent.size() > kKept) recent.pop_back();
    return realized;
}

ResolvedFace ResolveFamily(const std::string& family, int weight, bool italic) {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    return ResolveLocked(family, weight, italic);
}

std::string WineFontFolder() { return "/usr/share/wine/fonts"; }

std::uint64_t GlyphsRasterised() { return g_rasterised.load(); }

}  // namespace sheenwork::text
