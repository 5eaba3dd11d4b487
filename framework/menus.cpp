#include "menus.h"

#include <algorithm>

#include "application.h"
#include "class_builder.h"

namespace orlo {

const TEnumNames& PopupAlignmentNames() {
  static const TEnumNames n{"paLeft", "paRight", "paCenter"};
  return n;
}

ORLO_DEFINE_CLASS(TMenuItem, TComponent) {
  p.String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  p.Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false);
  p.Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true);
  p.Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true);
  p.Event("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  BeginDestruction();
  while (!items_.empty()) {
    TMenuItem* i = items_.back();
    Remove(i);
    if (!i->Owner()) i->Free();
  }
  if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError(res::SListIndexError);
  return items_[static_cast<size_t>(i)];
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  items_.push_back(item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* m = Cast<TMenuItem>(parent)) m->Add(this);
  else if (auto* p = Cast<TPopupMenu>(parent)) p->Items()->Add(this);
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

HMENU TMenuItem::BuildMenu(std::vector<TMenuItem*>& commands) const {
  HMENU menu = CreatePopupMenu();
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    if (item->caption_ == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->enabled_ ? MF_ENABLED : MF_GRAYED) |
                 (item->checked_ ? MF_CHECKED : MF_UNCHECKED);
    if (!item->items_.empty()) {
      HMENU sub = item->BuildMenu(commands);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->caption_.c_str());
    } else {
      commands.push_back(item);
      AppendMenuA(menu, flags, commands.size(), item->caption_.c_str());
    }
  }
  return menu;
}

ORLO_DEFINE_CLASS(TPopupMenu, TComponent) {
  p.Enum("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, PopupAlignmentNames(), paLeft);
  p.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
  p.Event("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner) { items_ = new TMenuItem(nullptr); }

TPopupMenu::~TPopupMenu() {
  BeginDestruction();
  delete items_;
}

UINT TPopupMenu::TrackFlags() const {
  UINT flags = TPM_LEFTBUTTON | TPM_RIGHTBUTTON | TPM_RETURNCMD;
  switch (alignment_) {
    case paLeft: flags |= TPM_LEFTALIGN; break;
    case paRight: flags |= TPM_RIGHTALIGN; break;
    case paCenter: flags |= TPM_CENTERALIGN; break;
  }
  return flags;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  std::vector<TMenuItem*> commands;
  HMENU menu = items_->BuildMenu(commands);
  HWND owner = Application->Handle();
  UINT cmd = static_cast<UINT>(TrackPopupMenu(menu, TrackFlags(), x, y, 0, owner, nullptr));
  DestroyMenu(menu);
  PostMessageA(owner, WM_NULL, 0, 0);
  if (cmd > 0 && cmd <= commands.size()) commands[cmd - 1]->Click();
}

}  // namespace orlo
