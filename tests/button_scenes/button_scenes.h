// Button scenes: whole buttons painted by Redraw with the real painters, every look,
// colour scheme and state, at several sizes down to a single pixel. A scene hands the
// button a surface drawn through the scene's Gdi, so the same list runs on our raster
// and on real GDI under Wine, and its pixels end up in the scene's bitmap.
//
// Names are "<group>/<state>/<w>x<h>"; a group collects the states and sizes of one look
// and scheme (the golden pictures keep one sheet per group).
#pragma once

#include <string>
#include <vector>

#include "scenes.h"

namespace sheenwork::scenes {

const std::vector<Scene>& ButtonScenes();

// The group of a button scene's name ("xp-blue" of "xp-blue/hover/75x23").
std::string ButtonSceneGroup(const std::string& name);

}  // namespace sheenwork::scenes
