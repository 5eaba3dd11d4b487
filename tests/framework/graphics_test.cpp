#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "description_reader.h"
#include "graphics.h"
#include "resource_strings.h"
#include "size_reporting_stream.h"
#include "streams.h"

using namespace orlo;

namespace {

void Put16(std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }

// A .bmp file image: file header, info header, colour table, pixel rows.
std::string BmpFile(int width, int height, int bpp, const std::vector<uint32_t>& palette,
                    const std::string& rows) {
  std::string s = "BM";
  uint32_t offBits = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
  Put32(s, offBits + static_cast<uint32_t>(rows.size()));
  Put32(s, 0);
  Put32(s, offBits);
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(width));
  Put32(s, static_cast<uint32_t>(height));
  Put16(s, 1);
  Put16(s, static_cast<uint16_t>(bpp));
  Put32(s, BI_RGB);
  Put32(s, static_cast<uint32_t>(rows.size()));
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, static_cast<uint32_t>(palette.size()));
  Put32(s, 0);
  for (uint32_t rgb : palette) Put32(s, rgb);  // stored as 0x00RRGGBB
  return s + rows;
}

// 24 x 24, 8 bits per pixel, rows stored bottom-up. Picture row y uses
// colour index (x + y) % 4, except the lower-left pixel, index 5.
const std::vector<uint32_t> kPalette = {0x102030, 0x405060, 0x708090, 0xA0B0C0,
                                        0x000000, 0xFF00FF};
std::string Bmp8() {
  std::string rows;
  for (int stored = 0; stored < 24; ++stored) {
    int y = 23 - stored;
    for (int x = 0; x < 24; ++x)
      rows += static_cast<char>(x == 0 && y == 23 ? 5 : (x + y) % 4);
  }
  return BmpFile(24, 24, 8, kPalette, rows);
}

// The TColor of a 0x00RRGGBB palette entry.
TColor FromRgbQuad(uint32_t q) {
  return RGBColor(static_cast<uint8_t>(q >> 16), static_cast<uint8_t>(q >> 8),
                  static_cast<uint8_t>(q));
}

struct ChangeCounter : TObject {
  int count = 0;
  void Hit(TObject*) { ++count; }
};

}  // namespace

TEST(Colors, AnyHighBitValueIsTheSystemColourOfItsLowByte) {
  for (int i = 0; i <= 24; ++i) {
    TColor c = static_cast<TColor>(0x80000000u + i);
    EXPECT_TRUE(IsSystemColor(c));
    EXPECT_EQ(ColorToRGB(c), GetSysColor(i)) << i;
  }
  // Beyond the framework's named ones the low byte still numbers the colour,
  // whatever the bits between it and the high bit hold.
  EXPECT_TRUE(IsSystemColor(static_cast<TColor>(0x8000001Au)));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x8000001Au)), GetSysColor(26));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x80000105u)), GetSysColor(5));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0xFF00000Fu)), GetSysColor(15));
  EXPECT_EQ(ColorToRGB(-1), GetSysColor(255));
  // Without the high bit the value is the colour itself, its top byte dropped.
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_EQ(ColorToRGB(clNone), 0xFFFFFFu);
  EXPECT_FALSE(IsSystemColor(0x7F000005));
  EXPECT_EQ(ColorToRGB(0x7F000005), 0x000005u);
  EXPECT_EQ(ColorToRGB(0x12345678), 0x345678u);
  EXPECT_EQ(ColorToRGB(clBlue), 0xFF0000u);
}

TEST(Colors, IdentifierMapsWorkBothWaysIgnoringCase) {
  TColor c = 0;
  EXPECT_TRUE(IdentToColor("clBtnFace", c));
  EXPECT_EQ(c, static_cast<TColor>(0x8000000Fu));
  EXPECT_TRUE(IdentToColor("CLWHITE", c));
  EXPECT_EQ(c, 0xFFFFFF);
  EXPECT_TRUE(IdentToColor("clNone", c));
  EXPECT_EQ(c, 0x1FFFFFFF);
  EXPECT_FALSE(IdentToColor("clPink", c));
  std::string name;
  EXPECT_TRUE(ColorToIdent(clInfoText, name));
  EXPECT_EQ(name, "clInfoText");
  EXPECT_TRUE(ColorToIdent(0x008000, name));
  EXPECT_EQ(name, "clGreen");
  EXPECT_FALSE(ColorToIdent(0x123456, name));

  int32_t v = 0;
  EXPECT_TRUE(CursorIdents().ToInt("crHandPoint", v));
  EXPECT_EQ(v, -21);
  EXPECT_TRUE(CursorIdents().ToInt("crSize", v));
  EXPECT_EQ(v, -22);
  EXPECT_TRUE(CursorIdents().ToIdent(-22, name));
  EXPECT_EQ(name, "crSizeAll");
  EXPECT_TRUE(CursorIdents().ToIdent(0, name));
  EXPECT_EQ(name, "crDefault");

  EXPECT_TRUE(CharsetIdents().ToInt("shiftjis_charset", v));
  EXPECT_EQ(v, 128);
  EXPECT_TRUE(CharsetIdents().ToIdent(255, name));
  EXPECT_EQ(name, "OEM_CHARSET");
  EXPECT_TRUE(CharsetIdents().ToIdent(1, name));
  EXPECT_EQ(name, "DEFAULT_CHARSET");
  EXPECT_FALSE(CharsetIdents().ToInt("KANJI_CHARSET", v));
}

TEST(Font, StartsAsTheFrameworkDefaultForThisSystem) {
  // The test system is Japanese: double-byte enabled, screen font Shift-JIS.
  ASSERT_TRUE(GetSystemMetrics(SM_DBCSENABLED));
  const TFontDefaults& d = DefaultFont();
  EXPECT_EQ(d.Name, "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
  EXPECT_EQ(d.Charset, SHIFTJIS_CHARSET);
  EXPECT_EQ(d.Height, -MulDiv(9, ScreenPixelsPerInch(), 72));

  TFont f;
  EXPECT_EQ(f.Name(), d.Name);
  EXPECT_EQ(f.Charset(), 128);
  EXPECT_EQ(f.Height(), d.Height);
  EXPECT_EQ(f.Size(), 9);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_TRUE(f.Style().Empty());
  EXPECT_EQ(f.PixelsPerInch(), ScreenPixelsPerInch());

  // The platform finds the face (through the prefix's font replacements).
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f.Handle());
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof face, face);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(std::string(face), d.Name);
}

TEST(Font, SizeAndHeightConvertAtThePixelsPerInch) {
  TFont f;
  f.SetPixelsPerInch(96);
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);  // 13.33 px
  EXPECT_EQ(f.Size(), 10);     // 9.75 pt rounds up
  f.SetHeight(-16);
  EXPECT_EQ(f.Size(), 12);
  f.SetHeight(20);  // a cell height gives a negative size
  EXPECT_EQ(f.Size(), -15);
  f.SetPixelsPerInch(120);
  f.SetSize(9);
  EXPECT_EQ(f.Height(), -15);
  f.SetHeight(-16);
  EXPECT_EQ(f.Size(), 10);  // 9.6 pt
  f.SetHeight(0);
  EXPECT_EQ(f.Size(), 0);
}

TEST(Font, ChangesNotifyOnceAndRemakeTheHandle) {
  TFont f;
  ChangeCounter changes;
  f.OnChange = TNotifyEvent(&changes, &ChangeCounter::Hit);

  HFONT first = f.Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(f.Handle(), first);  // cached
  f.SetColor(clRed);
  EXPECT_EQ(changes.count, 1);
  EXPECT_TRUE(f.HandleAllocated());  // the colour is not part of the handle

  f.SetName("Arial");
  f.SetName("Arial");
  f.SetHeight(-20);
  f.SetStyle(TFontStyles{fsBold, fsItalic});
  f.SetStyle(TFontStyles{fsItalic, fsBold});
  f.SetCharset(ANSI_CHARSET);
  EXPECT_EQ(changes.count, 5);
  EXPECT_FALSE(f.HandleAllocated());

  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(f.Handle(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_FALSE(lf.lfUnderline);
  EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);

  TFont g;
  g.Assign(&f);
  EXPECT_EQ(g.Name(), "Arial");
  EXPECT_EQ(g.Height(), -20);
  EXPECT_EQ(g.Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(g.Charset(), ANSI_CHARSET);
  EXPECT_EQ(g.Color(), clRed);
  f.Assign(&g);  // same values: nothing to tell
  EXPECT_EQ(changes.count, 5);

  TFont h;
  h.SetLogFont(lf);
  EXPECT_EQ(h.Name(), "Arial");
  EXPECT_EQ(h.Height(), -20);
  EXPECT_EQ(h.Style(), (TFontStyles{fsBold, fsItalic}));

  TBrush notAFont;
  EXPECT_THROW(f.Assign(&notAFont), EConvertError);
}

TEST(Font, PublishedPropertiesReachTheFont) {
  TFont f;
  TClass cls = f.ClassType();
  const TPropInfo* charset = cls->FindProp("Charset");
  const TPropInfo* color = cls->FindProp("Color");
  const TPropInfo* style = cls->FindProp("Style");
  const TPropInfo* size = cls->FindProp("Size");
  const TPropInfo* name = cls->FindProp("Name");
  ASSERT_TRUE(charset && color && style && size && name && cls->FindProp("Height"));

  int32_t v = 0;
  ASSERT_TRUE(charset->Idents->ToInt("SHIFTJIS_CHARSET", v));
  charset->SetOrd(&f, v);
  EXPECT_EQ(f.Charset(), 128);
  ASSERT_TRUE(color->Idents->ToInt("clBtnText", v));
  color->SetOrd(&f, v);
  EXPECT_EQ(f.Color(), clBtnText);
  EXPECT_EQ(color->GetOrd(&f), clBtnText);
  EXPECT_EQ(*color->Default, clWindowText);

  EXPECT_EQ(*style->Names, FontStyleNames());
  style->SetOrd(&f, (1 << fsBold) | (1 << fsStrikeOut));
  EXPECT_TRUE(f.Style().Contains(fsBold));
  EXPECT_TRUE(f.Style().Contains(fsStrikeOut));
  EXPECT_FALSE(f.Style().Contains(fsItalic));
  EXPECT_EQ(style->GetOrd(&f), (1 << fsBold) | (1 << fsStrikeOut));

  size->SetOrd(&f, 12);
  EXPECT_EQ(f.Height(), -MulDiv(12, f.PixelsPerInch(), 72));
  name->SetStr(&f, "MS UI Gothic");
  EXPECT_EQ(name->GetStr(&f), "MS UI Gothic");
}

TEST(Brush, SettingTheColourMakesAClearBrushSolid) {
  TBrush b;
  ChangeCounter changes;
  b.OnChange = TNotifyEvent(&changes, &ChangeCounter::Hit);
  EXPECT_EQ(b.Color(), clWhite);
  EXPECT_EQ(b.Style(), bsSolid);

  b.SetColor(clWhite);
  EXPECT_EQ(changes.count, 0);
  b.SetStyle(bsClear);
  LOGBRUSH lb{};
  GetObjectA(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_NULL));
  b.SetColor(clWhite);  // the same colour still ends the clear style
  EXPECT_EQ(b.Style(), bsSolid);
  EXPECT_EQ(changes.count, 2);

  b.SetColor(clBtnFace);
  GetObjectA(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));

  b.SetStyle(bsCross);
  b.SetColor(clRed);
  GetObjectA(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
  EXPECT_EQ(lb.lbColor, 0x0000FFu);

  TBrush copy;
  copy.Assign(&b);
  EXPECT_EQ(copy.Color(), clRed);
  EXPECT_EQ(copy.Style(), bsCross);
}

TEST(Pen, HandleFollowsStyleWidthAndColour) {
  TPen p;
  EXPECT_EQ(p.Color(), clBlack);
  EXPECT_EQ(p.Width(), 1);
  p.SetWidth(0);
  EXPECT_EQ(p.Width(), 1);
  p.SetWidth(3);
  p.SetStyle(psDash);
  p.SetColor(clBtnShadow);
  LOGPEN lp{};
  ASSERT_NE(GetObjectA(p.Handle(), sizeof lp, &lp), 0);
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, GetSysColor(COLOR_BTNSHADOW));

  p.SetMode(pmXor);  // applied by the canvas; the pen itself stays
  EXPECT_TRUE(p.HandleAllocated());
  p.SetStyle(psClear);
  EXPECT_EQ(static_cast<HGDIOBJ>(p.Handle()), GetStockObject(NULL_PEN));
}

TEST(Bitmap, LoadsAnEightBitImageWithItsPalette) {
  TBitmap b;
  ChangeCounter changes;
  b.OnChange = TNotifyEvent(&changes, &ChangeCounter::Hit);
  std::string bmp = Bmp8();
  b.LoadFromMemory(bmp.data(), bmp.size());
  EXPECT_EQ(changes.count, 1);
  ASSERT_EQ(b.Width(), 24);
  ASSERT_EQ(b.Height(), 24);
  ASSERT_NE(b.Handle(), nullptr);

  EXPECT_EQ(b.Pixel(0, 23), FromRgbQuad(0xFF00FF));
  EXPECT_EQ(b.TransparentColor(), FromRgbQuad(0xFF00FF));
  EXPECT_EQ(b.Pixel(0, 0), FromRgbQuad(kPalette[0]));    // top row, stored last
  EXPECT_EQ(b.Pixel(3, 0), FromRgbQuad(kPalette[3]));
  EXPECT_EQ(b.Pixel(2, 5), FromRgbQuad(kPalette[3]));
  EXPECT_EQ(b.Pixel(23, 23), FromRgbQuad(kPalette[(23 + 23) % 4]));
  EXPECT_EQ(b.Pixel(24, 0), -1);

  // The same pixels through the bitmap's canvas.
  EXPECT_EQ(b.Canvas()->Pixel(3, 0), FromRgbQuad(kPalette[3]));
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(TRect(0, 0, 2, 2));
  EXPECT_EQ(b.Pixel(1, 1), clLime);
  EXPECT_EQ(b.Pixel(2, 2), FromRgbQuad(kPalette[0]));

  // Loading again lets the canvas draw on the new picture.
  b.LoadFromMemory(bmp.data(), bmp.size());
  EXPECT_EQ(b.Pixel(1, 1), FromRgbQuad(kPalette[2]));
  b.Canvas()->FillRect(TRect(0, 0, 2, 2));
  EXPECT_EQ(b.Pixel(1, 1), clLime);

  TBitmap copy;
  copy.Assign(&b);
  copy.SetPixel(1, 1, clBlue);
  EXPECT_EQ(copy.Pixel(1, 1), clBlue);
  EXPECT_EQ(b.Pixel(1, 1), clLime);
  EXPECT_EQ(copy.Pixel(0, 23), FromRgbQuad(0xFF00FF));
}

TEST(Bitmap, TwentyFourBitRowsAndTopDownImages) {
  // 3 x 2, 24 bits, each row padded to 12 bytes; bytes are blue, green, red.
  std::string bottomUp;
  bottomUp += std::string("\x00\x00\xFF" "\x00\xFF\x00" "\xFF\x00\x00" "\x00\x00\x00", 12);  // bottom
  bottomUp += std::string("\x11\x22\x33" "\x44\x55\x66" "\x77\x88\x99" "\x00\x00\x00", 12);  // top
  TBitmap b;
  std::string bmp = BmpFile(3, 2, 24, {}, bottomUp);
  b.LoadFromMemory(bmp.data(), bmp.size());
  EXPECT_EQ(b.Pixel(0, 1), clRed);
  EXPECT_EQ(b.Pixel(1, 1), clLime);
  EXPECT_EQ(b.Pixel(2, 1), clBlue);
  EXPECT_EQ(b.Pixel(0, 0), RGBColor(0x33, 0x22, 0x11));

  // A negative height stores the rows from the top.
  std::string topDown = BmpFile(3, -2, 24, {}, bottomUp);
  b.LoadFromMemory(topDown.data(), topDown.size());
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.Pixel(0, 0), clRed);
  EXPECT_EQ(b.TransparentColor(), RGBColor(0x33, 0x22, 0x11));
}

TEST(Bitmap, RejectsDamagedImagesAndKeepsThePicture) {
  TBitmap b;
  std::string good = Bmp8();
  b.LoadFromMemory(good.data(), good.size());

  auto expectInvalid = [&](const std::string& image) {
    try {
      b.LoadFromMemory(image.data(), image.size());
      ADD_FAILURE() << "accepted a damaged image";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), res::SInvalidBitmap);
    }
  };
  expectInvalid(good.substr(0, good.size() - 1));  // one byte of pixels missing
  expectInvalid(good.substr(0, 14 + 40 + 10));     // cut inside the colour table
  expectInvalid(good.substr(0, 20));
  expectInvalid("");
  std::string wrongSignature = good;
  wrongSignature[1] = 'X';
  expectInvalid(wrongSignature);
  std::string oddDepth = good;
  oddDepth[14 + 14] = 7;
  expectInvalid(oddDepth);
  std::string pixelsBeyondEnd = good;
  pixelsBeyondEnd[10] = '\xFF';
  pixelsBeyondEnd[11] = '\xFF';
  expectInvalid(pixelsBeyondEnd);
  std::string zeroWidth = good;
  std::memset(&zeroWidth[18], 0, 4);
  expectInvalid(zeroWidth);

  // A stream bigger than memory can hold here is a read error, not a picture
  // cut short.
  for (int64_t size : orlo::testing_support::SizesBeyondMemory(true)) {
    orlo::testing_support::TSizeReportingStream huge(size);
    try {
      b.LoadFromStream(huge);
      ADD_FAILURE() << "accepted a stream of " << size << " bytes";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), res::SReadError);
    }
  }

  EXPECT_EQ(b.Width(), 24);
  EXPECT_EQ(b.TransparentColor(), FromRgbQuad(0xFF00FF));
}

TEST(Bitmap, ReadsStreamsFilesAndTheDescriptionsDataValue) {
  std::string bmp = Bmp8();
  TBitmap b;

  // From the stream's position to its end.
  TMemoryStream ms;
  ms.WriteBuffer("xyz", 3);
  ms.WriteBuffer(bmp.data(), bmp.size());
  ms.SetPosition(3);
  b.LoadFromStream(ms);
  EXPECT_EQ(b.Width(), 24);

  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string path = std::string(dir) + "orlo_graphics_test.bmp";
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer(bmp.data(), bmp.size());
  }
  TBitmap fromFile;
  fromFile.LoadFromFile(path);
  DeleteFileA(path.c_str());
  EXPECT_EQ(fromFile.TransparentColor(), FromRgbQuad(0xFF00FF));
  EXPECT_THROW(fromFile.LoadFromFile(path), EFOpenError);

  // "Data": a binary value holding the image's size and the image.
  auto binaryValue = [](const std::string& payload) {
    std::string v(1, static_cast<char>(vaBinary));
    Put32(v, static_cast<uint32_t>(payload.size()));
    return v + payload;
  };
  std::string sized;
  Put32(sized, static_cast<uint32_t>(bmp.size()));
  sized += bmp;
  TMemoryStream value;
  std::string bytes = binaryValue(sized);
  value.WriteBuffer(bytes.data(), bytes.size());
  value.SetPosition(0);
  TBitmap glyph;
  {
    TReader reader(value);
    EXPECT_TRUE(glyph.ReadDefinedProperty("data", reader));
  }
  EXPECT_EQ(glyph.Width(), 24);
  EXPECT_EQ(glyph.Pixel(0, 23), FromRgbQuad(0xFF00FF));

  // A size that claims more than the value holds is a damaged image.
  std::string overlong;
  Put32(overlong, static_cast<uint32_t>(bmp.size() + 1));
  overlong += bmp;
  TMemoryStream bad;
  bytes = binaryValue(overlong);
  bad.WriteBuffer(bytes.data(), bytes.size());
  bad.SetPosition(0);
  {
    TReader reader(bad);
    EXPECT_THROW(glyph.ReadDefinedProperty("Data", reader), EInvalidGraphic);
  }
  TMemoryStream other;
  {
    TReader reader(other);
    EXPECT_FALSE(glyph.ReadDefinedProperty("Picture", reader));
  }
}

TEST(Icon, FallsBackToTheDefaultApplicationIcon) {
  // This test program carries no MAINICON.
  TIcon icon;
  EXPECT_EQ(icon.Handle(), nullptr);
  EXPECT_FALSE(icon.LoadMainIcon());
  EXPECT_EQ(icon.Handle(), LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));

  TIcon copy;
  copy.Assign(&icon);
  EXPECT_EQ(copy.Handle(), icon.Handle());
}
