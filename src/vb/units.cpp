#include <sheenwork/vb/error.h>
#include <sheenwork/vb/units.h>

namespace sheenwork::vb {
namespace {

constexpr float kTwipsPerInch = 1440.0f;

// Not atomic: like the system-colour table it is set by the host before painting, on
// the thread that paints.
int g_dpi_x = kDefaultDpi;
int g_dpi_y = kDefaultDpi;

}  // namespace

void SetDpi(int dpi) { SetDpi(dpi, dpi); }

void SetDpi(int dpi_x, int dpi_y) {
    if (dpi_x <= 0 || dpi_y <= 0) Raise(5);
    g_dpi_x = dpi_x;
    g_dpi_y = dpi_y;
}

int DpiX() { return g_dpi_x; }
int DpiY() { return g_dpi_y; }

float TwipsPerPixelX() { return kTwipsPerInch / static_cast<float>(g_dpi_x); }
float TwipsPerPixelY() { return kTwipsPerInch / static_cast<float>(g_dpi_y); }

float TwipsToPixelsX(float twips) { return twips / TwipsPerPixelX(); }
float TwipsToPixelsY(float twips) { return twips / TwipsPerPixelY(); }
float PixelsToTwipsX(float pixels) { return pixels * TwipsPerPixelX(); }
float PixelsToTwipsY(float pixels) { return pixels * TwipsPerPixelY(); }

}  // namespace sheenwork::vb
