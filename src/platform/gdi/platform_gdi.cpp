// What a program on this platform draws with: our raster.
#include <sheenwork/gdi/gdi.h>

namespace sheenwork::gdi {

std::unique_ptr<Gdi> MakePlatformGdi() { return MakeRasterGdi(); }

}  // namespace sheenwork::gdi
