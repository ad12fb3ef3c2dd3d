// Line scenes: MoveToEx / LineTo in every direction and length, pen kinds, and lines
// partly or wholly outside the bitmap, down to coordinates far beyond it.
#include <cstdio>
#include <set>
#include <utility>

#include "scene_kit.h"

namespace sheenwork::scenes {
namespace {

std::string Signed(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%+d", v);
    return buffer;
}

void Line(gdi::Gdi& g, gdi::Hdc dc, int x0, int y0, int x1, int y1) {
    g.MoveToEx(dc, x0, y0, nullptr);
    g.LineTo(dc, x1, y1);
}

}  // namespace

void AddLineScenes(SceneList& list) {
    // From the centre of a 21 x 21 bitmap to a point 8 away: every octant, with slopes
    // that hit the Bresenham ties (8, 4) and the near-axis and near-diagonal cases.
    const std::pair<int, int> base[] = {{8, 0}, {8, 1}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
                                        {7, 8}, {5, 8}, {4, 8}, {3, 8}, {1, 8}, {0, 8}};
    std::set<std::pair<int, int>> seen;
    for (auto [bx, by] : base)
        for (int sx : {1, -1})
            for (int sy : {1, -1}) {
                const int dx = bx * sx, dy = by * sy;
                if (!seen.insert({dx, dy}).second) continue;
                Add(list, "line-octant-dx" + Signed(dx) + "-dy" + Signed(dy), 21, 21,
                    [dx, dy](gdi::Gdi& g, gdi::Hdc dc) { Line(g, dc, 10, 10, 10 + dx, 10 + dy); });
            }

    // Short lines: 0, 1 and 2 pixels in every direction, on a 7 x 7 bitmap.
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            Add(list, "line-short-dx" + Signed(dx) + "-dy" + Signed(dy), 7, 7,
                [dx, dy](gdi::Gdi& g, gdi::Hdc dc) { Line(g, dc, 3, 3, 3 + dx, 3 + dy); });

    // Line-to-line joints: each segment starts where the previous one stopped short.
    Add(list, "line-polyline-joints", 20, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UsePen(0x0000C0);
        g.MoveToEx(dc, 2, 2, nullptr);
        const int pts[][2] = {{17, 2}, {17, 13}, {2, 13}, {2, 3}, {9, 8}, {14, 4}, {5, 11}, {15, 11}};
        for (auto& p : pts) g.LineTo(dc, p[0], p[1]);
    });
    // MoveToEx reports the current position; LineTo moves it to its end point.
    Add(list, "line-moveto-reports-position", 16, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        g.MoveToEx(dc, 1, 1, nullptr);
        g.LineTo(dc, 9, 1);
        gdi::Point previous{-1, -1};
        g.MoveToEx(dc, 2, 5, &previous);
        g.SetPixel(dc, previous.x, previous.y + 2, 0x0000FF);
        g.LineTo(dc, 6, 5);
        g.MoveToEx(dc, 0, 0, &previous);
        g.SetPixel(dc, previous.x, previous.y + 1, 0x00FF00);
    });
    Add(list, "line-pen-colors", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        const gdi::ColorRef colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x743C00, 0xFFFFFF, 0x010203};
        int y = 1;
        for (gdi::ColorRef c : colors) {
            Kit pen(g, dc);
            pen.UsePen(c);
            Line(g, dc, 1, y, 15, y + 1);
            y += 2;
        }
    });
    Add(list, "line-stock-pens", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Line(g, dc, 1, 1, 11, 1);  // the DC's default pen: black
        k.UseStock(gdi::WHITE_PEN);
        Line(g, dc, 1, 3, 11, 3);
        k.UseStock(gdi::NULL_PEN);
        Line(g, dc, 1, 5, 11, 5);
        k.UseStock(gdi::BLACK_PEN);
        Line(g, dc, 1, 7, 11, 6);
    });
    Add(list, "line-null-pen-created", 10, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UsePen(0x0000FF, 1, gdi::PS_NULL);
        Line(g, dc, 0, 2, 10, 3);
        g.LineTo(dc, 2, 5);  // the position still moves
    });
    Add(list, "line-width-zero-pen", 10, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UsePen(0x00A000, 0);
        Line(g, dc, 0, 0, 9, 5);
        Line(g, dc, 9, 0, 0, 5);
    });

    // Lines that cross or touch the bitmap's borders.
    Add(list, "line-partly-outside-each-side", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -5, 3, 10, 6);
        Line(g, dc, 20, 12, 4, 9);
        Line(g, dc, 7, -6, 11, 8);
        Line(g, dc, 3, 25, 1, 10);
    });
    Add(list, "line-crossing-whole-bitmap", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -3, -1, 19, 17);
        Line(g, dc, 20, -4, -4, 18);
        Line(g, dc, -10, 7, 30, 9);
    });
    Add(list, "line-wholly-outside", 12, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -10, -10, -2, 30);
        Line(g, dc, 12, 0, 30, 11);
        Line(g, dc, 0, -1, 11, -1);
        Line(g, dc, 0, 12, 11, 12);
        Line(g, dc, -1, 0, -1, 11);
        Line(g, dc, 12, 0, 12, 11);
        Line(g, dc, -5, 4, 3, -5);  // passes the corner without entering it
    });
    Add(list, "line-along-borders", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, 0, 0, 12, 0);
        Line(g, dc, 11, 0, 11, 10);
        Line(g, dc, 11, 9, -1, 9);
        Line(g, dc, 0, 9, 0, -1);
    });
    Add(list, "line-ends-on-last-pixel", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, 2, 2, 11, 9);  // stops one short of the corner
        Line(g, dc, 11, 2, 2, 9);
    });
    Add(list, "line-huge-horizontal-vertical", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -100000, 5, 100000, 5);
        Line(g, dc, 9, 100000, 9, -100000);
    });
    Add(list, "line-huge-diagonal", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -100000, -100000, 100000, 100000);
        Line(g, dc, 100003, -99997, -99997, 100003);
    });
    Add(list, "line-huge-slanted", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -90000, -30000, 90000, 30010);
        Line(g, dc, 50007, 100000, -49993, -100000);
        Line(g, dc, 3, -70001, 12, 70000);
    });
    Add(list, "line-huge-negative-start", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Line(g, dc, -1000000, 3, 7, 12);
        Line(g, dc, 14, -1000000, 2, 14);
    });
    Add(list, "line-fan-from-corner", 24, 24, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        for (int i = 0; i <= 23; i += 3) {
            Kit pen(g, dc);
            pen.UsePen(gdi::Rgb(static_cast<unsigned>(i * 10), 40, 200));
            Line(g, dc, 0, 0, 23, i);
            Line(g, dc, 0, 0, i, 23);
        }
    });
}

}  // namespace sheenwork::scenes
