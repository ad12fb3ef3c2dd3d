// DrawEdge and DrawFocusRect scenes. DrawEdge takes its colours from the system-colour
// table (the reference runner gives Wine ours, the XP Luna values); DrawFocusRect
// inverts every other outline pixel, so drawing it twice restores the picture.
#include <string>

#include "scene_kit.h"

namespace sheenwork::scenes {
namespace {

struct EdgeKind {
    const char* name;
    unsigned edge;
};
constexpr EdgeKind kEdges[] = {
    {"raisedouter", gdi::BDR_RAISEDOUTER}, {"sunkenouter", gdi::BDR_SUNKENOUTER},
    {"raisedinner", gdi::BDR_RAISEDINNER}, {"sunkeninner", gdi::BDR_SUNKENINNER},
    {"raised", gdi::EDGE_RAISED},          {"sunken", gdi::EDGE_SUNKEN},
    {"etched", gdi::EDGE_ETCHED},          {"bump", gdi::EDGE_BUMP},
};

std::string Num(int v) { return std::to_string(v); }

// Shows a rectangle that DrawEdge returned (BF_ADJUST) as a one-pixel frame of marks at
// its corners: left/top inside, right/bottom one past.
void MarkRect(gdi::Gdi& g, gdi::Hdc dc, const gdi::Rect& r, gdi::ColorRef c) {
    g.SetPixel(dc, r.left, r.top, c);
    g.SetPixel(dc, r.right - 1, r.bottom - 1, c);
}

}  // namespace

void AddEdgeScenes(SceneList& list) {
    // Every edge kind with all 16 subsets of the side flags, one cell per subset.
    for (const EdgeKind& e : kEdges)
        Add(list, std::string("drawedge-") + e.name + "-sides", 48, 48,
            [e](gdi::Gdi& g, gdi::Hdc dc) {
                for (unsigned sides = 0; sides < 16; ++sides) {
                    gdi::Rect r{static_cast<int>(sides % 4) * 12 + 1, static_cast<int>(sides / 4) * 12 + 1, 0, 0};
                    r.right = r.left + 10;
                    r.bottom = r.top + 10;
                    g.DrawEdge(dc, &r, e.edge, sides);
                }
            });
    // With the middle filled, full and partial sides.
    for (const EdgeKind& e : kEdges)
        Add(list, std::string("drawedge-") + e.name + "-middle", 30, 12,
            [e](gdi::Gdi& g, gdi::Hdc dc) {
                gdi::Rect a{1, 1, 11, 11}, b{13, 1, 20, 11}, c{22, 1, 29, 11};
                g.DrawEdge(dc, &a, e.edge, gdi::BF_RECT | gdi::BF_MIDDLE);
                g.DrawEdge(dc, &b, e.edge, gdi::BF_LEFT | gdi::BF_TOP | gdi::BF_MIDDLE);
                g.DrawEdge(dc, &c, e.edge, gdi::BF_MIDDLE);
            });
    // Tiny rectangles: 0 to 4 pixels on a side, with and without the middle.
    for (const EdgeKind& e : kEdges)
        for (bool middle : {false, true})
            Add(list, std::string("drawedge-") + e.name + "-tiny" + (middle ? "-middle" : ""), 32, 8,
                [e, middle](gdi::Gdi& g, gdi::Hdc dc) {
                    for (int size = 0; size <= 4; ++size) {
                        gdi::Rect r{1 + size * 6, 1, 1 + size * 6 + size, 1 + size};
                        g.DrawEdge(dc, &r, e.edge, gdi::BF_RECT | (middle ? gdi::BF_MIDDLE : 0u));
                    }
                    gdi::Rect wide{1, 6, 30, 7};  // one pixel high
                    g.DrawEdge(dc, &wide, e.edge, gdi::BF_RECT | (middle ? gdi::BF_MIDDLE : 0u));
                });
    // BF_ADJUST: the rectangle shrinks by the edge's width on the sides drawn.
    for (const EdgeKind& e : kEdges)
        Add(list, std::string("drawedge-") + e.name + "-adjust", 40, 12,
            [e](gdi::Gdi& g, gdi::Hdc dc) {
                const unsigned sides[] = {gdi::BF_RECT, gdi::BF_LEFT | gdi::BF_TOP,
                                          gdi::BF_RIGHT | gdi::BF_BOTTOM};
                int x = 1;
                for (unsigned s : sides) {
                    gdi::Rect r{x, 1, x + 11, 11};
                    g.DrawEdge(dc, &r, e.edge, s | gdi::BF_ADJUST);
                    MarkRect(g, dc, r, 0x0000FF);
                    x += 13;
                }
            });
    // Inverted and empty rectangles are left alone; clipped and far-away ones are cut.
    Add(list, "drawedge-inverted-and-empty", 24, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{10, 1, 2, 9}, b{12, 9, 22, 1}, c{5, 5, 5, 5};
        g.DrawEdge(dc, &a, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
        g.DrawEdge(dc, &b, gdi::EDGE_SUNKEN, gdi::BF_RECT | gdi::BF_MIDDLE);
        g.DrawEdge(dc, &c, gdi::EDGE_BUMP, gdi::BF_RECT | gdi::BF_MIDDLE);
    });
    Add(list, "drawedge-partly-outside", 20, 14, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{-3, -3, 9, 8}, b{11, 6, 24, 18};
        g.DrawEdge(dc, &a, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
        g.DrawEdge(dc, &b, gdi::EDGE_SUNKEN, gdi::BF_RECT);
    });
    Add(list, "drawedge-huge", 20, 14, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{-100000, 2, 100000, 7}, b{3, -100000, 9, 100000};
        g.DrawEdge(dc, &a, gdi::EDGE_ETCHED, gdi::BF_RECT);
        g.DrawEdge(dc, &b, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
    });
    Add(list, "drawedge-button-frame", 75, 23, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.Fill(gdi::Rect{0, 0, 75, 23}, gdi::SysColor(gdi::COLOR_3DFACE));
        gdi::Rect r{0, 0, 75, 23};
        g.DrawEdge(dc, &r, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_ADJUST);
        g.DrawEdge(dc, &r, gdi::BDR_SUNKENOUTER, gdi::BF_RECT);
    });
    Add(list, "drawedge-unrelated-dc-state", 14, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        // The DC's pen, brush and colours do not leak into DrawEdge.
        Kit k(g, dc);
        k.UsePen(0x0000FF);
        k.UseBrush(0x00FF00);
        g.SetBkColor(dc, 0x123456);
        g.SetTextColor(dc, 0xABCDEF);
        g.SetBkMode(dc, gdi::TRANSPARENT);
        gdi::Rect r{1, 1, 13, 11};
        g.DrawEdge(dc, &r, gdi::EDGE_BUMP, gdi::BF_RECT | gdi::BF_MIDDLE);
    });

    // --- DrawFocusRect -----------------------------------------------------------
    for (int w = 0; w <= 6; ++w)
        for (int h : {0, 1, 2, 5})
            Add(list, "focusrect-" + Num(w) + "x" + Num(h), 10, 9, [w, h](gdi::Gdi& g, gdi::Hdc dc) {
                gdi::Rect r{2, 2, 2 + w, 2 + h};
                g.DrawFocusRect(dc, &r);
            });
    for (int offset = 0; offset < 2; ++offset)
        Add(list, "focusrect-parity-offset-" + Num(offset), 16, 12, [offset](gdi::Gdi& g, gdi::Hdc dc) {
            gdi::Rect r{1 + offset, 1, 14, 11 - offset};
            g.DrawFocusRect(dc, &r);
        });
    Add(list, "focusrect-twice-restores", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Picture(g, dc, 16, 12);
        gdi::Rect r{2, 2, 14, 10};
        g.DrawFocusRect(dc, &r);
        g.DrawFocusRect(dc, &r);
    });
    Add(list, "focusrect-on-picture", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Picture(g, dc, 16, 12);
        gdi::Rect r{1, 2, 15, 11};
        g.DrawFocusRect(dc, &r);
    });
    Add(list, "focusrect-on-stripes", 18, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 18, 10, 3, {0x000000, 0xFFFFFF, 0x3C74E0, 0x808080});
        gdi::Rect r{0, 0, 18, 10};
        g.DrawFocusRect(dc, &r);
        gdi::Rect inner{3, 3, 15, 7};
        g.DrawFocusRect(dc, &inner);
    });
    Add(list, "focusrect-overlapping", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{1, 1, 11, 9}, b{4, 3, 15, 11};
        g.DrawFocusRect(dc, &a);
        g.DrawFocusRect(dc, &b);
    });
    Add(list, "focusrect-inverted", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{10, 2, 2, 8}, b{2, 8, 10, 2};
        g.DrawFocusRect(dc, &a);
        g.DrawFocusRect(dc, &b);
    });
    Add(list, "focusrect-partly-outside", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{-3, -2, 6, 5}, b{7, 6, 15, 14};
        g.DrawFocusRect(dc, &a);
        g.DrawFocusRect(dc, &b);
    });
    Add(list, "focusrect-huge", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        gdi::Rect a{-100000, -100000, 100000, 100000}, b{-100001, 3, 100000, 7};
        g.DrawFocusRect(dc, &a);
        g.DrawFocusRect(dc, &b);
    });
    Add(list, "focusrect-ignores-dc-state", 14, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Pen, brush and background mode do not change what DrawFocusRect inverts.
        Kit k(g, dc);
        k.UsePen(0x0000FF);
        k.UseBrush(0x00FF00);
        g.SetBkMode(dc, gdi::TRANSPARENT);
        gdi::Rect r{1, 1, 13, 9};
        g.DrawFocusRect(dc, &r);
    });
    Add(list, "focusrect-on-button", 75, 23, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.Fill(gdi::Rect{0, 0, 75, 23}, gdi::SysColor(gdi::COLOR_3DFACE));
        gdi::Rect r{3, 3, 72, 20};
        g.DrawFocusRect(dc, &r);
    });
}

}  // namespace sheenwork::scenes
