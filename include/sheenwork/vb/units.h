// Twips and pixels. VB measures in twips (1440 per inch); the screen has a DPI, so a
// pixel is 1440 / dpi twips: 15 at 96 DPI, 12 at 120 DPI.
//
// The DPI is one process-wide setting, like the system-colour table, because it is a
// property of the screen the host draws on, not of a control.
#pragma once

namespace sheenwork::vb {

inline constexpr int kDefaultDpi = 96;

// Both axes, or each on its own. A DPI of 0 or less raises error 5.
void SetDpi(int dpi);
void SetDpi(int dpi_x, int dpi_y);
int DpiX();
int DpiY();

// Screen.TwipsPerPixelX / Y: 1440 / dpi as a Single.
float TwipsPerPixelX();
float TwipsPerPixelY();

float TwipsToPixelsX(float twips);
float TwipsToPixelsY(float twips);
float PixelsToTwipsX(float pixels);
float PixelsToTwipsY(float pixels);

}  // namespace sheenwork::vb
