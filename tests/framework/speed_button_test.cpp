#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "application.h"
#include "description_reader.h"
#include "forms.h"
#include "gui_helpers.h"
#include "reader_stream_builder.h"
#include "speed_button.h"
#include "std_controls.h"

using namespace orlo;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace {

// Distinct colours for every element a button is drawn in, so that each
// pixel tells which one painted it; the old ones come back afterwards.
const INT kElements[] = {COLOR_BTNFACE, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DLIGHT,
                         COLOR_3DDKSHADOW, COLOR_BTNTEXT};
constexpr TColor kFace = RGBColor(200, 196, 190);
constexpr TColor kHighlight = RGBColor(252, 250, 240);
constexpr TColor kShadow = RGBColor(120, 110, 100);
constexpr TColor kLight = RGBColor(224, 220, 212);
constexpr TColor kDarkShadow = RGBColor(40, 36, 30);
constexpr TColor kBtnText = RGBColor(10, 20, 90);

void SetSystemColors(const COLORREF* colours) {
  SetSysColors(static_cast<int>(std::size(kElements)), kElements, colours);
  SystemColorsChanged();
}

class TKnownSystemColors {
public:
  TKnownSystemColors() {
    for (size_t i = 0; i < std::size(kElements); ++i) saved_[i] = GetSysColor(kElements[i]);
    const COLORREF known[] = {kFace, kHighlight, kShadow, kLight, kDarkShadow, kBtnText};
    SetSystemColors(known);
  }
  ~TKnownSystemColors() { SetSystemColors(saved_); }

private:
  COLORREF saved_[std::size(kElements)];
};

// --- test pictures: 8-bit .bmp images with a 256-entry palette ---------------------

constexpr TColor kBack = RGBColor(0x00, 0xFF, 0x55);  // the lower-left pixel
constexpr TColor kRed = RGBColor(220, 30, 40);
constexpr TColor kBlue = RGBColor(30, 40, 200);

using TPixelFn = std::function<TColor(int x, int y)>;

std::string EightBitBmp(int w, int h, const TPixelFn& pixel) {
  std::vector<TColor> palette;
  std::map<TColor, uint8_t> index;
  const int stride = (w + 3) & ~3;
  std::string rows(static_cast<size_t>(stride) * h, '\0');
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      TColor c = pixel(x, y);
      auto it = index.find(c);
      if (it == index.end()) {
        it = index.emplace(c, static_cast<uint8_t>(palette.size())).first;
        palette.push_back(c);
      }
      rows[static_cast<size_t>(h - 1 - y) * stride + x] = static_cast<char>(it->second);
    }
  }
  std::string bmp;
  auto le = [&bmp](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bmp += static_cast<char>(v >> (8 * i));
  };
  const uint32_t offBits = 14 + 40 + 256 * 4;
  bmp += "BM";
  le(offBits + static_cast<uint32_t>(rows.size()), 4);
  le(0, 4);
  le(offBits, 4);
  le(40, 4);
  le(static_cast<uint32_t>(w), 4);
  le(static_cast<uint32_t>(h), 4);
  le(1, 2);
  le(8, 2);
  le(BI_RGB, 4);
  le(static_cast<uint32_t>(rows.size()), 4);
  le(2835, 4);
  le(2835, 4);
  le(256, 4);
  le(0, 4);
  for (int i = 0; i < 256; ++i) {
    TColor c = i < static_cast<int>(palette.size()) ? palette[static_cast<size_t>(i)] : 0;
    bmp += static_cast<char>(BlueOf(c));
    bmp += static_cast<char>(GreenOf(c));
    bmp += static_cast<char>(RedOf(c));
    bmp += '\0';
  }
  return bmp + rows;
}

// 24 x 24: a black frame around a red square, a white and a gray row inside.
TColor FolderPixel(int x, int y) {
  if (x < 3 || y < 3 || x > 20 || y > 20) return kBack;
  if (x == 3 || y == 3 || x == 20 || y == 20) return clBlack;
  if (y == 10 && x >= 6 && x <= 17) return clWhite;
  if (y == 14 && x >= 6 && x <= 17) return clGray;
  return kRed;
}

// The artist's own disabled image: a gray frame around a blue square, white
// and black rows inside.
TColor GreyedPixel(int x, int y) {
  if (x < 4 || y < 4 || x > 19 || y > 19) return kBack;
  if (x == 4 || y == 4 || x == 19 || y == 19) return clGray;
  if (y == 8) return clWhite;
  if (y == 12) return clBlack;
  return kBlue;
}

void LoadPicture(TBitmap& b, int w, int h, const TPixelFn& pixel) {
  std::string bmp = EightBitBmp(w, h, pixel);
  b.LoadFromMemory(bmp.data(), bmp.size());
}

// The pattern of a held-down button at a pixel of the button (placed at even
// coordinates): white where x and y have the same parity.
TColor Checker(int x, int y) { return ((x + y) & 1) == 0 ? clWhite : kFace; }

// --- the faces, from the platform's edge colours -----------------------------------
//
// Raised outer: light / dark shadow; raised inner: highlight / shadow;
// sunken outer: shadow / highlight; sunken inner: dark shadow / light. An
// edge of the left and top owns its whole column and row; one of the right
// and bottom owns its whole column and row, corners included.

TColor UpFacePixel(int x, int y, int w, int h) {
  if (x == w - 1 || y == h - 1) return kDarkShadow;
  if (x == w - 2 || y == h - 2) return (x == 0 || y == 0) ? kHighlight : kShadow;
  if (x == 0 || y == 0) return kHighlight;
  return kFace;
}

TColor PressedFacePixel(int x, int y, int w, int h) {
  if (x == w - 1 || y == h - 1) return kHighlight;
  if (x == 0 || y == 0) return kDarkShadow;
  if (x == 1 || y == 1) return kShadow;
  return kFace;
}

// The smallest rectangle around the black pixels of an area.
TRect InkBounds(const std::function<TColor(int, int)>& at, const TRect& area) {
  TRect r(area.Right, area.Bottom, area.Left, area.Top);
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) {
      if (at(x, y) != clBlack) continue;
      r.Left = std::min(r.Left, x);
      r.Top = std::min(r.Top, y);
      r.Right = std::max(r.Right, x + 1);
      r.Bottom = std::max(r.Bottom, y + 1);
    }
  }
  return r;
}

// Live GDI objects of this process: the platform's count where it keeps
// one; Wine answers 0, so there every handle index is probed instead.
int GdiObjectCount() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
  int count = 0;
  for (ULONG_PTR i = 1; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++count;
  return count;
}

// --- a form to put buttons on ------------------------------------------------------

class SpeedButtonTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 320, 200);
    form->HandleNeeded();
  }
  void TearDown() override {
    form->Free();
    Application->ProcessMessages();
  }

  TSpeedButton* NewButton(int left, int top, int width = 28, int height = 28) {
    auto* b = new TSpeedButton(form);
    b->SetParent(form);
    b->SetBounds(left, top, width, height);
    return b;
  }
  TSpeedButton* NewGlyphButton(int left, int top) {
    TSpeedButton* b = NewButton(left, top);
    LoadPicture(*b->Glyph(), 24, 24, FolderPixel);
    return b;
  }

  // The form's windowless children painted into a memory canvas, as the
  // form's paint handler paints them on the screen.
  struct TPicture {
    explicit TPicture(TForm* f) : canvas(f->ClientWidth(), f->ClientHeight()) {
      canvas.Clear(clFuchsia);
      f->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.Handle()));
    }
    TColor At(const TControl* c, int x, int y) const { return canvas.At(c->Left() + x, c->Top() + y); }
    TMemoryCanvas canvas;
  };

  // Every pixel of the button against the expected colour; the first few
  // differences are reported.
  void ExpectButton(const TControl* b, const std::function<TColor(int, int)>& expected,
                    const char* what) {
    TPicture p(form);
    int wrong = 0;
    for (int y = 0; y < b->Height(); ++y) {
      for (int x = 0; x < b->Width(); ++x) {
        TColor want = expected(x, y);
        TColor got = p.At(b, x, y);
        if (got != want && ++wrong <= 5)
          ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << std::hex << got
                        << ", expected " << want;
      }
    }
    EXPECT_EQ(wrong, 0) << what;
  }

  // Real mouse messages through the message loop, in form coordinates.
  void Mouse(UINT msg, const TControl* c, int x, int y) {
    WPARAM keys = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_MOUSEMOVE)
                      ? MK_LBUTTON : 0;
    PostMessageA(form->Handle(), msg, keys, MAKELPARAM(c->Left() + x, c->Top() + y));
    Application->ProcessMessages();
  }
  void ClickOn(const TControl* c) {
    Mouse(WM_LBUTTONDOWN, c, 5, 5);
    Mouse(WM_LBUTTONUP, c, 5, 5);
  }

  TForm* form = nullptr;
};

// Counts the events of a button.
struct TEventLog : TObject {
  int clicks = 0;
  int doubleClicks = 0;
  std::vector<TShiftState> presses;
  void Click(TObject*) { ++clicks; }
  void DoubleClick(TObject*) { ++doubleClicks; }
  void MouseDown(TObject*, TMouseButton, TShiftState shift, int, int) { presses.push_back(shift); }
  void Attach(TSpeedButton* b) {
    b->OnClick = TNotifyEvent(this, &TEventLog::Click);
    b->OnDblClick = TNotifyEvent(this, &TEventLog::DoubleClick);
    b->OnMouseDown = TMouseEvent(this, &TEventLog::MouseDown);
  }
};

}  // namespace

// --- properties -----------------------------------------------------------------------

TEST_F(SpeedButtonTest, NewButtonAndPropertyRules) {
  TSpeedButton b(nullptr);
  EXPECT_EQ(b.Width(), 25);
  EXPECT_EQ(b.Height(), 25);
  EXPECT_EQ(b.ControlStyle(), static_cast<uint32_t>(csCaptureMouse | csOpaque | csDoubleClicks));
  EXPECT_TRUE(b.ParentFont());
  EXPECT_EQ(b.NumGlyphs(), 1);
  EXPECT_EQ(b.Margin(), -1);
  EXPECT_EQ(b.Spacing(), 4);
  EXPECT_EQ(b.Layout(), blGlyphLeft);

  // Pictures of square images side by side count themselves; five or more do
  // not, and a picture that is no row of squares keeps the number.
  const struct { int w, h, images; } pictures[] = {
      {48, 24, 2}, {72, 24, 3}, {96, 24, 4}, {120, 24, 1}, {24, 48, 3}, {24, 24, 1}};
  for (const auto& p : pictures) {
    TBitmap pic;
    pic.SetSize(p.w, p.h);
    b.SetNumGlyphs(3);
    b.SetGlyph(&pic);
    EXPECT_EQ(b.NumGlyphs(), p.images) << p.w << " x " << p.h;
  }
  b.SetNumGlyphs(7);
  EXPECT_EQ(b.NumGlyphs(), 4);
  b.SetNumGlyphs(0);
  EXPECT_EQ(b.NumGlyphs(), 4);
  b.SetNumGlyphs(-2);
  EXPECT_EQ(b.NumGlyphs(), 4);

  b.SetMargin(-5);
  EXPECT_EQ(b.Margin(), -1);
  b.SetMargin(0);
  EXPECT_EQ(b.Margin(), 0);
  b.SetMargin(-1);
  EXPECT_EQ(b.Margin(), -1);
  b.SetSpacing(-1);
  EXPECT_EQ(b.Spacing(), -1);

  // Without a group a button never stays down; leaving its group releases it.
  b.SetDown(true);
  EXPECT_FALSE(b.Down());
  b.SetGroupIndex(3);
  b.SetDown(true);
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(b.State(), bsExclusive);
  b.SetDown(false);  // AllowAllUp is False
  EXPECT_TRUE(b.Down());
  b.SetGroupIndex(0);
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(b.State(), bsUp);
}

TEST_F(SpeedButtonTest, TransparentColourFollowsEveryChangeOfThePicture) {
  TSpeedButton* b = NewButton(0, 0);
  LoadPicture(*b->Glyph(), 24, 24, FolderPixel);
  EXPECT_EQ(b->GlyphHolder()->TransparentColor(), kBack);

  // Another picture assigned: its own lower-left pixel is taken.
  TBitmap other;
  LoadPicture(other, 24, 24, [](int x, int y) { return y == 23 && x == 0 ? kBlue : clWhite; });
  b->SetGlyph(&other);
  EXPECT_EQ(b->GlyphHolder()->TransparentColor(), kBlue);
  // The button holds a copy: the caller's picture may go.
  other.SetSize(0, 0);
  EXPECT_EQ(b->Glyph()->Width(), 24);
  b->SetGlyph(nullptr);
  EXPECT_TRUE(b->Glyph()->Empty());
}

TEST_F(SpeedButtonTest, ReadFromADescription) {
  std::string bmp = EightBitBmp(24, 24, FolderPixel);
  std::string data;
  for (int i = 0; i < 4; ++i) data += static_cast<char>(bmp.size() >> (8 * i));
  data += bmp;
  TDescriptionBuilder d;
  d.Signature().Record("TForm", "Form1").End();
  d.Record("TSpeedButton", "SpeedButton1")
      .Prop("Left").Int(240).Prop("Top").Int(64).Prop("Width").Int(28).Prop("Height").Int(28)
      .Prop("AllowAllUp").True().Prop("GroupIndex").Int(2).Prop("Down").True()
      .Prop("Glyph.Data").Binary(data)
      .Prop("Layout").Ident("blGlyphBottom").Prop("Margin").Int(3).Prop("Spacing").Int(-1)
      .End().End();
  d.End();
  auto stream = MakeStream(d.Bytes());
  form->ReadDescription(*stream);
  auto* b = Cast<TSpeedButton>(form->FindComponent("SpeedButton1"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->BoundsRect(), TRect(240, 64, 268, 92));
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_EQ(b->GroupIndex(), 2);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->Glyph()->Width(), 24);
  EXPECT_EQ(b->Glyph()->Pixel(3, 5), clBlack);
  EXPECT_EQ(b->Glyph()->Pixel(5, 5), kRed);
  EXPECT_EQ(b->GlyphHolder()->TransparentColor(), kBack);
  EXPECT_EQ(b->Layout(), blGlyphBottom);
  EXPECT_EQ(b->Margin(), 3);
  EXPECT_EQ(b->Spacing(), -1);
}

TEST_F(SpeedButtonTest, ChangesRepaintOnlyWhenSomethingChanged) {
  form->Show();
  TSpeedButton* b = NewButton(40, 30);
  Application->ProcessMessages();
  auto dirty = [&] {
    RECT r{};
    bool any = GetUpdateRect(form->Handle(), &r, FALSE);
    ValidateRect(form->Handle(), nullptr);
    return any && TRect(r) == b->BoundsRect();
  };
  dirty();
  b->SetLayout(blGlyphTop);
  EXPECT_TRUE(dirty());
  b->SetLayout(blGlyphTop);
  EXPECT_FALSE(dirty());
  b->SetSpacing(9);
  EXPECT_TRUE(dirty());
  b->SetMargin(-3);
  EXPECT_FALSE(dirty());
  b->SetMargin(2);
  EXPECT_TRUE(dirty());
  b->SetCaption("x");
  EXPECT_TRUE(dirty());
  b->Font()->SetHeight(-20);
  EXPECT_TRUE(dirty());
  b->SetNumGlyphs(2);
  EXPECT_TRUE(dirty());
  b->SetNumGlyphs(2);
  EXPECT_FALSE(dirty());
  LoadPicture(*b->Glyph(), 24, 24, FolderPixel);
  EXPECT_TRUE(dirty());
  b->SetEnabled(false);
  EXPECT_TRUE(dirty());
}

// --- painting ---------------------------------------------------------------------------

TEST_F(SpeedButtonTest, BothFacesWithoutAGlyph) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewButton(10, 8, 30, 22);
  ExpectButton(b, [](int x, int y) { return UpFacePixel(x, y, 30, 22); }, "up");

  Mouse(WM_LBUTTONDOWN, b, 4, 4);
  ASSERT_EQ(b->State(), bsDown);
  ExpectButton(b, [](int x, int y) { return PressedFacePixel(x, y, 30, 22); }, "down");
  Mouse(WM_LBUTTONUP, b, 4, 4);

  // Held down in a group: the pressed face, and the content rectangle
  // (2, 2)-(29, 21) less its last column and row is the checkerboard.
  b->SetGroupIndex(1);
  b->SetDown(true);
  ExpectButton(b, [](int x, int y) {
    if (x >= 2 && y >= 2 && x < 28 && y < 20) return Checker(x, y);
    return PressedFacePixel(x, y, 30, 22);
  }, "exclusive");
}

TEST_F(SpeedButtonTest, GlyphStandsAtTwoTwoAndAtThreeThreeWhilePressed) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewGlyphButton(240, 64);
  auto withGlyph = [](int gx, int gy, const std::function<TColor(int, int)>& face) {
    return [=](int x, int y) {
      int px = x - gx, py = y - gy;
      if (px < 0 || py < 0 || px >= 24 || py >= 24) return face(x, y);
      TColor c = FolderPixel(px, py);
      return c == kBack ? kFace : c;
    };
  };
  ExpectButton(b, withGlyph(2, 2, [](int x, int y) { return UpFacePixel(x, y, 28, 28); }), "up");

  Mouse(WM_LBUTTONDOWN, b, 10, 10);
  ExpectButton(b, withGlyph(3, 3, [](int x, int y) { return PressedFacePixel(x, y, 28, 28); }),
               "down");
  Mouse(WM_LBUTTONUP, b, 10, 10);
  EXPECT_EQ(b->State(), bsUp);
}

TEST_F(SpeedButtonTest, HeldDownGlyphIsTransparentOverTheCheckerboard) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewGlyphButton(240, 64);
  b->SetGroupIndex(1);
  b->SetDown(true);
  ExpectButton(b, [](int x, int y) {
    if (x >= 2 && y >= 2 && x < 26 && y < 26) {
      TColor c = FolderPixel(x - 2, y - 2);
      return c == kBack ? Checker(x, y) : c;
    }
    return PressedFacePixel(x, y, 28, 28);
  }, "exclusive");
}

TEST_F(SpeedButtonTest, ANewPictureIsWhatTheNextPaintShows) {
  // Both buttons have drawn the first picture, up and held down; each paint
  // after the change must show the new one in its place.
  TKnownSystemColors colours;
  TSpeedButton* up = NewGlyphButton(40, 64);
  TSpeedButton* held = NewGlyphButton(240, 64);
  held->SetGroupIndex(1);
  held->SetDown(true);
  TPicture before(form);
  ASSERT_EQ(before.At(up, 2 + 12, 2 + 12), kRed);
  ASSERT_EQ(before.At(held, 2 + 12, 2 + 12), kRed);

  LoadPicture(*up->Glyph(), 24, 24, GreyedPixel);
  LoadPicture(*held->Glyph(), 24, 24, GreyedPixel);
  ExpectButton(up, [](int x, int y) {
    if (x >= 2 && y >= 2 && x < 26 && y < 26) {
      TColor c = GreyedPixel(x - 2, y - 2);
      return c == kBack ? kFace : c;
    }
    return UpFacePixel(x, y, 28, 28);
  }, "up");
  ExpectButton(held, [](int x, int y) {
    if (x >= 2 && y >= 2 && x < 26 && y < 26) {
      TColor c = GreyedPixel(x - 2, y - 2);
      return c == kBack ? Checker(x, y) : c;
    }
    return PressedFacePixel(x, y, 28, 28);
  }, "held down");
}

TEST_F(SpeedButtonTest, DisabledGlyphIsEmbossedFromItsBlackPixels) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewGlyphButton(240, 64);
  b->SetEnabled(false);
  auto black = [](int x, int y) {
    return x >= 0 && y >= 0 && x < 24 && y < 24 && FolderPixel(x, y) == clBlack;
  };
  ExpectButton(b, [&](int x, int y) {
    int gx = x - 2, gy = y - 2;
    if (gx < 0 || gy < 0 || gx >= 24 || gy >= 24) return UpFacePixel(x, y, 28, 28);
    if (black(gx, gy)) return kShadow;
    if (black(gx - 1, gy - 1)) return kHighlight;
    return kFace;
  }, "disabled");
  EXPECT_EQ(b->State(), bsDisabled);

  // Enabled again, it shows the plain picture.
  b->SetEnabled(true);
  TPicture p(form);
  EXPECT_EQ(p.At(b, 2 + 10, 2 + 10), clWhite);
  EXPECT_EQ(p.At(b, 2 + 8, 2 + 8), kRed);
  EXPECT_EQ(b->State(), bsUp);
}

TEST_F(SpeedButtonTest, DisabledImageOfAPictureWithSeveralIsRecoloured) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewButton(240, 64);
  TBitmap two;
  LoadPicture(two, 48, 24, [](int x, int y) { return x < 24 ? FolderPixel(x, y) : GreyedPixel(x - 24, y); });
  b->SetGlyph(&two);
  ASSERT_EQ(b->NumGlyphs(), 2);
  b->SetEnabled(false);
  ExpectButton(b, [](int x, int y) {
    int gx = x - 2, gy = y - 2;
    if (gx < 0 || gy < 0 || gx >= 24 || gy >= 24) return UpFacePixel(x, y, 28, 28);
    TColor c = GreyedPixel(gx, gy);
    if (c == clWhite) return kHighlight;
    if (c == clGray) return kShadow;
    if (c == kBack) return kFace;
    return c;
  }, "disabled, second image");

  // Down with fewer than three images uses the first image, pressed.
  b->SetEnabled(true);
  Mouse(WM_LBUTTONDOWN, b, 10, 10);
  TPicture p(form);
  EXPECT_EQ(p.At(b, 3 + 10, 3 + 10), clWhite);
  EXPECT_EQ(p.At(b, 3 + 3, 3 + 3), clBlack);
  Mouse(WM_LBUTTONUP, b, 10, 10);
}

TEST_F(SpeedButtonTest, CaptionAndGlyphFollowLayoutMarginAndSpacing) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewButton(8, 8, 120, 60);
  TBitmap square;  // 10 x 10 in one colour on the transparent background
  LoadPicture(square, 12, 12, [](int x, int y) {
    return x >= 1 && y >= 1 && x <= 10 && y <= 10 ? kBlue : kBack;
  });
  b->SetGlyph(&square);
  b->SetCaption("Wq");
  b->Font()->SetColor(clBlack);
  TSize t;
  {
    TScreenCanvas sc;
    sc.SetFont(b->Font());
    t = sc.TextExtent("Wq");
  }
  // Where the platform puts the ink of the caption in a cell of its own.
  TMemoryCanvas cell(t.cx, t.cy);
  cell.Clear(clWhite);
  cell.SetFont(b->Font());
  cell.Brush()->SetStyle(bsClear);
  cell.TextOut(0, 0, "Wq");
  const TRect ink = InkBounds([&](int x, int y) { return cell.At(x, y); }, TRect(0, 0, t.cx, t.cy));
  ASSERT_FALSE(ink.IsEmpty());
  // Content: (1, 1)-(118, 58), 117 x 57.
  struct TCase {
    TButtonLayout layout;
    int margin, spacing;
    int glyphX, glyphY;  // the image's top-left corner in the button
    int textX, textY;    // the caption rectangle's
  };
  const int cw = 117, ch = 57;
  const TCase cases[] = {
      {blGlyphLeft, 5, 7, 1 + 5, 1 + (ch - 12 + 1) / 2, 1 + 5 + 12 + 7, 1 + (ch - t.cy + 1) / 2},
      {blGlyphRight, 5, 7, 1 + cw - 5 - 12, 1 + (ch - 12 + 1) / 2, 1 + cw - 5 - 12 - 7 - t.cx,
       1 + (ch - t.cy + 1) / 2},
      {blGlyphTop, 0, 3, 1 + (cw - 12 + 1) / 2, 1, 1 + (cw - t.cx + 1) / 2, 1 + 12 + 3},
      {blGlyphBottom, 2, 0, 1 + (cw - 12 + 1) / 2, 1 + ch - 2 - 12, 1 + (cw - t.cx + 1) / 2,
       1 + ch - 2 - 12 - t.cy},
      // Centred: the margin is half of what glyph, spacing and caption leave.
      {blGlyphLeft, -1, 4, 1 + (cw - (12 + 4 + t.cx) + 1) / 2, 1 + (ch - 12 + 1) / 2,
       1 + (cw - (12 + 4 + t.cx) + 1) / 2 + 12 + 4, 1 + (ch - t.cy + 1) / 2},
      // Both shared out: three equal gaps.
      {blGlyphLeft, -1, -1, 1 + (cw - 12 - t.cx) / 3, 1 + (ch - 12 + 1) / 2,
       1 + 2 * ((cw - 12 - t.cx) / 3) + 12, 1 + (ch - t.cy + 1) / 2},
      // Spacing shared out from a fixed margin.
      {blGlyphTop, 4, -1, 1 + (cw - 12 + 1) / 2, 1 + 4, 1 + (cw - t.cx + 1) / 2,
       1 + 4 + 12 + ((ch - (4 + 12)) - t.cy) / 2},
  };
  for (const TCase& c : cases) {
    b->SetLayout(c.layout);
    b->SetMargin(c.margin);
    b->SetSpacing(c.spacing);
    TPicture p(form);
    SCOPED_TRACE(testing::Message() << "layout " << c.layout << " margin " << c.margin
                                    << " spacing " << c.spacing);
    // The glyph: its blue square exactly, its background in the face colour.
    EXPECT_EQ(p.At(b, c.glyphX + 1, c.glyphY + 1), kBlue);
    EXPECT_EQ(p.At(b, c.glyphX + 10, c.glyphY + 10), kBlue);
    EXPECT_EQ(p.At(b, c.glyphX, c.glyphY), kFace);
    EXPECT_EQ(p.At(b, c.glyphX + 11, c.glyphY + 11), kFace);
    EXPECT_NE(p.At(b, c.glyphX + 11, c.glyphY + 10), kBlue);
    // The caption's ink is where the platform puts it in the caption's rectangle.
    TRect drawn = InkBounds([&](int x, int y) { return p.At(b, x, y); }, TRect(1, 1, 118, 58));
    TRect want = ink;
    want.Offset(c.textX, c.textY);
    EXPECT_EQ(drawn, want);
  }
}

TEST_F(SpeedButtonTest, DisabledCaptionIsWhiteUnderGray) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewButton(8, 8, 80, 30);
  b->SetCaption("Menu");
  b->Font()->SetColor(clBlack);
  b->SetEnabled(false);
  TPicture p(form);
  int gray = 0, black = 0, whiteBelow = 0;
  for (int y = 1; y < 28; ++y) {
    for (int x = 1; x < 78; ++x) {
      TColor c = p.At(b, x, y);
      if (c == clBlack) ++black;
      if (c != clGray) continue;
      ++gray;
      TColor below = p.At(b, x + 1, y + 1);
      if (below == clWhite || below == clGray) ++whiteBelow;
    }
  }
  EXPECT_GT(gray, 10);
  EXPECT_EQ(black, 0);
  // The white copy sits one pixel right and down: under the gray, only white or gray.
  EXPECT_EQ(whiteBelow, gray);
}

TEST_F(SpeedButtonTest, SystemColourChangeRemakesTheImages) {
  TKnownSystemColors colours;
  TSpeedButton* b = NewGlyphButton(240, 64);
  TSpeedButton* held = NewGlyphButton(200, 64);
  held->SetGroupIndex(1);
  held->SetDown(true);
  TPicture before(form);
  ASSERT_EQ(before.At(b, 2, 2), kFace);  // the transparent corner of the glyph
  ASSERT_EQ(before.At(held, 3, 2), kFace);

  constexpr TColor kNewFace = RGBColor(150, 170, 190);
  INT element = COLOR_BTNFACE;
  COLORREF face = kNewFace;
  SetSysColors(1, &element, &face);
  form->Perform(WM_SYSCOLORCHANGE);
  TPicture after(form);
  EXPECT_EQ(after.At(b, 2, 2), kNewFace);
  EXPECT_EQ(after.At(b, 1, 14), kNewFace);  // the face beside the glyph
  EXPECT_EQ(after.At(held, 3, 2), kNewFace);  // the checkerboard too
  EXPECT_EQ(after.At(held, 2, 2), clWhite);
}

TEST_F(SpeedButtonTest, ImageListsAreSharedBySizeAndGoWithTheLastUser) {
  const int before = TButtonGlyph::SharedListCount();
  TSpeedButton* a = NewGlyphButton(0, 0);
  TSpeedButton* b = NewGlyphButton(40, 0);
  TSpeedButton* small = NewButton(80, 0);
  LoadPicture(*small->Glyph(), 16, 16, [](int x, int y) { return y == 15 ? kBack : kRed; });
  b->SetGroupIndex(1);
  b->SetDown(true);
  { TPicture p(form); }
  ASSERT_NE(a->GlyphHolder()->ImageList(), nullptr);
  EXPECT_EQ(a->GlyphHolder()->ImageList(), b->GlyphHolder()->ImageList());
  EXPECT_NE(small->GlyphHolder()->ImageList(), a->GlyphHolder()->ImageList());
  EXPECT_EQ(TButtonGlyph::SharedListCount(), before + 2);
  EXPECT_EQ(ImageList_GetImageCount(a->GlyphHolder()->ImageList()), 2);  // up, exclusive

  // A glyph that drops its images leaves the others' images where they are.
  b->SetAllowAllUp(true);
  b->SetDown(false);
  a->SetGroupIndex(2);
  a->SetDown(true);
  { TPicture p(form); }  // a's held-down image after b's first two
  b->SetGlyph(nullptr);
  TPicture p(form);
  EXPECT_EQ(p.At(a, 2 + 3, 2 + 3), clBlack);
  EXPECT_EQ(p.At(a, 2 + 10, 2 + 10), clWhite);
  EXPECT_EQ(p.At(a, 2 + 8, 2 + 8), kRed);
  EXPECT_EQ(p.At(a, 2, 2), clWhite);  // the checkerboard through the transparent corner

  delete a;
  EXPECT_EQ(TButtonGlyph::SharedListCount(), before + 1);
  delete small;
  EXPECT_EQ(TButtonGlyph::SharedListCount(), before);
}

TEST_F(SpeedButtonTest, ImagesAndPatternsLeakNoGdiObjects) {
  TSpeedButton* b = NewGlyphButton(0, 0);
  b->SetCaption("&Go");
  TBitmap pictures[2];
  LoadPicture(pictures[0], 24, 24, FolderPixel);
  LoadPicture(pictures[1], 48, 24, [](int x, int y) {
    return x < 24 ? FolderPixel(x, y) : GreyedPixel(x - 24, y);
  });
  auto cycle = [&](int i) {
    b->SetGlyph(&pictures[i % 2]);
    b->SetEnabled(i % 3 != 0);
    b->SetGroupIndex(i % 4 == 0 ? 0 : 1);
    b->SetAllowAllUp(true);
    b->SetDown(i % 2 == 0);
    TPicture p(form);
    form->Perform(WM_SYSCOLORCHANGE);
  };
  for (int i = 0; i < 20; ++i) cycle(i);  // everything made once
  const int before = GdiObjectCount();
  for (int i = 0; i < 300; ++i) cycle(i);
  EXPECT_LE(GdiObjectCount(), before + 2);
}

// --- interaction --------------------------------------------------------------------------

TEST_F(SpeedButtonTest, ClickFiresAtAReleaseInsideOnly) {
  TSpeedButton* b = NewButton(20, 20);
  TEventLog log;
  log.Attach(b);

  Mouse(WM_LBUTTONDOWN, b, 5, 5);
  EXPECT_EQ(b->State(), bsDown);
  EXPECT_EQ(log.clicks, 0);
  Mouse(WM_MOUSEMOVE, b, 27, 27);
  EXPECT_EQ(b->State(), bsDown);
  Mouse(WM_LBUTTONUP, b, 27, 27);
  EXPECT_EQ(log.clicks, 1);
  EXPECT_EQ(b->State(), bsUp);

  // Dragged out the face comes up, back in it goes down again.
  Mouse(WM_LBUTTONDOWN, b, 5, 5);
  Mouse(WM_MOUSEMOVE, b, 28, 5);
  EXPECT_EQ(b->State(), bsUp);
  Mouse(WM_MOUSEMOVE, b, -1, 5);
  EXPECT_EQ(b->State(), bsUp);
  Mouse(WM_MOUSEMOVE, b, 0, 0);
  EXPECT_EQ(b->State(), bsDown);
  Mouse(WM_MOUSEMOVE, b, 10, 40);
  Mouse(WM_LBUTTONUP, b, 10, 40);
  EXPECT_EQ(log.clicks, 1);  // released outside: no click
  EXPECT_EQ(b->State(), bsUp);

  // Out and back in before the release: a click.
  Mouse(WM_LBUTTONDOWN, b, 5, 5);
  Mouse(WM_MOUSEMOVE, b, 50, 50);
  Mouse(WM_MOUSEMOVE, b, 6, 6);
  Mouse(WM_LBUTTONUP, b, 6, 6);
  EXPECT_EQ(log.clicks, 2);

  // A disabled button takes no press, and one disabled while it is pressed
  // does not click at the release; a right button does not click.
  b->SetEnabled(false);
  ClickOn(b);
  b->SetEnabled(true);
  Mouse(WM_LBUTTONDOWN, b, 5, 5);
  b->SetEnabled(false);
  Mouse(WM_LBUTTONUP, b, 5, 5);
  b->SetEnabled(true);
  Mouse(WM_RBUTTONDOWN, b, 5, 5);
  Mouse(WM_RBUTTONUP, b, 5, 5);
  EXPECT_EQ(log.clicks, 2);
  EXPECT_EQ(b->State(), bsUp);
}

TEST_F(SpeedButtonTest, DoubleClickEventOnlyWhileDown) {
  TSpeedButton* plain = NewButton(20, 20);
  TSpeedButton* grouped = NewButton(60, 20);
  grouped->SetGroupIndex(4);
  TEventLog p, g;
  p.Attach(plain);
  g.Attach(grouped);
  for (TSpeedButton* b : {plain, grouped}) {
    Mouse(WM_LBUTTONDOWN, b, 5, 5);
    Mouse(WM_LBUTTONUP, b, 5, 5);
    Mouse(WM_LBUTTONDBLCLK, b, 5, 5);
    Mouse(WM_LBUTTONUP, b, 5, 5);
  }
  EXPECT_EQ(p.clicks, 2);
  EXPECT_EQ(p.doubleClicks, 0);
  ASSERT_EQ(p.presses.size(), 2u);
  EXPECT_TRUE(p.presses[1] & ssDouble);

  EXPECT_EQ(g.clicks, 2);
  EXPECT_EQ(g.doubleClicks, 1);
  EXPECT_TRUE(grouped->Down());  // the second click cannot release it
  EXPECT_EQ(grouped->State(), bsExclusive);
}

TEST_F(SpeedButtonTest, GroupsKeepOneButtonDown) {
  TSpeedButton* a = NewButton(0, 0);
  TSpeedButton* b = NewButton(30, 0);
  TSpeedButton* c = NewButton(60, 0);
  TSpeedButton* other = NewButton(90, 0);  // another group
  for (TSpeedButton* x : {a, b, c}) x->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  // A button of the same group on another parent is not a member.
  auto* panel = new TForm(nullptr);
  auto* elsewhere = new TSpeedButton(panel);
  elsewhere->SetParent(panel);
  elsewhere->SetGroupIndex(1);
  elsewhere->SetDown(true);

  TEventLog log;
  log.Attach(b);
  ClickOn(a);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), bsExclusive);
  ClickOn(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), bsUp);
  EXPECT_EQ(log.clicks, 1);

  // Clicked again without AllowAllUp, it stays down and is drawn so.
  ClickOn(b);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->State(), bsExclusive);
  EXPECT_EQ(log.clicks, 2);
  // Pressed and released outside: still down.
  Mouse(WM_LBUTTONDOWN, b, 5, 5);
  Mouse(WM_MOUSEMOVE, b, 5, 40);
  EXPECT_EQ(b->State(), bsExclusive);
  Mouse(WM_LBUTTONUP, b, 5, 40);
  EXPECT_EQ(b->State(), bsExclusive);

  // AllowAllUp set on one member reaches the whole group.
  c->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_FALSE(other->AllowAllUp());
  ClickOn(b);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->State(), bsUp);
  EXPECT_FALSE(a->Down() || c->Down());
  EXPECT_EQ(log.clicks, 3);

  // Down set by the program works the same way.
  a->SetDown(true);
  c->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(c->Down());

  EXPECT_TRUE(other->Down());
  EXPECT_TRUE(elsewhere->Down());
  panel->Free();
}

TEST_F(SpeedButtonTest, AcceleratorClicksAnEnabledVisibleButton) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(100, 100, 80, 21);
  TSpeedButton* b = NewButton(20, 20, 60, 24);
  b->SetCaption("&Go");
  TEventLog log;
  log.Attach(b);
  auto altKey = [&](char ch) {
    PostMessageA(edit->Handle(), WM_SYSCHAR, static_cast<WPARAM>(ch), 0x20000001);
    Application->ProcessMessages();
  };
  altKey('x');
  EXPECT_EQ(log.clicks, 0);
  altKey('g');
  EXPECT_EQ(log.clicks, 1);
  altKey('G');
  EXPECT_EQ(log.clicks, 2);
  EXPECT_FALSE(b->Down());

  b->SetEnabled(false);
  altKey('g');
  b->SetEnabled(true);
  b->Hide();
  altKey('g');
  EXPECT_EQ(log.clicks, 2);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'g'), 0);
  b->Show();
  EXPECT_NE(form->Perform(CM_DIALOGCHAR, 'g'), 0);
  EXPECT_EQ(log.clicks, 3);
}
