#include "support/reference_results.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sheenwork::testing {

const char kHowToMake[] =
    "Run `tests/reference/run.sh <build-dir>` (or `make reference`) to draw the scenes on "
    "real GDI under Wine; it needs wine and mingw-w64.";

namespace {
bool Read32(std::istream& in, std::uint32_t& v) {
    unsigned char b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

}  // namespace

Results LoadResults(const std::string& file_name) {
    Results r;
    const char* dir = std::getenv("SHEENWORK_REFERENCE_DIR");
    if (dir == nullptr || *dir == '\0') {
        r.error = std::string("SHEENWORK_REFERENCE_DIR is not set. ") + kHowToMake;
        return r;
    }
    const std::string path = std::string(dir) + "/" + file_name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        r.error = "No real-GDI results at " + path + ". " + kHowToMake;
        return r;
    }
    char magic[8];
    std::uint32_t count = 0;
    const bool ok_magic = in.read(magic, 8) && (std::string(magic, 8) == "SWREF01\n" ||
                                                std::string(magic, 8) == "SWREF02\n");
    const bool with_values = ok_magic && magic[6] == '2';
    if (!ok_magic || !Read32(in, count)) {
        r.error = path + " is not a results file of this version. " + kHowToMake;
        return r;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        Image img;
        std::uint32_t length = 0, w = 0, h = 0;
        if (!Read32(in, length) || length > 1000) break;
        img.name.resize(length);
        if (!in.read(img.name.data(), length) || !Read32(in, w) || !Read32(in, h) || w > 100000 ||
            h > 100000)
            break;
        img.width = static_cast<int>(w);
        img.height = static_cast<int>(h);
        img.pixels.resize(static_cast<std::size_t>(w) * h);
        bool ok = true;
        for (auto& p : img.pixels) ok = ok && Read32(in, p);
        if (!ok) break;
        if (with_values) {
            std::uint32_t n = 0;
            if (!Read32(in, n) || n > 100000) break;
            img.values.resize(n);
            for (auto& v : img.values) {
                std::uint32_t u = 0;
                ok = ok && Read32(in, u);
                v = static_cast<std::int32_t>(u);
            }
            if (!ok) break;
        }
        r.by_name[img.name] = r.images.size();
        r.images.push_back(std::move(img));
    }
    if (r.images.size() != count) r.error = path + " is truncated. " + kHowToMake;
    return r;
}

std::string Hex(ColorRef c) {
    char b[16];
    std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c));
    return b;
}

// Both bitmaps as letters side by side, one letter per colour, with the legend.
std::string Dump(int w, int h, const std::vector<ColorRef>& ours,
                 const std::vector<ColorRef>& wine) {
    if (w > 40 || h > 30) return "  (bitmap too large to print)\n";
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::map<ColorRef, char> letter{{scenes::kSentinel, '.'}};
    auto letter_of = [&](ColorRef c) {
        auto it = letter.find(c);
        if (it != letter.end()) return it->second;
        const std::size_t n = letter.size() - 1;
        const char l = n < sizeof kLetters - 1 ? kLetters[n] : '?';
        letter[c] = l;
        return l;
    };
    std::ostringstream out;
    out << "  ours" << std::string(static_cast<std::size_t>(w > 3 ? w - 3 : 1), ' ') << "wine\n";
    for (int y = 0; y < h; ++y) {
        std::string a, b, marks;
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            a += letter_of(ours[i]);
            b += letter_of(wine[i]);
            marks += ours[i] == wine[i] ? ' ' : '^';
        }
        out << "  " << a << "  " << b << "   " << marks << "\n";
    }
    out << "  legend: . = sentinel " << Hex(scenes::kSentinel);
    for (auto& [c, l] : letter)
        if (l != '.') out << ", " << l << " = " << Hex(c);
    out << "\n";
    return out.str();
}

std::string Differences(const scenes::Scene& s, const std::vector<ColorRef>& ours,
                        const std::vector<ColorRef>& wine, const std::string& why) {
    std::ostringstream out;
    int count = 0;
    std::string first;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * s.width + x;
            if (ours[i] == wine[i]) continue;
            if (++count <= 8)
                first += "    (" + std::to_string(x) + ", " + std::to_string(y) + ") ours " +
                         Hex(ours[i]) + " wine " + Hex(wine[i]) + "\n";
        }
    out << "scene " << s.name << " (" << s.width << " x " << s.height << "): " << why << "\n  "
        << count << " pixel(s) differ, first ones:\n"
        << first << Dump(s.width, s.height, ours, wine);
    return out.str();
}

}  // namespace sheenwork::testing
