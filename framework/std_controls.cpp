#include "std_controls.h"

#include "class_builder.h"
#include "forms.h"

namespace orlo {

namespace {

const UINT kAlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};

unsigned UpperAscii(unsigned c) {
  c &= 0xFF;
  return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

}  // namespace

bool IsAccel(unsigned key, const std::string& text) {
  size_t p = text.find('&');
  if (p == std::string::npos || p + 1 >= text.size()) return false;
  return UpperAscii(static_cast<unsigned char>(text[p + 1])) == UpperAscii(key);
}

// ---------------------------------------------------------------------------
// TCustomLabel

ORLO_DEFINE_CLASS(TCustomLabel, TGraphicControl) {}

ORLO_DEFINE_CLASS(TLabel, TCustomLabel) {
  p.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, AlignmentNames(), taLeftJustify);
  p.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
  p.Component("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
  p.Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true);
  p.Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false);
  p.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  width_ = 65;
  height_ = 17;
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == auto_size_) return;
  auto_size_ = v;
  AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
  focus_control_ = c;
  if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* c, TOperation op) {
  TGraphicControl::Notification(c, op);
  if (op == TOperation::opRemove && c == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == show_accel_char_) return;
  show_accel_char_ = v;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == Transparent()) return;
  SetControlStyle(v ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == word_wrap_) return;
  word_wrap_ = v;
  AdjustBounds();
}

void TCustomLabel::DoDrawText(TCanvas& canvas, TRect& r, UINT flags) {
  std::string text = Caption();
  // An empty label still measures one line.
  if ((flags & DT_CALCRECT) && (text.empty() || (show_accel_char_ && text == "&"))) text += ' ';
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  canvas.SetFont(Font());
  if (!Enabled()) canvas.Font()->SetColor(clGrayText);
  canvas.DrawText(text, r, flags);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  DoDrawText(*c, r, DT_EXPANDTABS | (word_wrap_ ? DT_WORDBREAK : 0) | kAlignmentFlags[alignment_]);
}

void TCustomLabel::AdjustBounds() {
  // A label being read keeps the bounds its description stores.
  if (Reading() || Loading() || !auto_size_) return;
  TRect r(0, 0, Width(), Height());
  {
    TScreenCanvas screen;
    DoDrawText(screen, r, DT_EXPANDTABS | DT_CALCRECT | (word_wrap_ ? DT_WORDBREAK : 0));
  }
  int x = Left();
  if (alignment_ == taRightJustify) x += Width() - r.Right;  // the right edge stays
  SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCustomLabel::CMDialogChar(TMessage& m) {
  if (focus_control_ && Enabled() && show_accel_char_ &&
      IsAccel(static_cast<unsigned>(m.WParam), Caption()) && focus_control_->CanFocus()) {
    focus_control_->SetFocus();
    m.Result = 1;
  }
}

void TCustomLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(m);
      AdjustBounds();
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(m);
      return;
    default:
      TGraphicControl::Dispatch(m);
  }
}

// ---------------------------------------------------------------------------
// TCustomEdit, TEdit

ORLO_DEFINE_CLASS(TCustomEdit, TWinControl) {}

ORLO_DEFINE_CLASS(TEdit, TCustomEdit) {
  p.String("ImeName", &TEdit::ImeName, &TEdit::SetImeName);
  p.Int("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength, 0);
  p.Bool("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly, false);
  p.String("Text", &TEdit::Text, &TEdit::SetText);
  p.Event("OnChange", &TEdit::OnChange);
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  // Not a fixed height: on a denser screen the edit grows with its font.
  SetControlStyle(csClickEvents | csSetCaption | csDoubleClicks);
  width_ = 121;
  height_ = 21;
  SetTabStop(true);
  SetColor(clWindow);
}

void TCustomEdit::SetMaxLength(int v) {
  if (v < 0) v = 0;
  if (v == max_length_) return;
  max_length_ = v;
  if (handle_) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

void TCustomEdit::SetReadOnly(bool v) {
  if (v == read_only_) return;
  read_only_ = v;
  if (handle_) SendMessageA(handle_, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetHideSelection(bool v) {
  if (v == hide_selection_) return;
  hide_selection_ = v;
  RecreateWnd();  // the platform takes the style only when the window is made
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.BaseClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (read_only_) p.Style |= ES_READONLY;
  if (!hide_selection_) p.Style |= ES_NOHIDESEL;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Unicode = true;
}

void TCustomEdit::CreateWindowHandleDone() {
  SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == EN_CHANGE) Change();
    return;
  }
  TWinControl::Dispatch(m);
}

// ---------------------------------------------------------------------------
// TMemo and its lines

const TEnumNames& ScrollStyleNames() {
  static const TEnumNames n{"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
  return n;
}

ORLO_DEFINE_CLASS(TMemoStrings, TStrings) {}

std::vector<TMemoStrings::TLine> TMemoStrings::Split(const std::string& text) {
  std::vector<TLine> lines;
  size_t p = 0;
  const size_t n = text.size();
  while (p < n) {
    TLine line{p, p, p};
    while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
    line.End = p;
    if (p < n && text[p] == '\r') ++p;
    if (p < n && text[p] == '\n') ++p;
    line.Next = p;
    lines.push_back(line);
  }
  return lines;
}

std::string TMemoStrings::Get(int index) const {
  const std::string text = memo_->GetText();
  const std::vector<TLine> lines = Split(text);
  if (index < 0 || index >= static_cast<int>(lines.size())) IndexError();
  const TLine& l = lines[static_cast<size_t>(index)];
  return text.substr(l.Start, l.End - l.Start);
}

int TMemoStrings::GetCount() const { return static_cast<int>(Split(memo_->GetText()).size()); }

void TMemoStrings::Insert(int index, const std::string& s) {
  std::string text = memo_->GetText();
  const std::vector<TLine> lines = Split(text);
  const int count = static_cast<int>(lines.size());
  if (index < 0 || index > count) IndexError();
  if (index < count) {
    text.insert(lines[static_cast<size_t>(index)].Start, s + "\r\n");
  } else {
    // A last line without its line end gets one first.
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') text += "\r\n";
    text += s + "\r\n";
  }
  memo_->SetText(text);
}

void TMemoStrings::Delete(int index) {
  std::string text = memo_->GetText();
  const std::vector<TLine> lines = Split(text);
  if (index < 0 || index >= static_cast<int>(lines.size())) IndexError();
  const TLine& l = lines[static_cast<size_t>(index)];
  text.erase(l.Start, l.Next - l.Start);
  memo_->SetText(text);
}

void TMemoStrings::Put(int index, const std::string& s) {
  std::string text = memo_->GetText();
  const std::vector<TLine> lines = Split(text);
  if (index < 0 || index >= static_cast<int>(lines.size())) IndexError();
  const TLine& l = lines[static_cast<size_t>(index)];
  text.replace(l.Start, l.End - l.Start, s);
  memo_->SetText(text);
}

void TMemoStrings::Clear() { memo_->SetText(""); }

void TMemoStrings::SetUpdateState(bool updating) {
  if (!memo_->HandleAllocated()) return;
  SendMessageA(memo_->Handle(), WM_SETREDRAW, !updating, 0);
  if (!updating) memo_->Invalidate();
}

ORLO_DEFINE_CLASS(TMemo, TCustomEdit) {
  p.String("ImeName", &TMemo::ImeName, &TMemo::SetImeName);
  p.Object("Lines", &TMemo::Lines, &TMemo::SetLines);
  p.Int("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength, 0);
  p.Bool("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly, false);
  p.Bool("HideSelection", &TMemo::HideSelection, &TMemo::SetHideSelection, true);
  p.Enum("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars, ScrollStyleNames(), ssNone);
  p.Bool("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, true);
  p.Event("OnChange", &TMemo::OnChange);
}

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) {
  width_ = 185;
  height_ = 89;
  lines_ = new TMemoStrings(this);
}

TMemo::~TMemo() {
  BeginDestruction();
  delete lines_;
}

void TMemo::SetScrollBars(TScrollStyle v) {
  if (v == scroll_bars_) return;
  scroll_bars_ = v;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool v) {
  if (v == word_wrap_) return;
  word_wrap_ = v;
  RecreateWnd();
}

void TMemo::SelectLine(int index) {
  HWND h = Handle();
  if (index < 0) {
    DWORD start = 0;
    SendMessageA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    SendMessageA(h, EM_SETSEL, start, start);
    return;
  }
  const LRESULT start = SendMessageA(h, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  if (start < 0) return;
  const LRESULT length = SendMessageA(h, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  SendMessageA(h, EM_SCROLLCARET, 0, 0);
}

void TMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  static const DWORD kScrollBars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  if (word_wrap_) p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  p.Style |= ES_MULTILINE | kScrollBars[scroll_bars_];
}

// ---------------------------------------------------------------------------
// TListBox and its items

ORLO_DEFINE_CLASS(TListBoxStrings, TStrings) {}

std::string TListBoxStrings::Get(int index) const {
  if (!box_->Wnd()) return box_->kept_->Strings(index);
  LRESULT len = SendMessageA(box_->Wnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index < 0 || len == LB_ERR) IndexError();
  std::string s(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = SendMessageA(box_->Wnd(), LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(s.data()));
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

int TListBoxStrings::GetCount() const {
  if (!box_->Wnd()) return box_->kept_->Count();
  return static_cast<int>(SendMessageA(box_->Wnd(), LB_GETCOUNT, 0, 0));
}

int TListBoxStrings::Add(const std::string& s) {
  if (box_->Wnd()) {
    LRESULT i = SendMessageA(box_->Wnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    if (i < 0) throw EOutOfResources(res::SOutOfResources);
    return static_cast<int>(i);
  }
  if (!box_->sorted_) return box_->kept_->Add(s);
  // Kept in the order the sorted window will show them.
  int i = 0;
  while (i < box_->kept_->Count() && lstrcmpiA(box_->kept_->Strings(i).c_str(), s.c_str()) <= 0) ++i;
  box_->kept_->Insert(i, s);
  return i;
}

void TListBoxStrings::Insert(int index, const std::string& s) {
  if (!box_->Wnd()) {
    box_->kept_->Insert(index, s);
    return;
  }
  if (index < 0 || index > GetCount()) IndexError();
  LRESULT r = SendMessageA(box_->Wnd(), LB_INSERTSTRING, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(s.c_str()));
  if (r < 0) throw EOutOfResources(res::SOutOfResources);
}

void TListBoxStrings::Delete(int index) {
  if (!box_->Wnd()) {
    box_->kept_->Delete(index);
    return;
  }
  if (index < 0 || index >= GetCount()) IndexError();
  SendMessageA(box_->Wnd(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TListBoxStrings::Put(int index, const std::string& s) {
  if (!box_->Wnd()) {
    box_->kept_->SetStrings(index, s);
    return;
  }
  int selected = box_->ItemIndex();
  TStrings::Put(index, s);
  box_->SetItemIndex(selected);
}

void TListBoxStrings::Clear() {
  if (!box_->Wnd()) {
    box_->kept_->Clear();
    return;
  }
  SendMessageA(box_->Wnd(), LB_RESETCONTENT, 0, 0);
}

void TListBoxStrings::SetUpdateState(bool updating) {
  if (!box_->Wnd()) return;
  SendMessageA(box_->Wnd(), WM_SETREDRAW, !updating, 0);
  if (!updating) box_->Invalidate();
}

ORLO_DEFINE_CLASS(TListBox, TWinControl) {
  p.String("ImeName", &TListBox::ImeName, &TListBox::SetImeName);
  p.Int("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight);
  p.Object("Items", &TListBox::Items, &TListBox::SetItems);
  p.Bool("Sorted", &TListBox::Sorted, &TListBox::SetSorted, false);
}

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
  // No click from the mouse handling: OnClick follows the selection only.
  SetControlStyle(csSetCaption);
  width_ = 121;
  height_ = 97;
  SetTabStop(true);
  SetColor(clWindow);
  items_ = new TListBoxStrings(this);
  kept_ = new TStringList();
}

TListBox::~TListBox() {
  BeginDestruction();
  delete items_;
  delete kept_;
}

int TListBox::ItemIndex() const {
  if (!handle_) return kept_index_;
  return static_cast<int>(SendMessageA(handle_, LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int v) {
  if (!handle_) {
    kept_index_ = v;
    return;
  }
  if (ItemIndex() != v) SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(v), 0);
}

int TListBox::ItemHeight() const {
  if (!handle_) return item_height_;
  return static_cast<int>(SendMessageA(handle_, LB_GETITEMHEIGHT, 0, 0));
}

void TListBox::SetItemHeight(int v) {
  if (v <= 0) return;
  item_height_ = v;
  item_height_set_ = true;
  if (handle_) {
    SendMessageA(handle_, LB_SETITEMHEIGHT, 0, MAKELPARAM(v, 0));
    Invalidate();
  }
}

void TListBox::SetSorted(bool v) {
  if (v == sorted_) return;
  sorted_ = v;
  RecreateWnd();
}

void TListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.BaseClassName = "LISTBOX";
  p.Style |= WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  if (sorted_) p.Style |= LBS_SORT;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateWindowHandleDone() {
  if (item_height_set_) SendMessageA(handle_, LB_SETITEMHEIGHT, 0, MAKELPARAM(item_height_, 0));
  for (int i = 0; i < kept_->Count(); ++i)
    SendMessageA(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kept_->Strings(i).c_str()));
  kept_->Clear();
  if (kept_index_ >= 0) SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(kept_index_), 0);
}

void TListBox::DestroyWnd() {
  if (handle_) {
    // The window takes its items with it: keep them for the next one.
    kept_->Clear();
    int n = items_->Count();
    for (int i = 0; i < n; ++i) kept_->Add(items_->Strings(i));
    kept_index_ = ItemIndex();
  }
  TWinControl::DestroyWnd();
}

void TListBox::FontChanged() {
  TWinControl::FontChanged();
  // A new font makes the platform measure its items again.
  if (handle_ && item_height_set_)
    SendMessageA(handle_, LB_SETITEMHEIGHT, 0, MAKELPARAM(item_height_, 0));
}

void TListBox::ChangeScale(int m, int d) {
  TWinControl::ChangeScale(m, d);
  // A fixed row height grows with the font, or the rows would overlap.
  if (m != d && item_height_set_) SetItemHeight(MulDiv(item_height_, m, d));
}

void TListBox::Dispatch(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    switch (HIWORD(m.WParam)) {
      case LBN_SELCHANGE: Click(); break;
      case LBN_DBLCLK: DblClick(); break;
      default: break;
    }
    return;
  }
  TWinControl::Dispatch(m);
}

// ---------------------------------------------------------------------------
// TButton

ORLO_DEFINE_CLASS(TButton, TWinControl) {
  p.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
  p.Bool("Default", &TButton::Default, &TButton::SetDefault, false);
  p.Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0);
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  // The click comes from the platform's BN_CLICKED, not from the mouse handling.
  SetControlStyle(csSetCaption | csDoubleClicks);
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  if (handle_)
    SendMessageA(handle_, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (modal_result_ != 0)
    if (TCustomForm* f = ParentForm()) f->SetModalResult(modal_result_);
  TWinControl::Click();
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.BaseClassName = "BUTTON";
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

bool TButton::AnswersEnter() const {
  if (Focused()) return true;
  if (!default_) return false;
  // The default button stands back while another push button has the focus.
  return Cast<TButton>(FindControl(GetFocus())) == nullptr;
}

void TButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY:
      if (((m.WParam == VK_RETURN && AnswersEnter()) || (m.WParam == VK_ESCAPE && cancel_)) &&
          KeyDataToShiftState(m.LParam) == 0 && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TWinControl::Dispatch(m);
}

// ---------------------------------------------------------------------------
// TRadioButton

ORLO_DEFINE_CLASS(TRadioButton, TWinControl) {
  p.Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false);
}

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  // Clicks and double clicks come from the platform's notifications.
  SetControlStyle(csSetCaption);
  width_ = 113;
  height_ = 17;
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  SetTabStop(v);
  if (handle_) SendMessageA(handle_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!v) return;
  if (TWinControl* p = Parent())
    for (int i = 0; i < p->ControlCount(); ++i)
      if (auto* r = Cast<TRadioButton>(p->Controls(i)); r && r != this) r->SetChecked(false);
  Click();
}

void TRadioButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.BaseClassName = "BUTTON";
  p.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWindowHandleDone() {
  SendMessageA(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::Dispatch(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    switch (HIWORD(m.WParam)) {
      case BN_CLICKED: SetChecked(true); break;
      case BN_DOUBLECLICKED: DblClick(); break;
      default: break;
    }
    return;
  }
  TWinControl::Dispatch(m);
}

// ---------------------------------------------------------------------------
// TCustomGroupBox

ORLO_DEFINE_CLASS(TCustomGroupBox, TCustomControl) {}
ORLO_DEFINE_CLASS(TGroupBox, TCustomGroupBox) {}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption |
                  csDoubleClicks);
  width_ = 185;
  height_ = 105;
}

void TCustomGroupBox::SetCtl3D(bool v) {
  if (v == ctl3d_) return;
  ctl3d_ = v;
  Invalidate();
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  const int h = c->TextHeight("0");
  TRect r(0, h / 2 - 1, Width(), Height());
  if (ctl3d_) {
    // Etched: a light frame one pixel in, a shadow frame over it one pixel out.
    r.Left += 1;
    r.Top += 1;
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    r.Offset(-1, -1);
    c->Brush()->SetColor(clBtnShadow);
  } else {
    c->Brush()->SetColor(clWindowFrame);
  }
  c->FrameRect(r);
  const std::string text = Caption();
  if (text.empty()) return;
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  TRect t(8, 0, 0, h);
  c->DrawText(text, t, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
  c->Brush()->SetColor(Color());
  c->DrawText(text, t, DT_LEFT | DT_SINGLELINE);
}

void TCustomGroupBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && CanFocus()) {
        SelectFirst();
        m.Result = 1;
        return;
      }
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(m);
      Invalidate();  // the frame follows the edges
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(m);
}

}  // namespace orlo
