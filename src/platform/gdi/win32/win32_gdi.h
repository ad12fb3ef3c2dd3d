// The Win32 implementation of gdi::Gdi: every call forwards to real GDI / USER on the
// handles it is given. Built only with mingw-w64 (reference/CMakeLists.txt), so that
// the drawing scenes can run on Windows or under Wine and serve as the reference for
// our raster.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <memory>

namespace sheenwork::gdi {

std::unique_ptr<Gdi> MakeWin32Gdi();

}  // namespace sheenwork::gdi
