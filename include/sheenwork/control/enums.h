// The published enumerations of the library, with their values. Note the gaps:
// cWinClassic is 5, cCustom and cBenutzerdefiniert are 99, cActiveXPTheme starts at 1.
// Properties typed with them are Longs: any value can be stored, and the painters
// treat unknown values as their own code says.
#pragma once

namespace sheenwork {

enum cButtonRect : long {
    cRectXPBlue = 0,
    cRectXPSilver = 1,
    cRectXPOlive = 2,
    cRectColor = 3,
    cOff = 4,
};

// Left/centre/right by top/middle/bottom; 99 places at the manual position.
enum cAlignment : long {
    cLinks_Oben = 0,
    cMitte_Oben = 1,
    cRechts_Oben = 2,
    cLinks_Mitte = 3,
    cMitte_Mitte = 4,
    cRechts_Mitte = 5,
    cLinks_Unten = 6,
    cMitte_Unten = 7,
    cRechts_Unten = 8,
    cBenutzerdefiniert = 99,
};

enum cColorStyle : long {
    cXPBlue = 0,
    cXPSilver = 1,
    cXPOlive = 2,
    cWinClassic = 5,
    cCustom = 99,
};

enum cButtonStyle : long {
    cButtonWinXP = 0,
    cButtonOffice = 1,
    cButtonIExplorer = 2,
};

enum cDropDownAlign : long {
    cDropDownLeftDown = 0,
    cDropDownLeftUp = 1,
    cDropDownRightDown = 2,
    cDropDownRightUp = 3,
    cDropDownTopRight = 4,
    cDropDownTopLeft = 5,
    cDropDownBottomRight = 6,
    cDropDownBottomLeft = 7,
};

enum cActiveXPTheme : long {
    styleBlue = 1,
    styleSilver = 2,
    styleOlive = 3,
    styleClassic = 4,
};

enum cMouseButton : long {
    mouseNone = 0,
    mouseLeft = 1,
    mouseRight = 2,
    mouseMiddle = 3,
};

}  // namespace sheenwork
