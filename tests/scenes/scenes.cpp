// The scene registry and the one way every scene is rendered.
#include "scenes.h"

#include <stdexcept>

#include "scene_kit.h"

namespace sheenwork::scenes {

gdi::ColorRef StretchSource(int column, int row) {
    // Distinct colours per column with a vertical ramp, so a wrong column or row shows.
    static constexpr gdi::ColorRef kColumns[kStretchColumnsCount] = {0x2040E0, 0x40C020, 0xD02060,
                                                                     0x10A0F0};
    const gdi::ColorRef base = kColumns[column % kStretchColumnsCount];
    return gdi::Rgb(gdi::RedOf(base), (gdi::GreenOf(base) + static_cast<unsigned>(row) * 9) & 0xFF,
                    gdi::BlueOf(base) ^ static_cast<unsigned>(row * 3));
}

const std::vector<Scene>& AllScenes() {
    static const std::vector<Scene> scenes = [] {
        SceneList list;
        AddLineScenes(list);
        AddShapeScenes(list);
        AddEdgeScenes(list);
        AddBlitScenes(list);
        AddAlphaScenes(list);
        return list;
    }();
    return scenes;
}

std::vector<gdi::ColorRef> DrawOnFreshBitmap(gdi::Gdi& g, const std::string& name, int width,
                                             int height, gdi::ColorRef fill,
                                             const std::function<void(gdi::Gdi&, gdi::Hdc)>& draw) {
    gdi::Hdc dc = g.CreateCompatibleDC(nullptr);
    if (dc == nullptr) throw std::runtime_error("CreateCompatibleDC failed for " + name);
    gdi::Hgdiobj bitmap = g.CreateSurfaceBitmap(width, height);
    if (bitmap == nullptr) {
        g.DeleteDC(dc);
        throw std::runtime_error("CreateSurfaceBitmap failed for " + name);
    }
    gdi::Hgdiobj original = g.SelectObject(dc, bitmap);
    gdi::Hgdiobj brush = g.CreateSolidBrush(fill);
    const gdi::Rect all{0, 0, width, height};
    g.FillRect(dc, &all, brush);
    g.DeleteObject(brush);
    draw(g, dc);
    g.SelectObject(dc, original);
    std::vector<gdi::ColorRef> pixels = g.ReadBitmap(bitmap);
    g.DeleteObject(bitmap);
    g.DeleteDC(dc);
    return pixels;
}

std::vector<gdi::ColorRef> RenderScene(gdi::Gdi& g, const Scene& scene) {
    return DrawOnFreshBitmap(g, scene.name, scene.width, scene.height, kSentinel, scene.draw);
}

}  // namespace sheenwork::scenes
