// Colours, cursors and character sets: the integer values that descriptions
// may also spell as identifiers (clWhite, crHandPoint, SHIFTJIS_CHARSET).
#pragma once
#include <cstdint>

#include "properties.h"

namespace orlo {

// 0x00BBGGRR for a fixed colour (red in the lowest byte); with the high bit
// set, the platform's system colour numbered by the low byte (0x80000000 + n),
// resolved only when something is drawn.
using TColor = int32_t;

namespace detail {
constexpr TColor SysColor(uint32_t index) { return static_cast<TColor>(0x80000000u | index); }
}  // namespace detail

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours: the platform's COLOR_* index in the low byte.
constexpr TColor clScrollBar = detail::SysColor(0);
constexpr TColor clBackground = detail::SysColor(1);
constexpr TColor clActiveCaption = detail::SysColor(2);
constexpr TColor clInactiveCaption = detail::SysColor(3);
constexpr TColor clMenu = detail::SysColor(4);
constexpr TColor clWindow = detail::SysColor(5);
constexpr TColor clWindowFrame = detail::SysColor(6);
constexpr TColor clMenuText = detail::SysColor(7);
constexpr TColor clWindowText = detail::SysColor(8);
constexpr TColor clCaptionText = detail::SysColor(9);
constexpr TColor clActiveBorder = detail::SysColor(10);
constexpr TColor clInactiveBorder = detail::SysColor(11);
constexpr TColor clAppWorkSpace = detail::SysColor(12);
constexpr TColor clHighlight = detail::SysColor(13);
constexpr TColor clHighlightText = detail::SysColor(14);
constexpr TColor clBtnFace = detail::SysColor(15);
constexpr TColor clBtnShadow = detail::SysColor(16);
constexpr TColor clGrayText = detail::SysColor(17);
constexpr TColor clBtnText = detail::SysColor(18);
constexpr TColor clInactiveCaptionText = detail::SysColor(19);
constexpr TColor clBtnHighlight = detail::SysColor(20);
constexpr TColor cl3DDkShadow = detail::SysColor(21);
constexpr TColor cl3DLight = detail::SysColor(22);
constexpr TColor clInfoText = detail::SysColor(23);
constexpr TColor clInfoBk = detail::SysColor(24);

// True for every value with the high bit set, not only the 25 named ones
// (clScrollBar .. clInfoBk): 0x8000001A is system colour 26, 0x80000105 is 5.
constexpr bool IsSystemColor(TColor c) {
  return (static_cast<uint32_t>(c) & 0x80000000u) != 0;
}

// The colour as the platform draws it (0x00BBGGRR): a system colour through
// the platform's current table by its low byte, anything else with its top
// byte dropped (so clNone gives white).
uint32_t ColorToRGB(TColor c);

// Red, green and blue bytes of a resolved colour.
inline uint8_t RedOf(uint32_t rgb) { return static_cast<uint8_t>(rgb); }
inline uint8_t GreenOf(uint32_t rgb) { return static_cast<uint8_t>(rgb >> 8); }
inline uint8_t BlueOf(uint32_t rgb) { return static_cast<uint8_t>(rgb >> 16); }
constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}

// Mouse pointers: the framework's numbers of the platform's standard cursors.
using TCursor = int32_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Identifier maps for integer properties, as the description reader uses
// them: colour names (clWhite, clBtnFace ...), cursor names and the
// platform's character-set names (SHIFTJIS_CHARSET ...).
const TIdentMap& ColorIdents();
const TIdentMap& CursorIdents();
const TIdentMap& CharsetIdents();

// Convenience lookups over ColorIdents(): false when the name or value is unknown.
bool IdentToColor(const std::string& name, TColor& color);
bool ColorToIdent(TColor color, std::string& name);

}  // namespace orlo
