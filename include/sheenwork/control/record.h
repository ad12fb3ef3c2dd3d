// The instance record of sheenButton: one field per property, in the record's order,
// then the internal fields the painters and input handlers share. A new record holds
// zero, empty or none everywhere; loading (or initialising a new instance) then assigns
// every property its value through the property accessors.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/objects.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/convert.h>

#include <cstdint>
#include <memory>
#include <string>

namespace sheenwork {

class QI;

// Host colour value: 0x00BBGGRR, or a system colour index with the top bit set.
using OLE_COLOR = std::uint32_t;

// A rectangle of four Longs (left, top, right, bottom), as the record keeps it.
using RECT = gdi::Rect;

struct ButtonRecord {
    // Properties.
    vb::Long CaptionAlign = 0;
    vb::Single CaptionLeft = 0;  // twips
    vb::Single CaptionTop = 0;   // twips
    std::string Caption;
    OLE_COLOR BackColor = 0;
    OLE_COLOR BackColorOver = 0;
    OLE_COLOR BackColorDown = 0;
    OLE_COLOR BackColorDis = 0;
    vb::Boolean Enabled;
    host::FontRef Font;
    host::FontRef FontDown;
    OLE_COLOR ForeColor = 0;
    OLE_COLOR ForeColorOver = 0;
    OLE_COLOR ForeColorDown = 0;
    host::FontRef FontOnMouseOver;
    host::PictureRef MouseIcon;
    vb::Long MousePointer = 0;
    vb::Long PictureAlign = 0;
    host::PictureRef Picture;
    host::PictureRef PictureDown;
    host::PictureRef PictureDis;
    host::PictureRef PictureOver;
    vb::Boolean PictureShow;
    vb::Single PictureTop = 0;     // twips
    vb::Single PictureLeft = 0;    // twips
    vb::Single PictureWidth = 0;   // pixels
    vb::Single PictureHeight = 0;  // pixels
    std::string URL;
    std::string UrlParam;
    std::string Wave;
    vb::Boolean RealPicSize;
    vb::Boolean PictureInFront;
    vb::Integer OLEDropMode = 0;
    vb::Boolean RightToLeft;
    vb::Boolean AutoXPMouseIcons;
    vb::Long ColorStyle = 0;
    OLE_COLOR CornerColor = 0;
    OLE_COLOR ForeColorDis = 0;
    vb::Boolean MoveCaptionAtDown;
    vb::Long ButtonStyle = 0;
    OLE_COLOR OfficeBorder = 0;
    OLE_COLOR OfficeBorderDown = 0;
    OLE_COLOR OfficeBackColor = 0;
    OLE_COLOR OfficeBackColorDown = 0;
    std::string VeloToolTip;
    OLE_COLOR BorderColor = 0;
    vb::Long FocusRect = 0;
    vb::Long HoverRect = 0;
    OLE_COLOR FocusRectColor = 0;
    OLE_COLOR HoverRectColor = 0;
    vb::Boolean Value;
    OLE_COLOR MaskColor = 0;
    vb::Boolean UseMaskColor;
    vb::Boolean AutoColorStyle;
    vb::Boolean AllPicturesSame;
    vb::Boolean UseVeloToolTip;
    vb::Boolean OfficeBorderOnMouseOut;
    vb::Boolean DropDown;
    OLE_COLOR DropDownColor = 0;
    vb::Integer DropDownSize = 0;  // pixels
    vb::Long DropDownAlign = 0;
    vb::Boolean DropDownSeparator;
    OLE_COLOR DropDownSeparatorColor = 0;
    vb::Integer VeloToolTipDelay = 0;  // milliseconds

    // Internal fields.
    vb::Boolean bDefault;
    vb::Boolean bHasFocus;
    vb::Boolean bLoading;
    std::string sState;          // "" or "down"
    std::string sDropDownState;  // "", "down" or "n"
    vb::Boolean bMouseOver;
    vb::Boolean bMouseEntered;
    vb::Boolean bSpaceDown;
    std::shared_ptr<QI> cQuickInfo;
    vb::Single sngX = 0, sngY = 0;  // pixels
    host::PictureRef picCurrent;
    RECT rcGradient;
    vb::Long lEdgeStyle = 0;
    RECT rcEdge;
    std::shared_ptr<host::SurfaceImage> picSnapshot;
};

}  // namespace sheenwork
