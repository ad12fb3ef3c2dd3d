// sheenwork-demo: draws every raster scene with our software raster and writes them to
// PNG, one file per scene plus one contact sheet of all of them, scaled up so that
// single pixels can be seen.
#include <sheenwork/gdi/gdi.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::filesystem::path dir = argc > 1 ? argv[1] : "demo-out";
        std::filesystem::create_directories(dir);
        auto gdi = sheenwork::gdi::MakeRasterGdi();
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
