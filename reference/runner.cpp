// sheenwork-reference: runs every drawing scene on real GDI and writes the pixels to a
// results file, which the ReferenceGdi tests compare with our raster; then the same for
// the button scenes, whole buttons painted by the control through real GDI, and for the
// text scenes, which also report numbers.
//
//   sheenwork-reference.exe <scene-folder> <gdi-results> <button-results> <text-results>
//
// The scenes are read from <scene-folder> (tests/data/scenes, through Wine's Z: drive).
//
// The files have one layout (little-endian): the 8 bytes "SWREF02\n", a uint32 scene
// count, then per scene a uint32 name length, the name's bytes, int32 width, int32 height,
// width * height uint32 pixels (0x00BBGGRR, rows from the top), a uint32 count of the
// numbers it reports and those int32 numbers.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/syscolors.h>

#include "button_scenes.h"
#include "scenes.h"
#include "win32_gdi.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// DrawEdge reads the system colours; give this session of Windows (or Wine) our table,
// the XP Luna values, so that both sides paint with the same colours.
bool UseOurSystemColors() {
    std::vector<INT> indices;
    std::vector<COLORREF> colors;
    for (int i = 0; i < sheenwork::vb::kSysColorCount; ++i) {
        indices.push_back(i);
        colors.push_back(sheenwork::vb::SysColor(i));
    }
    if (!SetSysColors(static_cast<int>(indices.size()), indices.data(), colors.data()))
        return false;
    for (int i = 0; i < sheenwork::vb::kSysColorCount; ++i)
        if (GetSysColor(i) != sheenwork::vb::SysColor(i)) {
            std::fprintf(stderr, "system colour %d is 0x%06lX after SetSysColors, wanted 0x%06X\n",
                         i, static_cast<unsigned long>(GetSysColor(i)),
                         static_cast<unsigned>(sheenwork::vb::SysColor(i)));
            return false;
        }
    return true;
}

void Put32(std::FILE* f, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

// Draws every scene of `scenes` and writes the results file; the number of scenes
// whose bitmap could not be read, or -1 when the file could not be written.
int WriteResults(sheenwork::gdi::Gdi& gdi, const std::vector<sheenwork::scenes::Scene>& scenes,
                 const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "sheenwork-reference: cannot write %s\n", path);
        return -1;
    }
    std::fwrite("SWREF02\n", 1, 8, out);
    Put32(out, static_cast<std::uint32_t>(scenes.size()));
    int failed = 0;
    for (const auto& scene : scenes) {
        sheenwork::scenes::Rendered r = sheenwork::scenes::Render(gdi, scene);
        if (r.pixels.size() != static_cast<std::size_t>(scene.width) * scene.height) {
            std::fprintf(stderr, "scene %s: could not read its bitmap\n", scene.name.c_str());
            r.pixels.assign(static_cast<std::size_t>(scene.width) * scene.height, 0xFFFFFFFFu);
            ++failed;
        }
        Put32(out, static_cast<std::uint32_t>(scene.name.size()));
        std::fwrite(scene.name.data(), 1, scene.name.size(), out);
        Put32(out, static_cast<std::uint32_t>(scene.width));
        Put32(out, static_cast<std::uint32_t>(scene.height));
        for (auto p : r.pixels) Put32(out, p);
        Put32(out, static_cast<std::uint32_t>(r.values.size()));
        for (auto v : r.values) Put32(out, static_cast<std::uint32_t>(v));
    }
    if (std::fclose(out) != 0) {
        std::fprintf(stderr, "sheenwork-reference: error writing %s\n", path);
        return -1;
    }
    std::printf("sheenwork-reference: %zu scenes on real GDI written to %s\n", scenes.size(), path);
    return failed;
}

// Makes the fonts of the text scenes known to this session: every font file of Wine's
// own folder (a fresh prefix does not register them) and the DejaVu faces.
bool AddSceneFonts() {
    const char* folders[] = {"Z:\\usr\\share\\wine\\fonts\\",
                             "Z:\\usr\\share\\fonts\\truetype\\dejavu\\"};
    int added = 0;
    for (const char* folder : folders) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((std::string(folder) + "*.ttf").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) continue;
        do {
            added += AddFontResourceExA((std::string(folder) + found.cFileName).c_str(), FR_PRIVATE,
                                        nullptr) > 0;
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    if (added == 0) std::fprintf(stderr, "sheenwork-reference: no font files found to add\n");
    return added > 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: sheenwork-reference.exe <scene-folder> <gdi-results> "
                     "<button-results> <text-results>\n");
        return 2;
    }
    sheenwork::scenes::SceneRoot() = argv[1];
    try {
        if (!UseOurSystemColors()) {
            std::fprintf(stderr, "sheenwork-reference: could not set the system colours\n");
            return 1;
        }
        if (!AddSceneFonts()) return 1;
        auto gdi = sheenwork::gdi::MakeWin32Gdi();
        const int gdi_failed = WriteResults(*gdi, sheenwork::scenes::AllScenes(), argv[2]);
        const int button_failed = WriteResults(*gdi, sheenwork::scenes::ButtonScenes(), argv[3]);
        const int text_failed = WriteResults(*gdi, sheenwork::scenes::AllTextScenes(), argv[4]);
        return gdi_failed == 0 && button_failed == 0 && text_failed == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sheenwork-reference: %s\n", e.what());
        return 1;
    }
}
