// The radio group: a group box whose option buttons are made from a list of
// texts, with the checked one as ItemIndex.
#pragma once
#include <vector>

#include "std_controls.h"

namespace orlo {

class TCustomRadioGroup;

// One option button of a radio group: owned and parented by the group, its
// click bound to the group, its keys also offered to the group's key events.
class TGroupButton : public TRadioButton {
  ORLO_CLASS(TGroupButton)
public:
  explicit TGroupButton(TCustomRadioGroup* group);
  ~TGroupButton() override;

protected:
  void Dispatch(TMessage& m) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;

private:
  friend class TCustomRadioGroup;
  TCustomRadioGroup* group_;
  bool in_click_ = false;
  // Set while a click is handled: the handler may destroy this button (a
  // group whose items change), which the destructor reports here.
  bool* destroyed_ = nullptr;
};

class TCustomRadioGroup : public TCustomGroupBox {
  ORLO_CLASS(TCustomRadioGroup)
public:
  explicit TCustomRadioGroup(TComponent* owner);
  ~TCustomRadioGroup() override;

  // The texts; any change outside reading makes the buttons follow.
  TStrings* Items() const { return items_; }
  void SetItems(TStrings* v) { items_->Assign(v); }
  // -1 for none. Stored as given while reading, else clamped to the buttons.
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int v);
  int Columns() const { return columns_; }
  void SetColumns(int v);  // 1 to 16

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TGroupButton* Buttons(int i) const { return buttons_[static_cast<size_t>(i)]; }

  void Loaded() override;

protected:
  // Whether the user may change the choice; this group always allows it.
  virtual bool CanModify() { return true; }
  void Dispatch(TMessage& m) override;
  void DoSetBounds(int left, int top, int width, int height) override;

private:
  friend class TGroupButton;
  void ItemsChange(TObject*);
  void ButtonClick(TObject* sender);
  void UpdateButtons();
  void SetButtonCount(int n);
  void ArrangeButtons();

  TStringList* items_;
  std::vector<TGroupButton*> buttons_;
  int item_index_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
  ORLO_CLASS(TRadioGroup)
public:
  using TCustomRadioGroup::TCustomRadioGroup;
};

}  // namespace orlo
