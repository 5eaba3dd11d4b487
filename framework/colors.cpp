#include "colors.h"

#include <windows.h>

namespace orlo {

uint32_t ColorToRGB(TColor c) {
  if (IsSystemColor(c)) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<uint32_t>(c) & 0x00FFFFFFu;
}

const TIdentMap& ColorIdents() {
  static const TIdentMap map{
      {clBlack, "clBlack"},
      {clMaroon, "clMaroon"},
      {clGreen, "clGreen"},
      {clOlive, "clOlive"},
      {clNavy, "clNavy"},
      {clPurple, "clPurple"},
      {clTeal, "clTeal"},
      {clGray, "clGray"},
      {clSilver, "clSilver"},
      {clRed, "clRed"},
      {clLime, "clLime"},
      {clYellow, "clYellow"},
      {clBlue, "clBlue"},
      {clFuchsia, "clFuchsia"},
      {clAqua, "clAqua"},
      {clWhite, "clWhite"},
      {clScrollBar, "clScrollBar"},
      {clBackground, "clBackground"},
      {clActiveCaption, "clActiveCaption"},
      {clInactiveCaption, "clInactiveCaption"},
      {clMenu, "clMenu"},
      {clWindow, "clWindow"},
      {clWindowFrame, "clWindowFrame"},
      {clMenuText, "clMenuText"},
      {clWindowText, "clWindowText"},
      {clCaptionText, "clCaptionText"},
      {clActiveBorder, "clActiveBorder"},
      {clInactiveBorder, "clInactiveBorder"},
      {clAppWorkSpace, "clAppWorkSpace"},
      {clHighlight, "clHighlight"},
      {clHighlightText, "clHighlightText"},
      {clBtnFace, "clBtnFace"},
      {clBtnShadow, "clBtnShadow"},
      {clGrayText, "clGrayText"},
      {clBtnText, "clBtnText"},
      {clInactiveCaptionText, "clInactiveCaptionText"},
      {clBtnHighlight, "clBtnHighlight"},
      {cl3DDkShadow, "cl3DDkShadow"},
      {cl3DLight, "cl3DLight"},
      {clInfoText, "clInfoText"},
      {clInfoBk, "clInfoBk"},
      {clNone, "clNone"},
      {clDefault, "clDefault"},
  };
  return map;
}

const TIdentMap& CursorIdents() {
  // crSizeAll comes before its older alias crSize, so -22 is named crSizeAll.
  static const TIdentMap map{
      {crDefault, "crDefault"},
      {crNone, "crNone"},
      {crArrow, "crArrow"},
      {crCross, "crCross"},
      {crIBeam, "crIBeam"},
      {crSizeNESW, "crSizeNESW"},
      {crSizeNS, "crSizeNS"},
      {crSizeNWSE, "crSizeNWSE"},
      {crSizeWE, "crSizeWE"},
      {crUpArrow, "crUpArrow"},
      {crHourGlass, "crHourGlass"},
      {crDrag, "crDrag"},
      {crNoDrop, "crNoDrop"},
      {crHSplit, "crHSplit"},
      {crVSplit, "crVSplit"},
      {crMultiDrag, "crMultiDrag"},
      {crSQLWait, "crSQLWait"},
      {crNo, "crNo"},
      {crAppStart, "crAppStart"},
      {crHelp, "crHelp"},
      {crHandPoint, "crHandPoint"},
      {crSizeAll, "crSizeAll"},
      {crSize, "crSize"},
  };
  return map;
}

const TIdentMap& CharsetIdents() {
  static const TIdentMap map{
      {ANSI_CHARSET, "ANSI_CHARSET"},
      {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
      {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
      {MAC_CHARSET, "MAC_CHARSET"},
      {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
      {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
      {JOHAB_CHARSET, "JOHAB_CHARSET"},
      {GB2312_CHARSET, "GB2312_CHARSET"},
      {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
      {GREEK_CHARSET, "GREEK_CHARSET"},
      {TURKISH_CHARSET, "TURKISH_CHARSET"},
      {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
      {HEBREW_CHARSET, "HEBREW_CHARSET"},
      {ARABIC_CHARSET, "ARABIC_CHARSET"},
      {BALTIC_CHARSET, "BALTIC_CHARSET"},
      {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
      {THAI_CHARSET, "THAI_CHARSET"},
      {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
      {OEM_CHARSET, "OEM_CHARSET"},
  };
  return map;
}

bool IdentToColor(const std::string& name, TColor& color) {
  return ColorIdents().ToInt(name, color);
}

bool ColorToIdent(TColor color, std::string& name) {
  return ColorIdents().ToIdent(color, name);
}

}  // namespace orlo
