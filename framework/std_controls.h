// The standard controls: the text label (windowless), and the edit, memo,
// list box, push button, radio button and group box, which are the
// platform's own control classes behind our window procedure.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "controls.h"
#include "strings.h"

namespace orlo {

// ---------------------------------------------------------------------------
// Labels

// A caption painted on the parent's surface. AutoSize fits the rectangle to
// the text (measured on the screen) after every change of the text, the font,
// AutoSize or WordWrap, except while the label is read from a description.
class TCustomLabel : public TGraphicControl {
  ORLO_CLASS(TCustomLabel)
public:
  explicit TCustomLabel(TComponent* owner);  // 65 x 17, auto-sized, opaque

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* c);
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool v);
  // Transparent is the absence of csOpaque in the control style.
  bool Transparent() const { return !IsOpaque(); }
  void SetTransparent(bool v);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  // Selects line index whole and scrolls it into view; a negative index
  // takes the selection away and leaves the view as it is.
  void SelectLine(int index);

  void Paint() override;
  void Notification(TComponent* c, TOperation op) override;

protected:
  void Dispatch(TMessage& m) override;
  // Draws (or with DT_CALCRECT measures) the caption into r on a canvas.
  virtual void DoDrawText(TCanvas& canvas, TRect& r, UINT flags);
  void AdjustBounds();

private:
  void CMDialogChar(TMessage& m);

  TAlignment alignment_ = taLeftJustify;
  bool auto_size_ = true;
  bool show_accel_char_ = true;
  bool word_wrap_ = false;
  TWinControl* focus_control_ = nullptr;
};

class TLabel : public TCustomLabel {
  ORLO_CLASS(TLabel)
public:
  using TCustomLabel::TCustomLabel;
};

// True when text's first "&" is followed by the character key (ASCII letters
// compared ignoring case).
bool IsAccel(unsigned key, const std::string& text);

// ---------------------------------------------------------------------------
// Edits

class TCustomEdit : public TWinControl {
  ORLO_CLASS(TCustomEdit)
public:
  explicit TCustomEdit(TComponent* owner);

  std::string Text() const { return GetText(); }
  int MaxLength() const { return max_length_; }  // 0: no limit
  void SetMaxLength(int v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  // Whether the selection vanishes while another window has the focus.
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool v);
  // The input method's name: kept for the description, not acted on.
  const std::string& ImeName() const { return ime_name_; }
  void SetImeName(const std::string& v) { ime_name_ = v; }

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWindowHandleDone() override;
  void Dispatch(TMessage& m) override;
  virtual void Change();

private:
  int max_length_ = 0;
  bool read_only_ = false;
  bool hide_selection_ = true;
  std::string ime_name_;
};

// A one-line edit that holds any text, typed, pasted or set (WideText): the
// code page's form of it is what Text gives.
class TEdit : public TCustomEdit {
  ORLO_CLASS(TEdit)
public:
  using TCustomEdit::TCustomEdit;

protected:
  void CreateParams(TCreateParams& p) override;
};

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
const TEnumNames& ScrollStyleNames();

class TMemo;

// The memo's lines: entries of its text, each ending in CR LF. Works on the
// memo's window text when it has a window and on the kept caption before.
class TMemoStrings : public TStrings {
  ORLO_CLASS(TMemoStrings)
public:
  explicit TMemoStrings(TMemo* memo) : memo_(memo) {}
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

protected:
  std::string Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const std::string& s) override;
  void SetUpdateState(bool updating) override;

private:
  struct TLine {
    size_t Start;  // first byte
    size_t End;    // the line end (or the text's end)
    size_t Next;   // the next line's first byte
  };
  // Lines split at CR LF, CR or LF; a line end at the very end adds no line.
  static std::vector<TLine> Split(const std::string& text);

  TMemo* memo_;
};

class TMemo : public TCustomEdit {
  ORLO_CLASS(TMemo)
public:
  explicit TMemo(TComponent* owner);  // 185 x 89, word wrap on
  ~TMemo() override;

  TStrings* Lines() const { return lines_; }
  void SetLines(TStrings* v) { lines_->Assign(v); }
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle v);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  // Selects line index whole and scrolls it into view; a negative index
  // takes the selection away and leaves the view as it is.
  void SelectLine(int index);

protected:
  void CreateParams(TCreateParams& p) override;

private:
  TMemoStrings* lines_;
  TScrollStyle scroll_bars_ = ssNone;
  bool word_wrap_ = true;
};

// ---------------------------------------------------------------------------
// List box

class TListBox;

// The list box's items: the platform list while the window exists, a plain
// list before (pushed into the window when it is made).
class TListBoxStrings : public TStrings {
  ORLO_CLASS(TListBoxStrings)
public:
  explicit TListBoxStrings(TListBox* box) : box_(box) {}
  int Add(const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

protected:
  std::string Get(int index) const override;
  int GetCount() const override;
  void Put(int index, const std::string& s) override;
  void SetUpdateState(bool updating) override;

private:
  TListBox* box_;
};

// A single-selection list. OnClick fires when the user changes the selection
// (the platform's LBN_SELCHANGE, by mouse or keys), never for a double click.
class TListBox : public TWinControl {
  ORLO_CLASS(TListBox)
public:
  explicit TListBox(TComponent* owner);  // 121 x 97
  ~TListBox() override;

  TStrings* Items() const { return items_; }
  void SetItems(TStrings* v) { items_->Assign(v); }
  int ItemIndex() const;
  void SetItemIndex(int v);
  int ItemHeight() const;
  void SetItemHeight(int v);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  const std::string& ImeName() const { return ime_name_; }
  void SetImeName(const std::string& v) { ime_name_ = v; }

protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& m) override;
  void FontChanged() override;
  void ChangeScale(int m, int d) override;

private:
  friend class TListBoxStrings;
  HWND Wnd() const { return handle_; }

  TListBoxStrings* items_;
  TStringList* kept_;  // the items while there is no window
  int kept_index_ = -1;
  int item_height_ = 13;
  bool item_height_set_ = false;
  bool sorted_ = false;
  std::string ime_name_;
};

// ---------------------------------------------------------------------------
// Buttons

// A push button. Enter clicks the focused button, or the Default one while no
// button has the focus; Escape clicks the Cancel one. A click gives the
// parent form a non-zero ModalResult.
class TButton : public TWinControl {
  ORLO_CLASS(TButton)
public:
  explicit TButton(TComponent* owner);  // 75 x 25, tab stop

  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int v) { modal_result_ = v; }

  void Click() override;

protected:
  void CreateParams(TCreateParams& p) override;
  void Dispatch(TMessage& m) override;

private:
  bool AnswersEnter() const;

  bool default_ = false;
  bool cancel_ = false;
  int modal_result_ = 0;
};

// A round option button. Checking one unchecks its sibling radio buttons and
// clicks it; the platform's click checks it.
class TRadioButton : public TWinControl {
  ORLO_CLASS(TRadioButton)
public:
  explicit TRadioButton(TComponent* owner);  // 113 x 17

  bool Checked() const { return checked_; }
  void SetChecked(bool v);

protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWindowHandleDone() override;
  void Dispatch(TMessage& m) override;

private:
  bool checked_ = false;
};

// ---------------------------------------------------------------------------
// Group box

// An etched frame with its caption in the top edge; holds other controls.
class TCustomGroupBox : public TCustomControl {
  ORLO_CLASS(TCustomGroupBox)
public:
  explicit TCustomGroupBox(TComponent* owner);  // 185 x 105

  // The etched look (default); off: one frame in the window-frame colour.
  bool Ctl3D() const { return ctl3d_; }
  void SetCtl3D(bool v);

  void Paint() override;

protected:
  void Dispatch(TMessage& m) override;

private:
  bool ctl3d_ = true;
};

class TGroupBox : public TCustomGroupBox {
  ORLO_CLASS(TGroupBox)
public:
  using TCustomGroupBox::TCustomGroupBox;
};

}  // namespace orlo
