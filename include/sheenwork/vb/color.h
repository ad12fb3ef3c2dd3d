// OLE_COLOR, the host's colour value, and its resolution to 0x00BBGGRR.
//
// The high byte says what the low bytes mean. The control's colour properties hold
// these values unresolved (a BackColor of vbButtonFace follows the system colour when
// it changes), so resolution happens at drawing time through TranslateColor.
#pragma once

#include <cstdint>

namespace sheenwork::vb {

using OleColor = std::uint32_t;

// SystemColorConstants: top bit set, GetSysColor index in the low byte.
inline constexpr OleColor vbScrollBars = 0x80000000;
inline constexpr OleColor vbDesktop = 0x80000001;
inline constexpr OleColor vbActiveTitleBar = 0x80000002;
inline constexpr OleColor vbInactiveTitleBar = 0x80000003;
inline constexpr OleColor vbMenuBar = 0x80000004;
inline constexpr OleColor vbWindowBackground = 0x80000005;
inline constexpr OleColor vbWindowFrame = 0x80000006;
inline constexpr OleColor vbMenuText = 0x80000007;
inline constexpr OleColor vbWindowText = 0x80000008;
inline constexpr OleColor vbTitleBarText = 0x80000009;
inline constexpr OleColor vbActiveBorder = 0x8000000A;
inline constexpr OleColor vbInactiveBorder = 0x8000000B;
inline constexpr OleColor vbApplicationWorkspace = 0x8000000C;
inline constexpr OleColor vbHighlight = 0x8000000D;
inline constexpr OleColor vbHighlightText = 0x8000000E;
inline constexpr OleColor vbButtonFace = 0x8000000F;
inline constexpr OleColor vbButtonShadow = 0x80000010;
inline constexpr OleColor vbGrayText = 0x80000011;
inline constexpr OleColor vbButtonText = 0x80000012;
inline constexpr OleColor vbInactiveCaptionText = 0x80000013;
inline constexpr OleColor vb3DHighlight = 0x80000014;
inline constexpr OleColor vb3DDKShadow = 0x80000015;
inline constexpr OleColor vb3DLight = 0x80000016;
inline constexpr OleColor vbInfoText = 0x80000017;
inline constexpr OleColor vbInfoBackground = 0x80000018;
inline constexpr OleColor vb3DFace = vbButtonFace;
inline constexpr OleColor vb3DShadow = vbButtonShadow;

// ColorConstants.
inline constexpr OleColor vbBlack = 0x000000;
inline constexpr OleColor vbRed = 0x0000FF;
inline constexpr OleColor vbGreen = 0x00FF00;
inline constexpr OleColor vbYellow = 0x00FFFF;
inline constexpr OleColor vbBlue = 0xFF0000;
inline constexpr OleColor vbMagenta = 0xFF00FF;
inline constexpr OleColor vbCyan = 0xFFFF00;
inline constexpr OleColor vbWhite = 0xFFFFFF;

constexpr bool IsSystemColor(OleColor c) noexcept { return (c & 0x80000000u) != 0; }
// Only the low byte selects the entry; OleTranslateColor ignores the middle bytes.
constexpr int SystemColorIndex(OleColor c) noexcept { return static_cast<int>(c & 0xFFu); }

// OleTranslateColor with no palette, through the system-colour table:
//   0x00rrggbb-style plain colour   itself
//   0x80......  system colour       SysColor(low byte); index beyond the table: error 5
//   0x02......  palette-relative    its RGB (what a true-colour device draws)
//   0x01......  palette index       error 5: there is no palette to look it up in
//                                   (OleTranslateColor passes it through unresolved,
//                                   which is no 0x00BBGGRR value)
//   anything else                   error 5, as OleTranslateColor's E_INVALIDARG
std::uint32_t TranslateColor(OleColor color);
// Whether TranslateColor accepts `color`, for property Lets that must raise 380 instead.
bool IsValidColor(OleColor color) noexcept;

// VB's RGB(): each component above 255 counts as 255; a negative one raises error 5.
OleColor Rgb(int red, int green, int blue);

}  // namespace sheenwork::vb
