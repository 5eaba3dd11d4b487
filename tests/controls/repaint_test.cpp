// Repaints that reuse earlier work or draw only part of a control: a cute
// button's kept faces must follow every change of what they were painted
// from, and a gradient box painted through a small clip must give exactly
// the pixels of a whole paint there and nothing elsewhere.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cute_button.h"
#include "forms.h"
#include "grad_box.h"

using namespace orlo;

namespace {

// The first pixel where two paintings differ, or "" when none does.
std::string FirstDifference(const TMemoryCanvas& got, const TMemoryCanvas& want) {
  for (int y = 0; y < want.Height(); ++y)
    for (int x = 0; x < want.Width(); ++x)
      if (got.At(x, y) != want.At(x, y))
        return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return "";
}

std::unique_ptr<TMemoryCanvas> PaintButton(TCuteButton& b) {
  auto c = std::make_unique<TMemoryCanvas>(b.ClientWidth(), b.ClientHeight());
  c->Clear(clLime);
  b.Perform(WM_PAINT, reinterpret_cast<WPARAM>(c->Handle()));
  return c;
}

}  // namespace

TEST(CuteButtonRepaint, EveryChangeOfWhatAFaceIsPaintedFromShowsAtTheNextPaint) {
  // Each step changes one thing a face depends on; the system colours come
  // last and are put back afterwards.
  const INT element = COLOR_BTNHIGHLIGHT;
  const COLORREF savedHighlight = GetSysColor(element);
  const std::vector<std::pair<const char*, std::function<void(TCuteButton&)>>> changes = {
      {"caption", [](TCuteButton& b) { b.SetCaption("CLOSE"); }},
      {"font colour", [](TCuteButton& b) { b.Font()->SetColor(clRed); }},
      {"font height", [](TCuteButton& b) { b.Font()->SetHeight(-12); }},
      {"font style", [](TCuteButton& b) { b.Font()->SetStyle(TFontStyles{fsItalic}); }},
      {"font name", [](TCuteButton& b) { b.Font()->SetName("Courier New"); }},
      {"colour", [](TCuteButton& b) { b.SetColor(0xC0F0C0); }},
      {"bevel width", [](TCuteButton& b) { b.SetBevelWidth(2); }},
      {"highlight", [](TCuteButton& b) { b.SetBevelHighlightColor(clYellow); }},
      {"shadow", [](TCuteButton& b) { b.SetBevelShadowColor(clGreen); }},
      {"flat", [](TCuteButton& b) { b.SetFlat(false); }},
      {"inner bevel", [](TCuteButton& b) { b.SetInnerBevel(bvLowered); }},
      {"alignment", [](TCuteButton& b) { b.SetAlignment(taLeftJustify); }},
      {"margin x", [](TCuteButton& b) { b.SetMarginX(4); }},
      {"layout", [](TCuteButton& b) { b.SetLayout(tlTop); }},
      {"margin y", [](TCuteButton& b) { b.SetMarginY(3); }},
      {"size", [](TCuteButton& b) { b.SetBounds(20, 20, 70, 30); }},
      {"disabled", [](TCuteButton& b) { b.SetEnabled(false); }},
      {"disabled colour in use", [](TCuteButton& b) { b.SetUseDisabledColor(true); }},
      {"disabled colour", [](TCuteButton& b) { b.SetDisabledColor(clAqua); }},
      {"inner bevel in system colours",
       [](TCuteButton& b) { b.SetBevelHighlightColor(clBtnHighlight); }},
      {"system colour",
       [&](TCuteButton&) {
         const COLORREF pink = RGB(250, 120, 200);
         SetSysColors(1, &element, &pink);
         SystemColorsChanged();
       }},
  };

  TForm form(nullptr);
  form.SetBounds(60, 60, 260, 140);
  auto setUp = [&form](TCuteButton& b) {
    b.SetParent(&form);
    b.SetBounds(20, 20, 89, 25);
    b.Font()->SetName("Arial");
    b.Font()->SetHeight(-16);
    b.Font()->SetCharset(ANSI_CHARSET);
    b.Font()->SetStyle(TFontStyles{fsBold});
    b.Font()->SetColor(clBlack);
    b.SetCaption("OK");
    b.SetColor(0xF0C0C0);
    b.SetBevelWidth(3);
    b.SetBevelHighlightColor(clRed);
    b.SetBevelShadowColor(clBlue);
    b.SetFlat(true);
  };
  auto* kept = new TCuteButton(&form);
  setUp(*kept);
  const TPanelBevel states[] = {bvNone, bvRaised, bvLowered};
  for (size_t step = 0; step < changes.size(); ++step) {
    SCOPED_TRACE(changes[step].first);
    for (TPanelBevel s : states) {  // every state's face is kept before the change
      kept->SetOuterBevel(s);
      PaintButton(*kept);
    }
    changes[step].second(*kept);
    // A button that never painted before, with every change so far.
    auto* fresh = new TCuteButton(&form);
    setUp(*fresh);
    for (size_t i = 0; i <= step; ++i) changes[i].second(*fresh);
    for (TPanelBevel s : states) {
      kept->SetOuterBevel(s);
      fresh->SetOuterBevel(s);
      EXPECT_EQ(FirstDifference(*PaintButton(*kept), *PaintButton(*fresh)), "")
          << "outer bevel " << static_cast<int>(s);
    }
    fresh->Free();
  }
  SetSysColors(1, &element, &savedHighlight);
  SystemColorsChanged();
}

TEST(GradBoxRepaint, BandsPaintedThroughASmallClipAreThoseOfAWholePaint) {
  // 510 high: three-line fills that overlap, so each line's colour is the
  // later of two fills; the clip starts and ends inside fills.
  struct Case {
    TGradStyle style;
    int width, height;
    RECT clip;  // in the box's coordinates
  };
  const Case cases[] = {
      {gsTopBottom, 120, 510, {17, 101, 93, 208}},
      {gsBottomTop, 120, 57, {0, 13, 120, 14}},
      {gsLeftRight, 510, 90, {250, 5, 333, 77}},
      {gsRightLeft, 377, 57, {1, 0, 2, 57}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE("style " + std::to_string(k.style));
    TGradBox box(nullptr);
    box.SetBounds(0, 0, k.width, k.height);
    box.SetTopColor(clBlue);
    box.SetLastColor(clWhite);
    box.SetGradStyle(k.style);
    box.SetCaption("ORLO COPY&&MOVE");
    TMemoryCanvas whole(k.width, k.height);
    whole.Clear(clLime);
    box.PaintOn(whole.Handle());

    // Painted the way a parent paints it: moved to its place and clipped.
    const int left = 7, top = 5;
    TMemoryCanvas part(k.width + 20, k.height + 20);
    part.Clear(clLime);
    HDC dc = part.Handle();
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, left, top, nullptr);
    IntersectClipRect(dc, k.clip.left, k.clip.top, k.clip.right, k.clip.bottom);
    box.PaintOn(dc);
    RestoreDC(dc, saved);

    int wrong = 0, outside = 0;
    for (int y = 0; y < part.Height(); ++y)
      for (int x = 0; x < part.Width(); ++x) {
        const int bx = x - left, by = y - top;
        const bool inClip = bx >= k.clip.left && bx < k.clip.right && by >= k.clip.top &&
                            by < k.clip.bottom;
        if (!inClip)
          outside += part.At(x, y) != clLime;
        else
          wrong += part.At(x, y) != whole.At(bx, by);
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(outside, 0);
  }
}
