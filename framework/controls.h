// Control bases: windowless and windowed controls, their messages, mouse,
// keyboard, focus, fonts, colours and painting.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "colors.h"
#include "components.h"
#include "graphics.h"
#include "messages.h"

namespace orlo {

class TWinControl;
class TPopupMenu;
class TCustomForm;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TDragMode : uint8_t { dmManual, dmAutomatic };
// Border styles; controls use the first two, forms all of them.
enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// Shift state: which modifier keys and mouse buttons are down.
using TShiftState = uint8_t;
enum : TShiftState {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64,
};
TShiftState KeysToShiftState(WPARAM keys);  // from a mouse message's key flags
TShiftState KeyDataToShiftState(LPARAM keyData);
TShiftState KeyboardShiftState();          // from the platform's keyboard state table

const TEnumNames& AlignNames();
const TEnumNames& AlignmentNames();
const TEnumNames& DragModeNames();
const TEnumNames& BorderStyleNames();

using TMouseEvent = TEvent<void(TObject*, TMouseButton, TShiftState, int, int)>;
using TMouseMoveEvent = TEvent<void(TObject*, TShiftState, int, int)>;
using TKeyEvent = TEvent<void(TObject*, uint16_t&, TShiftState)>;
using TKeyPressEvent = TEvent<void(TObject*, char&)>;

// Control style: what the framework does for a control.
enum : uint32_t {
  csAcceptsControls = 1 << 0,
  csCaptureMouse = 1 << 1,
  csClickEvents = 1 << 2,
  csFramed = 1 << 3,
  csSetCaption = 1 << 4,
  csOpaque = 1 << 5,          // paints every pixel: repaints need no erase
  csDoubleClicks = 1 << 6,    // double clicks reach DblClick
  csFixedWidth = 1 << 7,
  csFixedHeight = 1 << 8,
  csNoStdEvents = 1 << 9,
};
// Control state.
enum : uint32_t {
  csLButtonDown = 1 << 0,
  csClicked = 1 << 1,
  csFocusing = 1 << 2,
  csCreating = 1 << 3,
  csAlignmentNeeded = 1 << 4,
  csPaintCopy = 1 << 5,
};

// What a description set of a control's geometry, stored or left at a
// published default: the form scales only those.
enum : uint8_t { sfLeft = 1, sfTop = 2, sfWidth = 4, sfHeight = 8, sfFont = 16 };

struct THintInfo;

class TControl : public TComponent {
  ORLO_CLASS(TControl)
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Geometry, in the parent's client coordinates.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return TRect(left_, top_, left_ + width_, top_ + height_); }
  virtual TRect ClientRect() const { return TRect(0, 0, ClientWidth(), ClientHeight()); }
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  virtual TPoint ClientOrigin() const;  // screen position of the client area's top-left corner
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v);

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent up to a form visible too.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);

  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& v) { SetText(v); }
  virtual std::string GetText() const { return text_; }
  virtual void SetText(const std::string& v);

  TFont* Font() const { return font_; }
  void SetFont(TFont* f) { font_->Assign(f); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool v);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool v);
  int Cursor() const { return cursor_; }
  void SetCursor(int v);
  int DragCursor() const { return drag_cursor_; }
  void SetDragCursor(int v) { drag_cursor_ = v; }
  TDragMode DragMode() const { return drag_mode_; }
  void SetDragMode(TDragMode v) { drag_mode_ = v; }
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* m);
  void Notification(TComponent* c, TOperation op) override;
  int HelpContext() const { return help_context_; }
  void SetHelpContext(int v) { help_context_ = v; }

  uint32_t ControlStyle() const { return control_style_; }
  void SetControlStyle(uint32_t v) { control_style_ = v; }
  uint32_t ControlState() const { return control_state_; }
  void SetControlState(uint32_t v) { control_state_ = v; }
  uint8_t ScaleFlags() const { return scale_flags_; }

  // Messages: everything goes through WndProc, which hands what it does not
  // take itself to Dispatch; a class extends Dispatch for the numbers it handles.
  virtual void WndProc(TMessage& m);
  virtual void Dispatch(TMessage& m);
  virtual void DefaultHandler(TMessage& m);
  LRESULT Perform(UINT msg, WPARAM w = 0, LPARAM l = 0);

  virtual void Invalidate();
  virtual void Update();
  void Repaint() { Invalidate(); Update(); }
  void BringToFront();

  virtual void Click();
  virtual void DblClick();

  // The form this control is on, or null.
  TCustomForm* ParentForm() const;
  // Scales position, size and an own font by m / d; while the form scales
  // after reading its description, only what the description set.
  virtual void ChangeScale(int m, int d);

  void PropertyRead(const std::string& path) override;
  void Loaded() override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

protected:
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void FontChanged();  // the control's font object changed
  virtual void RequestAlign();
  virtual void DoSetBounds(int left, int top, int width, int height);
  // A graphic control's invalidation of its own rectangle on the parent.
  void InvalidateControl(bool isVisible, bool isOpaque);

  void SetControlText(const std::string& v) { text_ = v; }
  bool IsOpaque() const { return control_style_ & csOpaque; }

  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TWinControl* parent_ = nullptr;

private:
  friend class TWinControl;
  friend class TDestroyWatch;
  void HandleMouse(TMessage& m);
  void FontObjectChanged(TObject*);
  void CMParentFontChanged(TMessage& m);
  void CMParentColorChanged(TMessage& m);
  void CMParentShowHintChanged(TMessage& m);
  void CMMouseEnterLeave(TMessage& m);
  void CMHitTest(TMessage& m);

  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  TFont* font_ = nullptr;
  bool parent_font_ = true;
  bool assigning_parent_font_ = false;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  std::string hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  int cursor_ = 0;
  int drag_cursor_ = -12;
  TDragMode drag_mode_ = dmManual;
  TPopupMenu* popup_menu_ = nullptr;
  int help_context_ = 0;
  TAlign align_ = alNone;
  uint32_t control_style_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  // Set by the destructor: lets a handler on the stack see that a call it
  // made (a click handler, say) destroyed the control.
  bool* destroyed_flag_ = nullptr;
  uint32_t control_state_ = 0;
  uint8_t scale_flags_ = 0;
};

// A control painted by its parent: no window of its own.
class TGraphicControl : public TControl {
  ORLO_CLASS(TGraphicControl)
public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_; }
  // Called with the canvas ready: origin at the control, clipped to it.
  virtual void Paint() {}
  void PaintOn(HDC dc);  // used by the parent's paint handler

protected:
  void Dispatch(TMessage& m) override;

private:
  TCanvas* canvas_;
};

// A control with its own platform window.
class TWinControl : public TControl {
  ORLO_CLASS(TWinControl)
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();  // creates the window when it does not exist yet
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  static TWinControl* FromHandle(HWND h);  // the control of one of our windows, or null

  // Children, in creation order (windowless and windowed alike).
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_[static_cast<size_t>(i)]; }
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  // The topmost enabled-or-not child at a client point (windowless children
  // are searched from the last created), or null.
  TControl* ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls = false) const;
  void Broadcast(TMessage& m);  // to every child until one answers non-zero
  void NotifyControls(UINT msg);  // to every child, answers ignored
  void SetChildOrder(TComponent* child, int order) override;

  int TabOrder() const;
  void SetTabOrder(int v);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool v);
  // Windowed children in tab order.
  const std::vector<TWinControl*>& TabList() const { return tab_list_; }
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                               bool checkParent) const;
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
  void SelectFirst();

  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  TBrush* Brush() const { return brush_; }
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int v);
  void Realign();

  std::string GetText() const override;
  void SetText(const std::string& v) override;
  // The window's text as it is, for windows made by the wide calls (in
  // UTF-16); GetText shows it in the code page, with "?" for what the code
  // page cannot hold.
  std::wstring WideText() const;
  void SetWideText(const std::wstring& v);
  TRect ClientRect() const override;
  int ClientWidth() const override { return ClientRect().Right; }
  int ClientHeight() const override { return ClientRect().Bottom; }
  bool Showing() const override;
  TPoint ClientOrigin() const override;

  void Invalidate() override;
  void Update() override;
  void WndProc(TMessage& m) override;
  void Dispatch(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;
  void ChangeScale(int m, int d) override;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

protected:
  struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::string WinClassName;       // the class our window is registered as
    std::string BaseClassName;      // a platform class to superclass ("EDIT"), or empty
    UINT ClassStyle = CS_DBLCLKS;
    HBRUSH Background = nullptr;
    // The window holds any text: class, window and default procedure are the
    // platform's wide ones, so nothing typed or pasted is cut to the code page.
    bool Unicode = false;
  };
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateHandle();
  virtual void DestroyWnd();
  void DestroyHandle();
  // The window exists: push the state kept while it did not.
  virtual void CreateWindowHandleDone() {}

  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void PaintWindow(HDC dc);  // the control's own painting
  void PaintHandler(TMessage& m);
  void PaintControls(HDC dc, TControl* first);
  virtual void AlignControls(TControl* control, TRect& rect);
  void DoSetBounds(int left, int top, int width, int height) override;
  void FontChanged() override;
  // Opaque controls erase nothing: their paint covers every pixel.
  virtual void EraseBackground(HDC dc);
  virtual bool IsDialogKey(uint16_t key) const;

  HWND handle_ = nullptr;
  WNDPROC default_proc_ = nullptr;
  bool unicode_ = false;  // the window was made by the wide calls

private:
  template <bool Wide>
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);
  void AttachHandle(HWND h);
  void UpdateBounds();
  bool DoKeyDown(TMessage& m);
  bool DoKeyUp(TMessage& m);
  bool DoKeyPress(TMessage& m);
  void CNKeyDown(TMessage& m);
  void CNChar(TMessage& m);
  void UpdateTabOrder(int v);
  void ReflectNotification(TMessage& m);
  // A window class of ours rather than a platform control's.
  bool OwnClass() const;
  std::wstring KeptWideText(const std::string& text) const;

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tab_list_;
  TBrush* brush_;
  bool tab_stop_ = false;
  int border_width_ = 0;
  int pending_tab_order_ = -1;
  std::wstring kept_wide_text_;  // a wide window's text while it has none
};

// A windowed control with its own canvas and a virtual Paint.
class TCustomControl : public TWinControl {
  ORLO_CLASS(TCustomControl)
public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_; }
  virtual void Paint() {}

protected:
  void PaintWindow(HDC dc) override;

private:
  TCanvas* canvas_;
};

// Watches a control across calls that may destroy it:
//   TDestroyWatch watch(this); DoSomething(); if (watch.Destroyed()) return;
class TDestroyWatch {
public:
  explicit TDestroyWatch(TControl* c) : control_(c), outer_(c->destroyed_flag_) {
    c->destroyed_flag_ = &destroyed_;
  }
  ~TDestroyWatch() {
    if (destroyed_) {
      if (outer_) *outer_ = true;
    } else {
      control_->destroyed_flag_ = outer_;
    }
  }
  TDestroyWatch(const TDestroyWatch&) = delete;
  TDestroyWatch& operator=(const TDestroyWatch&) = delete;
  bool Destroyed() const { return destroyed_; }

private:
  TControl* control_;
  bool* outer_;
  bool destroyed_ = false;
};

// The control that holds the mouse (ours, or null), and its setting.
TControl* CaptureControl();
void SetCaptureControl(TControl* c);
// The control under a screen point: the innermost control of ours there,
// windowed or windowless; with allowDisabled, disabled ones too (windowed
// ones included, which the platform's own lookup passes over). Idle
// processing and hints both find the control under the pointer here.
TControl* FindControlAt(TPoint screenPoint, bool allowDisabled);
TWinControl* FindControl(HWND h);

}  // namespace orlo
