// The cute button's pixels, checked against a picture made here: the face
// filled, the rings set pixel by pixel, the caption drawn by the platform's
// own text drawing straight onto a bitmap with the rectangle and flags the
// button is meant to use.
#include <gtest/gtest.h>

#include <memory>

#include "application.h"
#include "bevel_model.h"
#include "cute_button.h"
#include "forms.h"
#include "gui_helpers.h"
#include "pixel_helpers.h"

using namespace orlo;
using orlo::testing_support::FirstDifference;
using orlo::testing_support::PumpUntil;
using orlo::testing_support::TPixelModel;

namespace {

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

const TColor kFace = 0xF0C0C0;  // the main window's buttons
const TColor kLight = clRed;
const TColor kDark = clBlue;

// The caption as the platform draws it on a face: "Arial" 16 pixels bold,
// like the dialog's buttons, in a colour, with the given format.
void DrawCaptionOnto(TPixelModel& m, const std::string& text, TRect r, UINT format, TColor color) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = m.Width();
  bi.bmiHeader.biHeight = -m.Height();
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  auto* px = static_cast<uint32_t*>(bits);
  auto toDib = [](TColor c) {
    uint32_t v = static_cast<uint32_t>(c);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  };
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) px[y * m.Width() + x] = toDib(m.At(x, y));
  LOGFONTA lf{};
  lf.lfHeight = -16;
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = ANSI_CHARSET;
  lstrcpyA(lf.lfFaceName, "Arial");
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(color));
  RECT rc = r;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
  GdiFlush();
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) {
      uint32_t v = px[y * m.Width() + x];
      m.Set(x, y, static_cast<TColor>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF)));
    }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

// Inverted pixels between two paintings and the box around them.
struct Inversions {
  int count = 0;
  int foreign = 0;  // pixels that changed to anything but the inverse
  TRect box{1000, 1000, -1, -1};
};
Inversions Compare(const TMemoryCanvas& plain, const TMemoryCanvas& marked) {
  Inversions d;
  for (int y = 0; y < plain.Height(); ++y)
    for (int x = 0; x < plain.Width(); ++x) {
      TColor a = plain.At(x, y), b = marked.At(x, y);
      if (a == b) continue;
      if (b != (a ^ 0xFFFFFF)) ++d.foreign;
      ++d.count;
      d.box = TRect(std::min(d.box.Left, x), std::min(d.box.Top, y), std::max(d.box.Right, x + 1),
                    std::max(d.box.Bottom, y + 1));
    }
  return d;
}

class CuteButtonPaintTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(60, 60, 260, 140);
    button = new TCuteButton(form);
    button->SetParent(form);
    button->SetBounds(20, 20, 89, 25);
    button->Font()->SetName("Arial");
    button->Font()->SetHeight(-16);
    button->Font()->SetCharset(ANSI_CHARSET);
    button->Font()->SetStyle(TFontStyles{fsBold});
    button->Font()->SetColor(clBlack);
  }
  void TearDown() override { form->Free(); }

  // The main window's look: flat, 3-pixel red bevels on a light face.
  void MainWindowLook() {
    button->SetColor(kFace);
    button->SetBevelWidth(3);
    button->SetBevelHighlightColor(kLight);
    button->SetBevelShadowColor(kDark);
    button->SetFlat(true);
  }
  std::unique_ptr<TMemoryCanvas> Painted() {
    auto c = std::make_unique<TMemoryCanvas>(button->ClientWidth(), button->ClientHeight());
    c->Clear(clLime);  // an unpainted pixel shows up lime
    button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c->Handle()));
    return c;
  }
  void ShowFocused() {
    form->Show();
    button->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return button->Focused(); }));
  }
  // The text rectangle, read off the focus rectangle drawn 2 pixels inside it.
  TRect TextRect() {
    button->SetShowFocusRect(false);
    auto plain = Painted();
    button->SetShowFocusRect(true);
    auto marked = Painted();
    button->SetShowFocusRect(false);
    Inversions d = Compare(*plain, *marked);
    EXPECT_EQ(d.foreign, 0);
    TRect t = d.box;
    t.Inflate(2, 2);
    return t;
  }

  TForm* form = nullptr;
  TCuteButton* button = nullptr;
};

}  // namespace

TEST_F(CuteButtonPaintTest, FlatWorkedExampleAtRestHotAndPressed) {
  MainWindowLook();
  button->SetCaption("OK");
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

  {  // at rest: the face and the caption in (3, 3, 86, 22), no frame
    SCOPED_TRACE("rest");
    TPixelModel m(89, 25, kFace);
    DrawCaptionOnto(m, "OK", TRect(3, 3, 86, 22), format, clBlack);
    EXPECT_EQ(FirstDifference(*Painted(), m), "");
  }
  {  // hot: three raised rings from the edge inwards, caption unmoved
    SCOPED_TRACE("hot");
    button->SetOuterBevel(bvRaised);
    TPixelModel m(89, 25, kFace);
    m.Frame(TRect(0, 0, 89, 25), kLight, kDark, 3);
    DrawCaptionOnto(m, "OK", TRect(3, 3, 86, 22), format, clBlack);
    const auto painted = Painted();
    EXPECT_EQ(FirstDifference(*painted, m), "");
    // The corners of the rings as painted: each ring's lit side runs down
    // its left edge to one pixel above its own bottom row.
    EXPECT_EQ(painted->At(0, 0), kLight);
    EXPECT_EQ(painted->At(88, 24), kDark);
    EXPECT_EQ(painted->At(2, 21), kLight);
    EXPECT_EQ(painted->At(2, 22), kDark);
    EXPECT_EQ(painted->At(3, 3), kFace);
  }
  {  // pressed: the rings in swapped colours, the caption's box from (5, 5)
    SCOPED_TRACE("pressed");
    button->SetOuterBevel(bvLowered);
    TPixelModel m(89, 25, kFace);
    m.Frame(TRect(0, 0, 89, 25), kDark, kLight, 3);
    DrawCaptionOnto(m, "OK", TRect(5, 5, 86, 22), format, clBlack);
    EXPECT_EQ(FirstDifference(*Painted(), m), "");
  }
}

TEST_F(CuteButtonPaintTest, TextSetOnTheWindowIsPainted) {
  MainWindowLook();
  button->SetCaption("OK");
  form->HandleNeeded();
  SendMessageA(button->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("CLOSE"));
  EXPECT_EQ(button->Caption(), "CLOSE");
  TPixelModel m(89, 25, kFace);
  DrawCaptionOnto(m, "CLOSE", TRect(3, 3, 86, 22), DT_CENTER | DT_VCENTER | DT_SINGLELINE, clBlack);
  EXPECT_EQ(FirstDifference(*Painted(), m), "");
  // And kept when the window is made again.
  button->SetBorderStyle(bsSingle);
  EXPECT_EQ(button->Caption(), "CLOSE");
}

TEST_F(CuteButtonPaintTest, DefaultButtonShowsOneRaisedRingInSystemColours) {
  TCuteButton plain(nullptr);
  plain.SetCaption("");
  auto c = std::make_unique<TMemoryCanvas>(75, 25);
  c->Clear(clLime);
  plain.Perform(WM_PAINT, reinterpret_cast<WPARAM>(c->Handle()));
  TPixelModel m(75, 25, Sys(COLOR_BTNFACE));
  m.Frame(TRect(0, 0, 75, 25), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), 1);
  EXPECT_EQ(FirstDifference(*c, m), "");
  // One ring: the painted face starts one pixel in on every side.
  EXPECT_EQ(c->At(0, 23), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c->At(74, 1), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(c->At(1, 1), Sys(COLOR_BTNFACE));
  EXPECT_EQ(c->At(73, 23), Sys(COLOR_BTNFACE));

  // Hot: a second raised ring inside the first; pressed: the outer one lowered.
  plain.SetOuterBevel(bvRaised);
  c->Clear(clLime);
  plain.Perform(WM_PAINT, reinterpret_cast<WPARAM>(c->Handle()));
  TPixelModel hot(75, 25, Sys(COLOR_BTNFACE));
  hot.Frame(hot.Frame(TRect(0, 0, 75, 25), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), 1),
            Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), 1);
  EXPECT_EQ(FirstDifference(*c, hot), "");

  plain.SetOuterBevel(bvLowered);
  c->Clear(clLime);
  plain.Perform(WM_PAINT, reinterpret_cast<WPARAM>(c->Handle()));
  TPixelModel pressed(75, 25, Sys(COLOR_BTNFACE));
  pressed.Frame(pressed.Frame(TRect(0, 0, 75, 25), Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT), 1),
                Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), 1);
  EXPECT_EQ(FirstDifference(*c, pressed), "");
}

TEST_F(CuteButtonPaintTest, NonFlatRestLookWithCaptionInItsTextRectangle) {
  button->SetBounds(20, 20, 75, 25);
  button->SetColor(kFace);
  button->SetCaption("&YES");
  TPixelModel m(75, 25, kFace);
  m.Frame(TRect(0, 0, 75, 25), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), 1);
  // The platform underlines the Y and drops the "&".
  DrawCaptionOnto(m, "&YES", TRect(2, 2, 73, 23), DT_CENTER | DT_VCENTER | DT_SINGLELINE, clBlack);
  EXPECT_EQ(FirstDifference(*Painted(), m), "");
}

TEST_F(CuteButtonPaintTest, DisabledCaptionIsEmbossedWhateverTheFontColour) {
  MainWindowLook();
  button->SetCaption("CLOSE");
  button->Font()->SetColor(clRed);
  button->SetEnabled(false);
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  TPixelModel m(89, 25, kFace);
  DrawCaptionOnto(m, "CLOSE", TRect(4, 4, 87, 23), format, Sys(COLOR_BTNHIGHLIGHT));
  DrawCaptionOnto(m, "CLOSE", TRect(3, 3, 86, 22), format, Sys(COLOR_BTNSHADOW));
  auto c = Painted();
  EXPECT_EQ(FirstDifference(*c, m), "");
  EXPECT_EQ(orlo::testing_support::CountColor(*c, TRect(0, 0, 89, 25), clRed), 0);

  // The disabled colour fills the face only when asked for, and only while
  // disabled; the caption stays embossed either way.
  button->SetDisabledColor(clYellow);
  EXPECT_EQ(FirstDifference(*Painted(), m), "");
  button->SetUseDisabledColor(true);
  TPixelModel filled(89, 25, clYellow);
  DrawCaptionOnto(filled, "CLOSE", TRect(4, 4, 87, 23), format, Sys(COLOR_BTNHIGHLIGHT));
  DrawCaptionOnto(filled, "CLOSE", TRect(3, 3, 86, 22), format, Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(FirstDifference(*Painted(), filled), "");

  button->SetEnabled(true);
  TPixelModel enabled(89, 25, kFace);
  DrawCaptionOnto(enabled, "CLOSE", TRect(3, 3, 86, 22), format, clRed);
  EXPECT_EQ(FirstDifference(*Painted(), enabled), "");
}

TEST_F(CuteButtonPaintTest, TextRectangleFollowsMarginsAndPressOnlyOnTheirOwnSides) {
  MainWindowLook();
  button->SetCaption("");
  ShowFocused();
  // The worked example's rectangles.
  button->SetOuterBevel(bvNone);
  EXPECT_EQ(TextRect(), TRect(3, 3, 86, 22));
  button->SetOuterBevel(bvRaised);
  EXPECT_EQ(TextRect(), TRect(3, 3, 86, 22));
  button->SetOuterBevel(bvLowered);
  EXPECT_EQ(TextRect(), TRect(5, 5, 86, 22));

  // Margins act on the side the caption is placed on, and not at all when
  // it is centred; 0 is the same as none.
  button->SetOuterBevel(bvNone);
  button->SetMarginX(5);
  button->SetMarginY(4);
  EXPECT_EQ(TextRect(), TRect(3, 3, 86, 22));
  button->SetAlignment(taLeftJustify);
  button->SetLayout(tlTop);
  EXPECT_EQ(TextRect(), TRect(8, 7, 86, 22));
  button->SetAlignment(taRightJustify);
  button->SetLayout(tlBottom);
  EXPECT_EQ(TextRect(), TRect(3, 3, 81, 18));
  button->SetOuterBevel(bvLowered);
  EXPECT_EQ(TextRect(), TRect(5, 5, 81, 18));
  button->SetMarginX(0);
  button->SetMarginY(0);
  EXPECT_EQ(TextRect(), TRect(5, 5, 86, 22));

  // Not flat: twice the bevel width from every edge.
  button->SetFlat(false);
  button->SetOuterBevel(bvNone);
  EXPECT_EQ(TextRect(), TRect(6, 6, 83, 19));
  // No bevel width: the whole client area, and no frame in any state.
  button->SetBevelWidth(0);
  EXPECT_EQ(TextRect(), TRect(0, 0, 89, 25));
  for (TPanelBevel face : {bvNone, bvRaised, bvLowered}) {
    button->SetOuterBevel(face);
    auto c = Painted();
    EXPECT_EQ(orlo::testing_support::CountColor(*c, TRect(0, 0, 89, 25), kFace), 89 * 25);
  }
}

TEST_F(CuteButtonPaintTest, PressedCaptionMovesByTheShiftOfItsPlacedEdges) {
  MainWindowLook();
  button->SetCaption("I");
  struct Case {
    TAlignment alignment;
    TTextLayout layout;
    int dx, dy;
  };
  for (Case k : {Case{taCenter, tlCenter, 1, 1}, Case{taLeftJustify, tlTop, 2, 2},
                 Case{taRightJustify, tlBottom, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << int(k.alignment) << "/" << int(k.layout));
    button->SetAlignment(k.alignment);
    button->SetLayout(k.layout);
    auto ink = [&](TPanelBevel face) {
      button->SetOuterBevel(face);
      auto c = Painted();
      TRect box(1000, 1000, -1, -1);
      for (int y = 3; y < 22; ++y)  // inside the rings
        for (int x = 3; x < 86; ++x)
          if (c->At(x, y) == clBlack)
            box = TRect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                        std::max(box.Bottom, y + 1));
      return box;
    };
    TRect rest = ink(bvNone), pressed = ink(bvLowered);
    ASSERT_GT(rest.Right, 0) << "the caption left no ink";
    rest.Offset(k.dx, k.dy);
    EXPECT_EQ(pressed, rest);
  }
}

TEST_F(CuteButtonPaintTest, FocusRectangleOnlyWhileFocusedAndAsked) {
  MainWindowLook();
  button->SetCaption("OK");
  auto plain = Painted();
  button->SetShowFocusRect(true);
  EXPECT_EQ(Compare(*plain, *Painted()).count, 0) << "no focus, no rectangle";

  ShowFocused();
  button->SetShowFocusRect(false);
  plain = Painted();
  button->SetShowFocusRect(true);
  Inversions d = Compare(*plain, *Painted());
  EXPECT_EQ(d.foreign, 0);
  EXPECT_EQ(d.box, TRect(5, 5, 84, 20));
  // Dotted: on the frame only, about every other pixel of it.
  int frame = 2 * (84 - 5) + 2 * (20 - 5) - 4;
  EXPECT_GT(d.count, frame / 3);
  EXPECT_LT(d.count, frame);
}

TEST_F(CuteButtonPaintTest, BorderedButtonPaintsItsSmallerClientArea) {
  button->SetBounds(20, 20, 75, 25);
  button->SetColor(kFace);
  button->SetCaption("");
  button->SetBorderStyle(bsSingle);
  form->HandleNeeded();
  ASSERT_EQ(button->ClientRect(), TRect(0, 0, 73, 23));
  TPixelModel m(73, 23, kFace);
  m.Frame(TRect(0, 0, 73, 23), Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), 1);
  EXPECT_EQ(FirstDifference(*Painted(), m), "");
}

TEST_F(CuteButtonPaintTest, HugeBevelWidthPaintsCrossedRingsAndReturns) {
  button->SetBounds(20, 20, 30, 12);
  button->SetColor(kFace);
  button->SetBevelHighlightColor(kLight);
  button->SetBevelShadowColor(kDark);
  button->SetCaption("X");
  button->SetBevelWidth(2147483647);
  // Not flat at rest: only the inner ring set, which covers the whole face;
  // the text rectangle is turned inside out and shows nothing.
  TPixelModel m(30, 12, kFace);
  m.Frame(TRect(0, 0, 30, 12), kLight, kDark, 2147483647);
  EXPECT_EQ(FirstDifference(*Painted(), m), "");
}
