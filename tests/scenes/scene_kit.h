// Helpers the scene files share: an owner that selects and creates GDI objects for a
// scene and puts everything back when it goes out of scope, and the registration
// functions of the scene groups.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <string>
#include <utility>
#include <vector>

#include "scenes.h"

namespace sheenwork::scenes {

// Owns what one scene creates. Selections are undone in reverse order, then created
// objects are deleted, then created DCs, so nothing is deleted while selected.
class Kit {
public:
    Kit(gdi::Gdi& g, gdi::Hdc dc) : g_(g), dc_(dc) {}
    ~Kit() {
        for (auto it = selections_.rbegin(); it != selections_.rend(); ++it)
            g_.SelectObject(it->first, it->second);
        for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) g_.DeleteObject(*it);
        for (auto it = dcs_.rbegin(); it != dcs_.rend(); ++it) g_.DeleteDC(*it);
    }
    Kit(const Kit&) = delete;
    Kit& operator=(const Kit&) = delete;

    gdi::Gdi& g() { return g_; }
    gdi::Hdc dc() const { return dc_; }

    // Selects `obj` into `dc` (the scene's DC by default) until the kit is destroyed.
    void Select(gdi::Hgdiobj obj) { Select(dc_, obj); }
    void Select(gdi::Hdc dc, gdi::Hgdiobj obj) {
        gdi::Hgdiobj previous = g_.SelectObject(dc, obj);
        if (previous != nullptr) selections_.emplace_back(dc, previous);
    }
    gdi::Hgdiobj Own(gdi::Hgdiobj obj) {
        if (obj != nullptr) objects_.push_back(obj);
        return obj;
    }

    gdi::Hgdiobj Brush(gdi::ColorRef c) { return Own(g_.CreateSolidBrush(c)); }
    void UsePen(gdi::ColorRef c, int width = 1, int style = gdi::PS_SOLID) {
        Select(Own(g_.CreatePen(style, width, c)));
    }
    void UseBrush(gdi::ColorRef c) { Select(Brush(c)); }
    void UseStock(int which) { Select(g_.GetStockObject(which)); }

    // Fills `r` of `dc` with a solid colour through a brush that lives only for the call.
    void Fill(gdi::Hdc dc, gdi::Rect r, gdi::ColorRef c) {
        gdi::Hgdiobj b = g_.CreateSolidBrush(c);
        g_.FillRect(dc, &r, b);
        g_.DeleteObject(b);
    }
    void Fill(gdi::Rect r, gdi::ColorRef c) { Fill(dc_, r, c); }

    // A memory DC compatible with the scene's DC holding a new bitmap: a 32-bit
    // surface, or a monochrome one (optionally with `mono_bits`, rows padded to 16 bits).
    gdi::Hdc MemoryDc(int w, int h, bool mono = false, const void* mono_bits = nullptr) {
        gdi::Hdc mem = g_.CreateCompatibleDC(dc_);
        dcs_.push_back(mem);
        gdi::Hgdiobj bitmap =
            Own(mono ? g_.CreateBitmap(w, h, 1, 1, mono_bits) : g_.CreateSurfaceBitmap(w, h));
        Select(mem, bitmap);
        return mem;
    }

private:
    gdi::Gdi& g_;
    gdi::Hdc dc_;
    std::vector<std::pair<gdi::Hdc, gdi::Hgdiobj>> selections_;
    std::vector<gdi::Hgdiobj> objects_;
    std::vector<gdi::Hdc> dcs_;
};

// Paints `colors.size()`-colour vertical stripes of width `stripe` over (0,0,w,h).
inline void Stripes(Kit& k, gdi::Hdc dc, int w, int h, int stripe,
                    const std::vector<gdi::ColorRef>& colors) {
    for (int x = 0, i = 0; x < w; x += stripe, ++i)
        k.Fill(dc, gdi::Rect{x, 0, x + stripe, h}, colors[static_cast<std::size_t>(i) % colors.size()]);
}

// A deterministic many-coloured picture: every pixel different, set with SetPixel.
inline gdi::ColorRef PatternColor(int x, int y) {
    return gdi::Rgb(static_cast<unsigned>(x * 37 + y * 11), static_cast<unsigned>(y * 29 + 60),
                    static_cast<unsigned>((x ^ y) * 23 + 5));
}
inline void Picture(gdi::Gdi& g, gdi::Hdc dc, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) g.SetPixel(dc, x, y, PatternColor(x, y));
}

using SceneList = std::vector<Scene>;
inline void Add(SceneList& list, std::string name, int w, int h,
                std::function<void(gdi::Gdi&, gdi::Hdc)> draw, std::string known = {}) {
    list.push_back(Scene{std::move(name), w, h, std::move(draw), std::move(known)});
}

void AddLineScenes(SceneList& list);
void AddShapeScenes(SceneList& list);
void AddEdgeScenes(SceneList& list);
void AddBlitScenes(SceneList& list);
void AddAlphaScenes(SceneList& list);

}  // namespace sheenwork::scenes
