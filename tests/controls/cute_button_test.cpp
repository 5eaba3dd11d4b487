// The cute button's construction, published properties, setters and the
// delay timer's class check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "application.h"
#include "class_builder.h"
#include "cute_button.h"
#include "description_reader.h"
#include "forms.h"
#include "reader_stream_builder.h"

using namespace orlo;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace orlo {

// A button that counts its paints.
class TCountingCuteButton : public TCuteButton {
  ORLO_CLASS(TCountingCuteButton)
public:
  using TCuteButton::TCuteButton;
  int paints = 0;
  void Paint() override {
    ++paints;
    TCuteButton::Paint();
  }
};
ORLO_DEFINE_CLASS(TCountingCuteButton, TCuteButton) {}

// A form whose description binds a button's events by name.
class TButtonForm : public TForm {
  ORLO_CLASS(TButtonForm)
public:
  using TForm::TForm;
  TCuteButton* CuteButton1 = nullptr;
  TCuteButton* CuteButton2 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  int clicks = 0;
  void CuteButton1Click(TObject*) { ++clicks; }
  void CuteButton1MouseEnter(TObject*, TShiftState, int, int) {}
};
ORLO_DEFINE_CLASS(TButtonForm, TForm) {
  p.Field("CuteButton1", &TButtonForm::CuteButton1);
  p.Field("CuteButton2", &TButtonForm::CuteButton2);
  p.Field("PopupMenu1", &TButtonForm::PopupMenu1);
  p.Method("CuteButton1Click", &TButtonForm::CuteButton1Click);
  p.Method("CuteButton1MouseEnter", &TButtonForm::CuteButton1MouseEnter);
}

}  // namespace orlo

namespace {

std::string CaughtMessage(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.ClassName() + std::string(": ") + e.Message();
  }
  return "(nothing raised)";
}

TEST(CuteButton, ConstructionGivesTheRestingButton) {
  TForm* form = new TForm(nullptr);
  TCuteButton* b = new TCuteButton(form);
  EXPECT_EQ(b->Width(), 75);
  EXPECT_EQ(b->Height(), 25);
  EXPECT_EQ(b->OuterBevel(), bvNone);
  EXPECT_EQ(b->InnerBevel(), bvRaised);
  EXPECT_EQ(b->BevelWidth(), 1);
  EXPECT_EQ(b->Alignment(), taCenter);
  EXPECT_EQ(b->BorderStyle(), bsNone);
  EXPECT_EQ(b->BorderWidth(), 0);
  EXPECT_TRUE(b->FullRepaint());
  EXPECT_EQ(b->Color(), clBtnFace);
  EXPECT_EQ(b->Brush()->Color(), clBtnFace);
  EXPECT_FALSE(b->ParentColor());
  EXPECT_EQ(b->BevelHighlightColor(), clBtnHighlight);
  EXPECT_EQ(b->BevelShadowColor(), clBtnShadow);
  EXPECT_EQ(b->DisabledColor(), clGray);
  EXPECT_EQ(b->DropDownDelay(), 0);
  EXPECT_EQ(b->DropDownMenu(), nullptr);
  EXPECT_EQ(b->Layout(), tlCenter);
  EXPECT_EQ(b->MarginX(), -1);
  EXPECT_EQ(b->MarginY(), -1);
  EXPECT_TRUE(b->TabFocusUp());
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(b->Flat());
  EXPECT_FALSE(b->ShowFocusRect());
  EXPECT_FALSE(b->UseDisabledColor());
  EXPECT_FALSE(b->EgnoreContClick());
  EXPECT_EQ(b->ComponentCount(), 0) << "no timer until a delayed drop-down";
  // The panel's style less holding controls: opaque, mouse captured,
  // clicks and double clicks.
  uint32_t style = b->ControlStyle();
  EXPECT_FALSE(style & csAcceptsControls);
  EXPECT_TRUE(style & csOpaque);
  EXPECT_TRUE(style & csCaptureMouse);
  EXPECT_TRUE(style & csClickEvents);
  EXPECT_TRUE(style & csDoubleClicks);

  b->SetParent(form);
  LONG_PTR ws = GetWindowLongPtrA(b->Handle(), GWL_STYLE);
  EXPECT_TRUE(ws & WS_TABSTOP);
  EXPECT_FALSE(ws & WS_CLIPCHILDREN);
  EXPECT_FALSE(ws & WS_BORDER);
  char cls[64] = {};
  GetClassNameA(b->Handle(), cls, sizeof cls);
  WNDCLASSA wc{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), cls, &wc));
  EXPECT_TRUE(wc.style & CS_DBLCLKS);
  form->Free();
}

class CuteButtonSetterTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 240, 120);
    button = new TCountingCuteButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 75, 25);
    menu = new TPopupMenu(form);
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override { form->Free(); }
  template <class F>
  int PaintsAfter(F change) {
    Application->ProcessMessages();
    int before = button->paints;
    change();
    Application->ProcessMessages();
    return button->paints - before;
  }

  TForm* form = nullptr;
  TCountingCuteButton* button = nullptr;
  TPopupMenu* menu = nullptr;
};

TEST_F(CuteButtonSetterTest, SettersRepaintOnlyWhereTheButtonSays) {
  // The panel base's setters store without comparing: the same value repaints.
  EXPECT_EQ(PaintsAfter([&] { button->SetAlignment(taCenter); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetBevelWidth(1); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetOuterBevel(bvNone); }), 1);
  EXPECT_EQ(PaintsAfter([] {}), 0);

  // The button's own compare first.
  EXPECT_EQ(PaintsAfter([&] { button->SetBevelHighlightColor(clBtnHighlight); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetBevelHighlightColor(clRed); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetBevelShadowColor(clBtnShadow); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetBevelShadowColor(clBlue); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetLayout(tlCenter); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetLayout(tlTop); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetShowFocusRect(true); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetShowFocusRect(true); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetDropDownMenu(menu); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetDropDownMenu(menu); }), 0);
  EXPECT_EQ(PaintsAfter([&] {
              SendMessageA(button->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("text"));
            }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetCaption("OK"); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->Brush()->SetColor(clYellow); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetColor(clAqua); }), 1);
  EXPECT_EQ(button->Brush()->Color(), clAqua);

  // Flat takes the inner bevel away, once.
  EXPECT_EQ(PaintsAfter([&] { button->SetFlat(true); }), 1);
  EXPECT_EQ(button->InnerBevel(), bvNone);
  EXPECT_EQ(PaintsAfter([&] { button->SetFlat(true); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetFlat(false); }), 1);
  EXPECT_EQ(button->InnerBevel(), bvRaised);

  // Margins below -1 become -1; 0 is a value of its own.
  EXPECT_EQ(PaintsAfter([&] { button->SetMarginX(-7); }), 0);
  EXPECT_EQ(button->MarginX(), -1);
  EXPECT_EQ(PaintsAfter([&] { button->SetMarginX(0); }), 1);
  EXPECT_EQ(button->MarginX(), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetMarginY(-2); }), 0);
  EXPECT_EQ(button->MarginY(), -1);
  EXPECT_EQ(PaintsAfter([&] { button->SetMarginY(4); }), 1);

  // Stored straight away, never painted.
  EXPECT_EQ(PaintsAfter([&] { button->SetDropDownDelay(500); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetTabFocusUp(false); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetEgnoreContClick(true); }), 0);
  EXPECT_EQ(button->DropDownDelay(), 500);
  EXPECT_FALSE(button->TabFocusUp());

  // The disabled colour matters only while disabled.
  EXPECT_EQ(PaintsAfter([&] { button->SetDisabledColor(clYellow); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetUseDisabledColor(true); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetEnabled(false); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetDisabledColor(clGray); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetUseDisabledColor(false); }), 1);
  EXPECT_EQ(PaintsAfter([&] { button->SetUseDisabledColor(false); }), 0);
  EXPECT_EQ(PaintsAfter([&] { button->SetEnabled(true); }), 1);

  // The border style makes a new window, and only on a change.
  HWND before = button->Handle();
  button->SetBorderStyle(bsNone);
  EXPECT_EQ(button->Handle(), before);
  button->SetBorderStyle(bsSingle);
  EXPECT_TRUE(GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(button->Caption(), "OK");
}

TEST_F(CuteButtonSetterTest, DestroyedDropDownMenuIsForgotten) {
  button->SetDropDownMenu(menu);
  menu->Free();
  menu = nullptr;
  EXPECT_EQ(button->DropDownMenu(), nullptr);

  // Replacing a menu stops listening to the old one, which may then go
  // without touching the button; the pop-up menu keeps its own link.
  TPopupMenu* first = new TPopupMenu(form);
  TPopupMenu* second = new TPopupMenu(form);
  button->SetDropDownMenu(first);
  button->SetPopupMenu(first);
  button->SetDropDownMenu(second);
  first->Free();
  EXPECT_EQ(button->DropDownMenu(), second);
  second->Free();
  EXPECT_EQ(button->DropDownMenu(), nullptr);
}

TEST_F(CuteButtonSetterTest, TimerExpiryAcceptsOnlyTheButtonsTimer) {
  TTimer* plain = new TTimer(form);
  EXPECT_EQ(CaughtMessage([&] { button->TimerExpired(plain); }),
            "EInvalidCast: " + std::string(res::SInvalidCast));
  EXPECT_EQ(CaughtMessage([&] { button->TimerExpired(nullptr); }),
            "EInvalidCast: " + std::string(res::SInvalidCast));
  EXPECT_EQ(CaughtMessage([&] { button->TimerExpired(form); }),
            "EInvalidCast: " + std::string(res::SInvalidCast));

  // The button's own timer: armed by the Space key with the delay, the same
  // one kept through key repeats, and freed when the key comes up.
  button->SetDropDownDelay(10000);
  button->SetDropDownMenu(menu);
  button->Perform(WM_KEYDOWN, VK_SPACE);  // arms the delay by key
  ASSERT_EQ(button->ComponentCount(), 1);
  auto* timer = Cast<TCuteButtonTimer>(button->Components(0));
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->FCuteButton, button);
  EXPECT_EQ(timer->Interval(), 10000u);
  EXPECT_TRUE(timer->Running());
  button->Perform(WM_KEYDOWN, VK_SPACE);  // key repeat: the same timer
  ASSERT_EQ(button->ComponentCount(), 1);
  EXPECT_EQ(button->Components(0), timer);
  button->Perform(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(button->ComponentCount(), 0) << "a key release disarms it";
}

TEST(CuteButton, DescriptionLeavesOmittedPropertiesAtTheirDefaults) {
  TDescriptionBuilder b;
  b.Signature().Record("TButtonForm", "ButtonForm").End();
  b.Record("TPopupMenu", "PopupMenu1").End().End();
  b.Record("TCuteButton", "CuteButton1")
      .Prop("Left").Int(96).Prop("Top").Int(248).Prop("Width").Int(89)
      .Prop("Caption").Str("OK")
      .Prop("Color").Int(0xF0C0C0)
      .Prop("BevelWidth").Int(3)
      .Prop("BevelHighlightColor").Ident("clRed")
      .Prop("BevelShadowColor").Ident("clRed")
      .Prop("Flat").True()
      .Prop("Layout").Ident("tlBottom")
      .Prop("MarginY").Int(2)
      .Prop("DropDownMenu").Ident("PopupMenu1")
      .Prop("Brush.Style").Ident("bsClear")
      .Prop("OnClick").Ident("CuteButton1Click")
      .Prop("OnMouseEnter").Ident("CuteButton1MouseEnter")
      .End().End();
  b.Record("TCuteButton", "CuteButton2").Prop("Caption").Str("CLOSE").End().End();
  b.End();
  auto* form = new TButtonForm(nullptr);
  auto stream = MakeStream(b.Bytes());
  form->ReadDescription(*stream);
  TCuteButton* one = form->CuteButton1;
  TCuteButton* two = form->CuteButton2;
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(one->BoundsRect(), TRect(96, 248, 185, 273)) << "height from the class default";
  EXPECT_EQ(one->Color(), 0xF0C0C0);
  EXPECT_EQ(one->BevelWidth(), 3);
  EXPECT_EQ(one->BevelHighlightColor(), clRed);
  EXPECT_TRUE(one->Flat());
  EXPECT_EQ(one->InnerBevel(), bvNone);
  EXPECT_EQ(one->Layout(), tlBottom);
  EXPECT_EQ(one->MarginX(), -1);
  EXPECT_EQ(one->MarginY(), 2);
  EXPECT_EQ(one->DropDownMenu(), form->PopupMenu1);
  EXPECT_EQ(one->Brush()->Style(), bsClear);
  ASSERT_TRUE(static_cast<bool>(one->OnClick));
  one->OnClick(one);
  EXPECT_EQ(form->clicks, 1);
  EXPECT_TRUE(static_cast<bool>(one->OnMouseEnter));

  // Everything omitted stays as constructed.
  EXPECT_FALSE(two->EgnoreContClick());
  EXPECT_FALSE(two->Flat());
  EXPECT_FALSE(two->ShowFocusRect());
  EXPECT_FALSE(two->UseDisabledColor());
  EXPECT_TRUE(two->TabFocusUp());
  EXPECT_EQ(two->MarginX(), -1);
  EXPECT_EQ(two->BoundsRect(), TRect(0, 0, 75, 25));
  EXPECT_EQ(two->InnerBevel(), bvRaised);
  EXPECT_EQ(two->DropDownMenu(), nullptr);
  form->Free();
}

TEST(CuteButton, DescriptionSetsOnlyWhatTheButtonPublishes) {
  // One property of the button in a description: "read", or the error.
  auto read = [](const char* name, const char* ident) {
    TDescriptionBuilder b;
    b.Signature().Record("TButtonForm", "ButtonForm").End();
    b.Record("TCuteButton", "CuteButton1").Prop(name).Ident(ident).End().End();
    b.End();
    auto* form = new TButtonForm(nullptr);
    std::string result = CaughtMessage([&] {
      auto stream = MakeStream(b.Bytes());
      form->ReadDescription(*stream);
    });
    form->Free();
    return result == "(nothing raised)" ? std::string("read") : result;
  };
  // Published by the framework's bases and by the button.
  EXPECT_EQ(read("OnEnter", "CuteButton1Click"), "read");
  EXPECT_EQ(read("DragMode", "dmAutomatic"), "read");
  EXPECT_EQ(read("Color", "clRed"), "read");
  // The bases have these, the button does not publish them.
  const std::string unknown = std::string("EReadError: ") + res::SUnknownProperty;
  EXPECT_EQ(read("Align", "alClient"), unknown);
  EXPECT_EQ(read("OnDblClick", "CuteButton1Click"), unknown);
}

TEST(CuteButton, PressWithoutAFormRaisesTheParentError) {
  TCuteButton b(nullptr);
  b.SetName("CuteButton9");
  EXPECT_EQ(CaughtMessage([&] { b.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }),
            "EInvalidOperation: " + Format(res::SParentRequired, "CuteButton9"));
}

}  // namespace
