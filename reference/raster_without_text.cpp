// The reference programs carry our raster only for the recording site's own default
// surface; text there is always drawn by real GDI. Without FreeType in the cross build,
// the raster's text calls answer as a device without fonts would.
#include "platform/gdi/raster.h"

namespace sheenwork::gdi::raster {

Hgdiobj RasterGdi::CreateFontIndirect(const LogFont&) { return nullptr; }
std::string RasterGdi::GetTextFace(Hdc) { return {}; }
bool RasterGdi::GetTextMetrics(Hdc, TextMetric*) { return false; }
bool RasterGdi::GetTextExtentPoint32(Hdc, const char*, int, Size*) { return false; }
int RasterGdi::DrawTextA(Hdc, const char*, int, Rect*, unsigned) { return 0; }

}  // namespace sheenwork::gdi::raster
