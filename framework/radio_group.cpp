#include "radio_group.h"

#include <algorithm>

#include "application.h"
#include "class_builder.h"

namespace orlo {

// ---------------------------------------------------------------------------
// TGroupButton

ORLO_DEFINE_CLASS(TGroupButton, TRadioButton) {}

TGroupButton::TGroupButton(TCustomRadioGroup* group) : TRadioButton(group), group_(group) {
  SetVisible(false);
  SetEnabled(group->Enabled());
  SetParentShowHint(false);
  OnClick = TNotifyEvent(group, &TCustomRadioGroup::ButtonClick);
  SetParent(group);
}

TGroupButton::~TGroupButton() {
  if (destroyed_) *destroyed_ = true;
  BeginDestruction();
  if (group_) {
    auto& list = group_->buttons_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TGroupButton::Dispatch(TMessage& m) {
  if (m.Msg != CN_COMMAND) {
    TRadioButton::Dispatch(m);
    return;
  }
  // A notification that arrives while the last one is still being handled
  // (a handler that pumps messages) is dropped.
  if (in_click_) return;
  in_click_ = true;
  bool destroyed = false;
  destroyed_ = &destroyed;
  try {
    WORD code = HIWORD(m.WParam);
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && group_ && group_->CanModify())
      TRadioButton::Dispatch(m);
  } catch (...) {
    Application->HandleException(destroyed ? nullptr : this);
  }
  // The group's click handler may have changed the items and freed this
  // button: then nothing of it may be touched any more.
  if (destroyed) return;
  destroyed_ = nullptr;
  in_click_ = false;
}

void TGroupButton::KeyDown(uint16_t& key, TShiftState shift) {
  TRadioButton::KeyDown(key, shift);
  if (group_) group_->KeyDown(key, shift);
}

void TGroupButton::KeyPress(char& key) {
  TRadioButton::KeyPress(key);
  if (!group_) return;
  group_->KeyPress(key);
  // Space and Backspace change the choice: only when the group allows it.
  if ((key == ' ' || key == '\b') && !group_->CanModify()) key = 0;
}

// ---------------------------------------------------------------------------
// TCustomRadioGroup

ORLO_DEFINE_CLASS(TCustomRadioGroup, TCustomGroupBox) {}

ORLO_DEFINE_CLASS(TRadioGroup, TCustomRadioGroup) {
  p.Int("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns, 1);
  p.Int("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex, -1);
  p.Object("Items", &TRadioGroup::Items, &TRadioGroup::SetItems);
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner) {
  // Its clicks are choices, never mouse clicks on the frame; the buttons
  // inside keep the children clipped out of the group's painting.
  SetControlStyle(csAcceptsControls | csSetCaption | csDoubleClicks);
  items_ = new TStringList();
  items_->OnChange = TNotifyEvent(this, &TCustomRadioGroup::ItemsChange);
}

TCustomRadioGroup::~TCustomRadioGroup() {
  BeginDestruction();
  // The buttons go first, while the list they are kept in still exists.
  std::vector<TGroupButton*> list;
  list.swap(buttons_);
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    (*it)->group_ = nullptr;
    (*it)->Free();
  }
  delete items_;
}

void TCustomRadioGroup::SetItemIndex(int v) {
  if (Reading()) {
    item_index_ = v;
    return;
  }
  v = std::clamp(v, -1, ButtonCount() - 1);
  if (v == item_index_) return;
  if (item_index_ >= 0 && item_index_ < ButtonCount()) Buttons(item_index_)->SetChecked(false);
  item_index_ = v;
  if (item_index_ >= 0) Buttons(item_index_)->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int v) {
  v = std::clamp(v, 1, 16);
  if (v == columns_) return;
  columns_ = v;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ItemsChange(TObject*) {
  if (Reading()) return;  // the buttons are made once the reading is over
  if (item_index_ >= items_->Count()) item_index_ = items_->Count() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  // The stored ItemIndex stays as it is (it may have been read before the
  // items); a value outside the items just checks no button.
  UpdateButtons();
}

void TCustomRadioGroup::ButtonClick(TObject* sender) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), sender);
  item_index_ = it == buttons_.end() ? -1 : static_cast<int>(it - buttons_.begin());
  Click();
}

void TCustomRadioGroup::SetButtonCount(int n) {
  while (ButtonCount() < n) buttons_.push_back(new TGroupButton(this));
  while (ButtonCount() > n) buttons_.back()->Free();  // leaves the list itself
}

void TCustomRadioGroup::UpdateButtons() {
  SetButtonCount(items_->Count());
  for (int i = 0; i < ButtonCount(); ++i) Buttons(i)->SetCaption(items_->Strings(i));
  if (item_index_ >= 0 && item_index_ < ButtonCount()) {
    updating_ = true;
    try {
      Buttons(item_index_)->SetChecked(true);
    } catch (...) {
      updating_ = false;
      throw;
    }
    updating_ = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (buttons_.empty() || Reading()) return;
  int h = 0;
  {
    TScreenCanvas screen;
    screen.SetFont(Font());
    TEXTMETRICA tm{};
    if (HDC dc = screen.Handle(); dc && GetTextMetricsA(dc, &tm)) h = tm.tmHeight;
  }
  const int n = ButtonCount();
  const int perColumn = (n + columns_ - 1) / columns_;
  const int buttonWidth = (Width() - 10) / columns_;
  const int room = Height() - h - 5;
  const int buttonHeight = room / perColumn;
  const int top = h + 1 + (room % perColumn) / 2;
  for (int i = 0; i < n; ++i) {
    TGroupButton* b = Buttons(i);
    b->SetBounds(8 + (i / perColumn) * buttonWidth, top + (i % perColumn) * buttonHeight,
                 buttonWidth, buttonHeight);
    b->SetVisible(true);
  }
}

void TCustomRadioGroup::DoSetBounds(int left, int top, int width, int height) {
  bool resized = width != Width() || height != Height();
  TCustomGroupBox::DoSetBounds(left, top, width, height);
  if (resized) ArrangeButtons();
}

void TCustomRadioGroup::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_ENABLEDCHANGED:
      TCustomGroupBox::Dispatch(m);
      for (TGroupButton* b : buttons_) b->SetEnabled(Enabled());
      return;
    case CM_FONTCHANGED:
      TCustomGroupBox::Dispatch(m);
      ArrangeButtons();
      return;
    default:
      TCustomGroupBox::Dispatch(m);
  }
}

}  // namespace orlo
