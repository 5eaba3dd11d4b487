// The application object: its hidden window, the forms, the message loop,
// key routing, idle processing, hints and exception reporting.
#pragma once
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "forms.h"

namespace orlo {

class THintWindow;

struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint CursorPos;
  TRect CursorRect;
  std::string HintStr;
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TPoint HintPos;
};

using TMessageEvent = TEvent<void(MSG&, bool&)>;
using TIdleEvent = TEvent<void(TObject*, bool&)>;
using TExceptionEvent = TEvent<void(TObject*, const std::exception_ptr&)>;
using TShowHintEvent = TEvent<void(std::string&, bool&, THintInfo&)>;

class THintController;

class TApplication : public TComponent {
  ORLO_CLASS(TApplication)
public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();  // calls the initialisation hook, when one is installed
  HWND Handle();  // the hidden application window, made on first need
  bool HandleAllocated() const { return handle_ != nullptr; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v);
  HICON Icon();

  TCustomForm* MainForm() const { return main_form_; }
  bool ShowMainForm() const { return show_main_form_; }
  void SetShowMainForm(bool v) { show_main_form_ = v; }
  bool Terminated() const { return terminated_; }
  bool Running() const { return running_; }
  HWND DialogHandle() const { return dialog_handle_; }
  void SetDialogHandle(HWND h) { dialog_handle_ = h; }

  // Allocates a form of class T, stores it in ref before it is constructed,
  // constructs it from its description and runs its creation event. When
  // that fails ref is reset and the error passes on. The first form made
  // becomes the main form, and its window is made at once.
  template <class T>
  void CreateForm(T*& ref) {
    void* memory = ::operator new(sizeof(T));
    ref = static_cast<T*>(memory);
    T* form = nullptr;
    try {
      form = new (memory) T(this);
    } catch (...) {
      ::operator delete(memory);
      ref = nullptr;
      throw;
    }
    try {
      form->AfterConstruction();
    } catch (...) {
      delete form;
      ref = nullptr;
      throw;
    }
    if (!main_form_) {
      main_form_ = form;
      form->HandleNeeded();
    }
  }

  // Registers the exit procedure (once), shows the main form and handles
  // messages until the quit message.
  void Run();
  void ProcessMessages();
  void HandleMessage();
  void Terminate();
  // Resets the terminated mark (for a new run of the loop, as tests need).
  void ResetTerminated() { terminated_ = false; }

  // Reports the exception being handled (call from a catch block), or the
  // given one: the exception message box, or OnException when assigned.
  void HandleException(TObject* sender);
  void HandleException(TObject* sender, std::exception_ptr e);
  void ShowException(const std::string& message);
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // Hints.
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v);
  TColor HintColor() const { return hint_color_; }
  void SetHintColor(TColor v) { hint_color_ = v; }
  int HintPause() const { return hint_pause_; }
  void SetHintPause(int v) { hint_pause_ = v; }
  int HintShortPause() const { return hint_short_pause_; }
  void SetHintShortPause(int v) { hint_short_pause_ = v; }
  int HintHidePause() const { return hint_hide_pause_; }
  void SetHintHidePause(int v) { hint_hide_pause_ = v; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v);
  void CancelHint();
  void HintMouseMessage(TControl* control, TMessage& m);
  THintWindow* HintWindowObject() const;
  THintController* Hints() const { return hints_.get(); }

  // The control under the pointer as idle processing last saw it.
  TControl* MouseControl() const { return mouse_control_; }
  // Called by every control as it goes, so nothing keeps a stale pointer.
  void ControlDestroyed(TControl* c);
  // The idle step: the control under the pointer, hints, OnIdle. True when
  // the loop may sleep until the next message.
  bool DoIdle();

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TShowHintEvent OnShowHint;
  TNotifyEvent OnHint;

private:
  friend LRESULT CALLBACK ApplicationWindowProc(HWND, UINT, WPARAM, LPARAM);
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  bool IsHintMsg(MSG& msg);
  void DoMouseIdle();
  void AppWndProc(TMessage& m);

  HWND handle_ = nullptr;
  HICON icon_ = nullptr;
  std::string title_;
  TCustomForm* main_form_ = nullptr;
  bool show_main_form_ = true;
  bool terminated_ = false;
  bool running_ = false;
  HWND dialog_handle_ = nullptr;
  bool show_hint_ = false;
  TColor hint_color_ = clInfoBk;
  int hint_pause_ = 500;
  int hint_short_pause_ = 50;
  int hint_hide_pause_ = 2500;
  std::string hint_;
  TControl* mouse_control_ = nullptr;
  std::unique_ptr<THintController> hints_;
};

// The one application object, made on first use (before the program's entry
// uses it) and released when the program ends.
class TApplicationRef {
public:
  TApplication* operator->() const { return Get(); }
  explicit operator bool() const { return Exists(); }
  static TApplication* Get();
  static bool Exists();
};
extern const TApplicationRef Application;

// The framework's optional initialisation hook, which Initialize calls when
// one is installed. SetInitProc installs proc (null for none) and returns
// the one it replaces.
using TInitProc = void (*)();
TInitProc SetInitProc(TInitProc proc);

// The application's first title: the program file's base name, every
// character after the first lowered.
std::string TitleFromModuleName(const std::string& path);

// The exception message box: the message and a full stop, the title as
// caption, a stop icon and one OK, owned by the application window.
void ShowExceptionBox(const std::string& message);

}  // namespace orlo
