// Test-only components for the description reader's tests: a property of
// every kind, counters of live objects and a log of Loaded calls.
//
// The ORLO_DEFINE_CLASS blocks define the classes' descriptions, so include
// this from one source file per test program.
#pragma once
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "class_builder.h"
#include "collections.h"
#include "components.h"
#include "description_reader.h"

using namespace orlo;

static int g_live = 0;                    // test objects alive
static std::vector<std::string> g_loaded; // names, in Loaded order

class TTestFont : public TPersistent {
  ORLO_CLASS(TTestFont)
  TTestFont() { ++g_live; }
  ~TTestFont() override { --g_live; }
  int32_t Height = -11;
  std::string Name = "Default";
};
ORLO_DEFINE_CLASS(TTestFont, TPersistent) {
  p.Int("Height", &TTestFont::Height, &TTestFont::Height);
  p.String("Name", &TTestFont::Name, &TTestFont::Name);
}

class TTestItem : public TCollectionItem {
  ORLO_CLASS(TTestItem)
  explicit TTestItem(TCollection* c) : TCollectionItem(c) { ++g_live; }
  ~TTestItem() override { --g_live; }
  std::string Caption;
  int32_t Value = 0;
};
ORLO_DEFINE_CLASS(TTestItem, TCollectionItem) {
  p.String("Caption", &TTestItem::Caption, &TTestItem::Caption);
  p.Int("Value", &TTestItem::Value, &TTestItem::Value, 0);
}

enum TTestAlign { alNone, alTop, alClient };
static const TEnumNames kAlignNames{"alNone", "alTop", "alClient"};
static const TEnumNames kStyleNames{"ssBold", "ssItalic", "ssUnderline"};
static const TIdentMap kColorIdents{{0x0000FF, "clRed"}, {0xFFFFFF, "clWhite"},
                                    {static_cast<int32_t>(0x8000000F), "clBtnFace"}};

using TKeyEvent = TEvent<void(TObject*, char&)>;

// A control-like component with a property of every kind.
class TTestWidget : public TComponent {
  ORLO_CLASS(TTestWidget)
  explicit TTestWidget(TComponent* owner) : TComponent(owner) {
    ++g_live;
    Font = new TTestFont;
  }
  ~TTestWidget() override {
    BeginDestruction();
    for (TTestWidget* c : Children) c->Parent = nullptr;
    if (Parent) Parent->RemoveChild(this);
    delete Font;
    delete Extra;
    --g_live;
  }

  int32_t Left = 0, Top = 0, Width = 50, Height = 0, Color = 0;
  char Accel = 0;
  TTestAlign Align = alNone;
  bool Visible = true;
  double Ratio = 0;
  std::string Caption;
  uint32_t Styles = 0;
  TTestFont* Font;
  TTestFont* Extra = new TTestFont;
  TCollectionOf<TTestItem> Items;
  TTestWidget* Buddy = nullptr;
  TTestWidget* BuddyWhenLoaded = nullptr;
  TNotifyEvent OnClick;
  TKeyEvent OnKey;
  std::vector<std::string> Lines;
  std::string Data;
  std::vector<std::string> PropertiesRead;
  bool MarkedWhileReading = false;

  int32_t Count() const { return Items.Count(); }
  void SetExtra(TTestFont* f) {
    delete Extra;
    Extra = f;
  }
  void SetBuddy(TTestWidget* b) {
    Buddy = b;
    if (b) b->FreeNotification(this);
  }
  void SetCaption(const std::string& s) {
    Caption = s;
    MarkedWhileReading = Loading() && Reading();
  }
  // A negative value is refused by the setter itself; 999 runs out of memory.
  int32_t Fail() const { return 0; }
  void SetFail(int32_t v) {
    if (v == 999) throw std::bad_alloc();
    if (v < 0) throw EConvertError("negative");
  }
  // Kept as read until Loaded, clamped to the items afterwards.
  int32_t ItemIndex = -1;
  void SetItemIndex(int32_t v) {
    ItemIndex = Reading() ? v : std::min(v, Count() - 1);
  }

  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == Buddy) Buddy = nullptr;
  }
  void Loaded() override {
    TComponent::Loaded();
    g_loaded.push_back(Name());
    BuddyWhenLoaded = Buddy;
    SetItemIndex(ItemIndex);
  }
  void PropertyRead(const std::string& path) override { PropertiesRead.push_back(path); }

  bool ReadDefinedProperty(const std::string& name, TReader& reader) override {
    if (SameTextAscii(name, "Lines")) {
      reader.ReadListBegin();
      Lines.clear();
      while (!reader.EndOfList()) Lines.push_back(reader.ReadString());
      reader.ReadListEnd();
      return true;
    }
    if (SameTextAscii(name, "Data")) {
      Data = reader.ReadBinary();
      return true;
    }
    return false;
  }

  // Parent and children, as controls have them.
  TTestWidget* Parent = nullptr;
  std::vector<TTestWidget*> Children;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* p) override {
    if (Parent) Parent->RemoveChild(this);
    Parent = Cast<TTestWidget>(p);
    if (Parent) Parent->Children.push_back(this);
  }
  void SetChildOrder(TComponent* child, int order) override {
    auto it = std::find(Children.begin(), Children.end(), child);
    if (it == Children.end()) return;
    Children.erase(it);
    order = std::max(0, std::min(order, static_cast<int>(Children.size())));
    Children.insert(Children.begin() + order, static_cast<TTestWidget*>(child));
  }
  void RemoveChild(TTestWidget* c) {
    Children.erase(std::remove(Children.begin(), Children.end(), c), Children.end());
  }
};
ORLO_DEFINE_CLASS(TTestWidget, TComponent) {
  p.Int("Left", &TTestWidget::Left, &TTestWidget::Left, 0);
  p.Int("Top", &TTestWidget::Top, &TTestWidget::Top, 0);
  p.Int("Width", &TTestWidget::Width, &TTestWidget::Width);
  p.Int("Height", &TTestWidget::Height, &TTestWidget::Height);
  p.Int("Color", &TTestWidget::Color, &TTestWidget::Color, std::nullopt, &kColorIdents);
  p.Char("Accel", &TTestWidget::Accel, &TTestWidget::Accel);
  p.Enum("Align", &TTestWidget::Align, &TTestWidget::Align, kAlignNames, alNone);
  p.Bool("Visible", &TTestWidget::Visible, &TTestWidget::Visible, true);
  p.Float("Ratio", &TTestWidget::Ratio, &TTestWidget::Ratio);
  p.String("Caption", &TTestWidget::Caption, &TTestWidget::SetCaption);
  p.Set("Styles", &TTestWidget::Styles, &TTestWidget::Styles, kStyleNames, 0);
  p.Object("Font", &TTestWidget::Font);
  p.Object("Extra", &TTestWidget::Extra, &TTestWidget::SetExtra);
  p.Object("Items", [](TTestWidget* w) -> TCollection* { return &w->Items; },
           [](TTestWidget* w, TCollection* v) { w->Items.Assign(v); });
  p.Object("FixedItems", [](TTestWidget* w) -> TCollection* { return &w->Items; });
  p.Component("Buddy", &TTestWidget::Buddy, &TTestWidget::SetBuddy);
  p.Event("OnClick", &TTestWidget::OnClick);
  p.Event("OnKey", &TTestWidget::OnKey);
  p.Int("Count", &TTestWidget::Count);
  p.Int("Fail", &TTestWidget::Fail, &TTestWidget::SetFail);
  p.Int("ItemIndex", &TTestWidget::ItemIndex, &TTestWidget::SetItemIndex, -1);
}

// Another component class, for references of the wrong class.
class TTestOther : public TComponent {
  ORLO_CLASS(TTestOther)
  explicit TTestOther(TComponent* owner) : TComponent(owner) { ++g_live; }
  ~TTestOther() override { --g_live; }
};
ORLO_DEFINE_CLASS(TTestOther, TComponent) {}

// The window: published handlers and a field for one of its controls.
class TTestForm : public TComponent {
  ORLO_CLASS(TTestForm)
  explicit TTestForm(TComponent* owner) : TComponent(owner) { ++g_live; }
  ~TTestForm() override {
    BeginDestruction();
    --g_live;
  }
  void ButtonClick(TObject* sender) { Clicks.push_back(sender); }
  void KeyPress(TObject*, char& key) { key = 'X'; }
  void Loaded() override {
    TComponent::Loaded();
    g_loaded.push_back(Name());
  }
  bool ReadDefinedProperty(const std::string& name, TReader& reader) override {
    if (!SameTextAscii(name, "TextHeight")) return false;
    TextHeight = reader.ReadInteger();
    return true;
  }
  TTestWidget* Button1 = nullptr;
  std::vector<TObject*> Clicks;
  int32_t TextHeight = 0;
};
ORLO_DEFINE_CLASS(TTestForm, TComponent) {
  p.Method("ButtonClick", &TTestForm::ButtonClick);
  p.Method("KeyPress", &TTestForm::KeyPress);
  p.Field("Button1", &TTestForm::Button1);
}

// A window whose constructor makes a control that descriptions refer to as
// inherited.
class TTestInheritedForm : public TTestForm {
  ORLO_CLASS(TTestInheritedForm)
  explicit TTestInheritedForm(TComponent* owner) : TTestForm(owner) {
    Base = new TTestWidget(this);
    Base->SetName("Base1");
  }
  TTestWidget* Base;
};
ORLO_DEFINE_CLASS(TTestInheritedForm, TTestForm) {}
