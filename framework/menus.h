// Pop-up menus and their items.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "components.h"

namespace orlo {

class TMenuItem : public TComponent {
  ORLO_CLASS(TMenuItem)
public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const;
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return parent_; }
  virtual void Click();

  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* parent) override;

  TNotifyEvent OnClick;

private:
  friend class TPopupMenu;
  HMENU BuildMenu(std::vector<TMenuItem*>& commands) const;

  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
};

enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };
const TEnumNames& PopupAlignmentNames();

class TPopupMenu : public TComponent {
  ORLO_CLASS(TPopupMenu)
public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return items_; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment v) { alignment_ = v; }
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool v) { auto_popup_ = v; }

  // Fires OnPopup, shows the menu at a screen point aligned by Alignment,
  // and returns when it closes; a chosen item is clicked.
  virtual void Popup(int x, int y);
  // The flags given to the platform for the current alignment.
  UINT TrackFlags() const;

  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;

private:
  TMenuItem* items_;
  TPopupAlignment alignment_ = paLeft;
  bool auto_popup_ = true;
};

}  // namespace orlo
