// Every shape primitive with extreme coordinates on a tiny bitmap: nothing may be
// written outside it (the sanitizer build turns a stray write or an overflow into a
// failure), no call may take time proportional to the coordinates, and every object
// is released afterwards.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <climits>

namespace sheenwork::gdi {
namespace {

TEST(RasterSweep, ShapesWithExtremeCoordinatesStayInsideTheBitmap) {
    const int values[] = {INT_MIN, INT_MIN + 1, -(1 << 28), -1000000, -7,          -1,     0, 1, 2,
                          4,       6,           1000000,    1 << 28,  INT_MAX - 1, INT_MAX};
    auto g = MakeRasterGdi();
    Hdc dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj bitmap = g->CreateSurfaceBitmap(6, 4);
    Hgdiobj old_bitmap = g->SelectObject(dc, bitmap);
    Hgdiobj pen = g->CreatePen(PS_SOLID, 1, 0x0000FF);
    Hgdiobj brush = g->CreateSolidBrush(0x00FF00);
    Hgdiobj old_pen = g->SelectObject(dc, pen);
    Hgdiobj old_brush = g->SelectObject(dc, brush);
    for (int a : values)
        for (int b : values) {
            g->MoveToEx(dc, a, b, nullptr);
            g->LineTo(dc, b, a);
            g->MoveToEx(dc, 2, 1, nullptr);
            g->LineTo(dc, a, b);
            g->SetPixel(dc, a, b, 0xFFFFFF);
            g->Rectangle(dc, a, b, 3, 3);
            g->Rectangle(dc, 1, 1, a, b);
            const Rect r{a, b, b, a};
            g->FillRect(dc, &r, brush);
            g->RoundRect(dc, a, 1, b, 3, 5, 5);
            g->RoundRect(dc, 0, 0, 6, 4, a, b);
            Rect edge{a, 0, b, 4};
            g->DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_MIDDLE);
            const Rect focus{0, a, 6, b};
            g->DrawFocusRect(dc, &focus);
        }
    g->SelectObject(dc, old_pen);
    g->SelectObject(dc, old_brush);
    g->SelectObject(dc, old_bitmap);
    g->DeleteObject(pen);
    g->DeleteObject(brush);
    g->DeleteObject(bitmap);
    g->DeleteDC(dc);
    EXPECT_EQ(RasterLiveObjects(*g), LiveObjects{});
}

}  // namespace
}  // namespace sheenwork::gdi
