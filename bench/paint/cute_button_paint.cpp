// How long the cute button takes to repaint itself, beside the least any
// bevelled button face costs on the same window: one bare DrawEdge into a
// memory bitmap and one BitBlt of it onto the window.
//
// The button is the main window's OK button (89 x 25, flat, 3-pixel bevels,
// caption "OK"), shown on a form. Each sample is one repaint through the
// button's paint handler onto its window's device context; the floor's
// samples are taken in the same run, alternating with the button's. A third
// figure, for scale, is the face fill and the caption alone drawn by the
// platform, which no repaint of a captioned button can go below.
#include <windows.h>

#include "paint_benches.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "application.h"
#include "cute_button.h"
#include "forms.h"

using namespace orlo;

namespace {

constexpr int kSamples = 1000;

double Microseconds(LONGLONG ticks) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

struct Figures {
  double median, p25, p75, min, max;
};

Figures Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v[static_cast<size_t>(q * (v.size() - 1))]; };
  return Figures{at(0.5), at(0.25), at(0.75), v.front(), v.back()};
}

void Print(const char* what, const Figures& f) {
  std::printf("  %-34s median %7.1f us   middle half %7.1f .. %7.1f us   all %7.1f .. %7.1f us\n",
              what, f.median, f.p25, f.p75, f.min, f.max);
}

// Times `paint`, `floor` and `text` in turn, kSamples each, after a warm-up.
void Measure(const char* name, const std::function<void()>& paint,
             const std::function<void()>& floor, const std::function<void()>& text) {
  std::vector<double> paints, floors, texts;
  for (int i = 0; i < 50; ++i) {
    paint();
    floor();
    text();
  }
  for (int i = 0; i < kSamples; ++i) {
    LONGLONG a = Now();
    paint();
    GdiFlush();
    LONGLONG b = Now();
    floor();
    GdiFlush();
    LONGLONG c = Now();
    text();
    GdiFlush();
    LONGLONG d = Now();
    paints.push_back(Microseconds(b - a));
    floors.push_back(Microseconds(c - b));
    texts.push_back(Microseconds(d - c));
  }
  Figures p = Summarise(paints), f = Summarise(floors), t = Summarise(texts);
  std::printf("%s\n", name);
  Print("button repaint", p);
  Print("floor: DrawEdge + BitBlt", f);
  Print("for scale: FillRect + DrawTextA", t);
  std::printf("  ratio of medians to the floor %.2f (target at most 1.5); median %s 200 us\n\n",
              p.median / f.median, p.median < 200 ? "under" : "NOT under");
}

}  // namespace

bool BenchCuteButton() {
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 240, 120);
  TCuteButton* button = new TCuteButton(form);
  button->SetParent(form);
  button->SetBounds(20, 20, 89, 25);
  button->SetCaption("OK");
  button->SetColor(0xF0C0C0);
  button->SetBevelWidth(3);
  button->SetBevelHighlightColor(clRed);
  button->SetBevelShadowColor(clRed);
  button->SetFlat(true);
  form->Show();
  Application->ProcessMessages();

  HWND window = button->Handle();
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 89, 25);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT face{0, 0, 89, 25};

  auto repaint = [&] { button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc)); };
  auto floor = [&] {
    RECT r = face;
    DrawEdge(memory, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    BitBlt(dc, 0, 0, 89, 25, memory, 0, 0, SRCCOPY);
  };

  // Not a floor of the task: the face fill and the caption alone, drawn by
  // the platform with the button's font, which every repaint must pay.
  HBRUSH faceBrush = CreateSolidBrush(0xF0C0C0);
  HFONT font = button->Font()->Handle();
  auto text = [&] {
    FillRect(dc, &face, faceBrush);
    HGDIOBJ oldFont = SelectObject(dc, font);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT t{3, 3, 86, 22};
    DrawTextA(dc, "OK", 2, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  };

  std::printf("Cute button 89 x 25, %d repaints each, floor measured alternately\n\n", kSamples);
  button->SetOuterBevel(bvNone);
  Measure("At rest (face and caption)", repaint, floor, text);
  button->SetOuterBevel(bvRaised);
  Measure("Hot (three rings and caption)", repaint, floor, text);
  button->SetOuterBevel(bvLowered);
  Measure("Pressed (three rings, shifted caption)", repaint, floor, text);
  button->SetOuterBevel(bvNone);
  button->SetEnabled(false);
  Measure("Disabled (embossed caption)", repaint, floor, text);

  DeleteObject(faceBrush);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  form->Free();
  return true;
}
