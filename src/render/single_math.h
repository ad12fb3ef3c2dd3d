// Small arithmetic shared by the painters that place things with Single coordinates.
#pragma once

#include <sheenwork/control/enums.h>
#include <sheenwork/vb/convert.h>
#include <sheenwork/vb/error.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace sheenwork {

// Single arithmetic that leaves the finite range is a run-time Overflow, as the host's
// floating-point checks make it; NaN (an invalid operation) counts the same.
inline vb::Single CheckedSingle(vb::Single v) {
    if (!std::isfinite(v)) vb::Raise(vb::kErrOverflow);
    return v;
}

inline bool OneOf(vb::Long v, std::initializer_list<vb::Long> values) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

// The way the drop-down section pushes the caption or picture at `content_align`:
// away from the section's side, unless the content already sits at the far side.
// Unknown section alignments push nothing.
enum class DropDownPush { None, Right, Left, Down, Up };
inline DropDownPush PushFromDropDown(vb::Long drop_align, vb::Long content_align) {
    switch (drop_align) {
        case cDropDownLeftDown:
        case cDropDownLeftUp:
            return OneOf(content_align, {cRechts_Oben, cRechts_Mitte, cRechts_Unten})
                       ? DropDownPush::None
                       : DropDownPush::Right;
        case cDropDownRightDown:
        case cDropDownRightUp:
            return OneOf(content_align, {cLinks_Oben, cLinks_Mitte, cLinks_Unten})
                       ? DropDownPush::None
                       : DropDownPush::Left;
        case cDropDownTopRight:
        case cDropDownTopLeft:
            return OneOf(content_align, {cLinks_Unten, cMitte_Unten, cRechts_Unten})
                       ? DropDownPush::None
                       : DropDownPush::Down;
        case cDropDownBottomRight:
        case cDropDownBottomLeft:
            return OneOf(content_align, {cLinks_Oben, cMitte_Oben, cRechts_Oben})
                       ? DropDownPush::None
                       : DropDownPush::Up;
        default: return DropDownPush::None;
    }
}

}  // namespace sheenwork
