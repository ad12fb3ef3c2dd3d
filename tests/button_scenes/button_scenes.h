// Button scenes: whole buttons painted by Redraw with the real painters, read from
// tests/data/scenes/buttons (the format is described at the top of its files), and the
// TransBlt scenes of tests/data/scenes/transblt. A scene hands the button a surface drawn
// through the scene's Gdi, so the same list runs on our raster and on real GDI under
// Wine, and its pixels end up in the scene's bitmap.
//
// Names are "<group>/<item>.../<w>x<h>"; a group collects the states and sizes of one
// look and scheme (the golden pictures keep one sheet per group).
#pragma once

#include <string>
#include <vector>

#include <sheenwork/host/objects.h>

#include "scenes.h"

namespace sheenwork {
struct ButtonRecord;
namespace testing {
class RecordingSite;
}
}  // namespace sheenwork

namespace sheenwork::scenes {

const std::vector<Scene>& ButtonScenes();

// The control's own calls a scene line can make: TransBlt DC X Y W H SRC XSRC YSRC KEY.
const Verbs& ControlVerbs();

// Carries out one assignment of a button scene's lines ("FIELD = VALUE", or Image1 = WxH)
// on a record and its site.
void Assign(testing::RecordingSite& site, ButtonRecord& r, const std::vector<std::string>& w);

// A new picture object of the one tests/data/scenes/pictures calls `name` ("weave 16x16
// translucent").
host::PictureRef ScenePicture(const std::string& name);

// The group of a button scene's name ("xp-blue" of "xp-blue/hover/75x23").
inline std::string ButtonSceneGroup(const std::string& name) {
    return name.substr(0, name.find('/'));
}

}  // namespace sheenwork::scenes
