// sheenwork-demo: paints the gallery of buttons (every look, scheme and state at full
// size) and draws every raster scene with our software raster, writing PNGs: the
// gallery, one file per raster scene and one contact sheet of all of them, scaled up so
// that single pixels can be seen.
#include <sheenwork/gdi/gdi.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "button_scenes.h"
#include "png_io.h"
#include "scenes.h"

namespace {

using sheenwork::gdi::ColorRef;

sheenwork::png::Image Magnify(int w, int h, const std::vector<ColorRef>& px, int zoom) {
    sheenwork::png::Image out{w * zoom, h * zoom, {}};
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<std::size_t>(y) * out.width + x] =
                px[static_cast<std::size_t>(y / zoom) * w + x / zoom];
    return out;
}

// The buttons of every group at their largest size, one group per row (long groups
// wrap), magnified twice.
sheenwork::png::Image Gallery(sheenwork::gdi::Gdi& gdi) {
    using sheenwork::scenes::Scene;
    constexpr int kZoom = 2, kGap = 6, kPerRow = 8;
    std::vector<std::vector<const Scene*>> rows;
    std::string group;
    for (const Scene& s : sheenwork::scenes::ButtonScenes()) {
        if (s.width < 75) continue;
        const std::string g = sheenwork::scenes::ButtonSceneGroup(s.name);
        if (g != group || rows.back().size() == kPerRow) rows.emplace_back();
        group = g;
        rows.back().push_back(&s);
    }
    const int cell_w = 80 * kZoom + kGap, cell_h = 24 * kZoom + kGap;
    sheenwork::png::Image out{
        kPerRow * cell_w + kGap, static_cast<int>(rows.size()) * cell_h + kGap, {}};
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0xF0F0F0);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const Scene& s = *rows[r][c];
            const auto big =
                Magnify(s.width, s.height, sheenwork::scenes::RenderScene(gdi, s), kZoom);
            const int ox = kGap + static_cast<int>(c) * cell_w,
                      oy = kGap + static_cast<int>(r) * cell_h;
            for (int y = 0; y < big.height; ++y)
                for (int x = 0; x < big.width; ++x)
                    out.pixels[static_cast<std::size_t>(oy + y) * out.width + ox + x] =
                        big.pixels[static_cast<std::size_t>(y) * big.width + x];
        }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::filesystem::path dir = argc > 1 ? argv[1] : "demo-out";
        std::filesystem::create_directories(dir);
        auto gdi = sheenwork::gdi::MakeRasterGdi();
        sheenwork::png::Write((dir / "gallery.png").string(), Gallery(*gdi));
        std::printf("wrote gallery.png to %s\n", dir.string().c_str());
        const auto& scenes = sheenwork::scenes::AllScenes();

        // Contact sheet: scenes in a grid of cells, each magnified 4 times.
        constexpr int kZoom = 4, kCell = 104, kColumns = 16;
        const int rows = (static_cast<int>(scenes.size()) + kColumns - 1) / kColumns;
        sheenwork::png::Image sheet{kColumns * kCell, rows * kCell, {}};
        sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0x404040);

        int index = 0;
        for (const auto& scene : scenes) {
            const auto pixels = sheenwork::scenes::RenderScene(*gdi, scene);
            const auto big = Magnify(scene.width, scene.height, pixels, kZoom);
            sheenwork::png::Write((dir / (scene.name + ".png")).string(), big);
            const int cx = (index % kColumns) * kCell + 2, cy = (index / kColumns) * kCell + 2;
            for (int y = 0; y < big.height && y < kCell - 4; ++y)
                for (int x = 0; x < big.width && x < kCell - 4; ++x)
                    sheet.pixels[static_cast<std::size_t>(cy + y) * sheet.width + cx + x] =
                        big.pixels[static_cast<std::size_t>(y) * big.width + x];
            ++index;
        }
        sheenwork::png::Write((dir / "all-scenes.png").string(), sheet);
        std::printf("wrote %d scenes and all-scenes.png to %s\n", index, dir.string().c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sheenwork-demo: %s\n", e.what());
        return 1;
    }
}
