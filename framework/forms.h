// Forms (top-level windows built from descriptions), modal showing, and the
// screen.
#pragma once
#include <string>
#include <vector>

#include "controls.h"

namespace orlo {

enum TPosition : uint8_t {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter,
};
enum TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = uint8_t;  // bits of TBorderIcon
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

const TEnumNames& PositionNames();
const TEnumNames& BorderIconNames();
const TEnumNames& FormBorderStyleNames();

using TCloseEvent = TEvent<void(TObject*, TCloseAction&)>;
using TCloseQueryEvent = TEvent<void(TObject*, bool&)>;

class TCustomForm : public TWinControl {
  ORLO_CLASS(TCustomForm)
public:
  // A form without a description (the message window builds its own).
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // Reads the description named after the class (a resource "TFORM1" for
  // TForm1), scales it, then runs OnCreate. Called by the create operations
  // below once the object is complete.
  virtual void AfterConstruction();
  // Allocates, constructs and sets up a form of class T. A failure destroys
  // the half-made form and passes the error on.
  template <class T>
  static T* Create(TComponent* owner) {
    T* form = new T(owner);
    try {
      form->AfterConstruction();
    } catch (...) {
      delete form;
      throw;
    }
    return form;
  }
  // Reads a description from a stream into this form (used by AfterConstruction).
  void ReadDescription(class TStream& stream);

  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* c);
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int v) { modal_result_ = v; }
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool v) { key_preview_ = v; }
  int PixelsPerInch() const { return pixels_per_inch_; }
  // True while the form scales its controls after reading its description:
  // each control then scales only the values the description set.
  bool ScalingDescription() const { return scaling_description_; }
  int TextHeight() const { return text_height_; }
  int FormClientWidth() const { return ClientWidth(); }
  int FormClientHeight() const { return ClientHeight(); }
  void SetFormClientWidth(int v);
  void SetFormClientHeight(int v);
  bool Modal() const { return modal_; }

  // Keeps the user's input away from the window while block holds, the way a
  // modal window keeps it from the others: Enabled and the controls' looks
  // stay as they are. Meanwhile the pointer over the whole window is the
  // busy one (crAppStart): the window works and answers, but takes nothing.
  void BlockInput(bool block);
  bool InputBlocked() const { return input_blocked_; }

  void Close();
  bool CloseQuery();
  int ShowModal();
  void Release();  // destroys the form once the current message is handled
  bool Active() const;

  // Focus bookkeeping for the controls on the form.
  void FocusControl(TWinControl* c);
  void SetFocusedControl(TWinControl* c);
  void ControlDisabled(TWinControl* c);
  void ControlRemoved(TWinControl* c);

  bool ReadDefinedProperty(const std::string& name, TReader& reader) override;
  void Loaded() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  void Dispatch(TMessage& m) override;
  bool Showing() const override;
  // Before the window exists the client area is the outer size less the
  // frame that the border style will give it.
  TRect ClientRect() const override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  virtual void DoCreate();
  virtual void DoClose(TCloseAction& action);
  virtual void DoShow();
  virtual void DoHide();
  virtual void Activate();
  virtual void Deactivate();
  void PaintWindow(HDC dc) override {}

private:
  void ScaleAfterReading();
  void FrameStyle(DWORD& style, DWORD& exStyle) const;
  void CMDialogKey(TMessage& m);
  void CMVisibleChanged(TMessage& m);
  void CloseModal();
  void PlaceOnFirstShow();

  TWinControl* active_control_ = nullptr;
  TWinControl* focused_control_ = nullptr;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_ = (1 << biSystemMenu) | (1 << biMinimize) | (1 << biMaximize);
  TPosition position_ = poDesigned;
  int modal_result_ = 0;
  bool modal_ = false;
  bool input_blocked_ = false;
  bool key_preview_ = false;
  bool placed_ = false;
  int pixels_per_inch_ = 0;
  int text_height_ = 0;
  int stored_client_width_ = 0;
  int stored_client_height_ = 0;
  bool scaling_description_ = false;
};

class TForm : public TCustomForm {
  ORLO_CLASS(TForm)
public:
  using TCustomForm::TCustomForm;
};

// The screen: its size and density, the forms, and cursor handles.
class TScreen {
public:
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int PixelsPerInch() const;
  HCURSOR CursorHandle(int cursor) const;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int i) const { return forms_[static_cast<size_t>(i)]; }
  TCustomForm* ActiveForm() const;

private:
  friend class TCustomForm;
  std::vector<TCustomForm*> forms_;
};
extern TScreen* const Screen;

// Disables every other visible, enabled top-level window of this thread
// (while a modal window or a message box is up) and gives them back.
std::vector<HWND> DisableTaskWindows(HWND except);
void EnableTaskWindows(const std::vector<HWND>& list);

}  // namespace orlo
