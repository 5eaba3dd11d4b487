// A small program (not the product) that opens a window from a compiled
// description with the framework's standard controls. With "--close-after MS"
// it closes itself after that many milliseconds and prints how long the
// window took to appear; with "--message TEXT" it shows TEXT in the plain
// message window once the window is up.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "application.h"
#include "class_builder.h"
#include "dialogs.h"
#include "forms.h"
#include "std_controls.h"
#include "radio_group.h"
#include "timers.h"

namespace orlo {

class TSampleForm : public TForm {
  ORLO_CLASS(TSampleForm)
public:
  using TForm::TForm;
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;
  TMemo* Memo1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  TButton* Button1 = nullptr;

  void FormCreate(TObject*) { Memo1->SetHint("files to send"); Memo1->SetShowHint(true); }
  void ListBox1Click(TObject*) {
    int i = ListBox1->ItemIndex();
    if (i >= 0) Edit1->SetText(ListBox1->Items()->Strings(i));
  }
  void Button1Click(TObject*) { Close(); }
};
ORLO_DEFINE_CLASS(TSampleForm, TForm) {
  p.Field("Label1", &TSampleForm::Label1);
  p.Field("Edit1", &TSampleForm::Edit1);
  p.Field("Memo1", &TSampleForm::Memo1);
  p.Field("ListBox1", &TSampleForm::ListBox1);
  p.Field("RadioGroup1", &TSampleForm::RadioGroup1);
  p.Field("Button1", &TSampleForm::Button1);
  p.Method("FormCreate", &TSampleForm::FormCreate);
  p.Method("ListBox1Click", &TSampleForm::ListBox1Click);
  p.Method("Button1Click", &TSampleForm::Button1Click);
}

// Reports when the window has painted, and closes it later when asked.
struct SampleTiming : TObject {
  LARGE_INTEGER start{}, freq{};
  bool reported = false;
  int closeAfter = -1;
  const char* message = nullptr;
  TTimer* closer = nullptr;
  void Idle(TObject*, bool&) {
    if (reported) return;
    reported = true;
    if (message) ShowPlainMessage(message);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    std::printf("sample window painted after %.1f ms\n",
                1000.0 * double(now.QuadPart - start.QuadPart) / double(freq.QuadPart));
    std::fflush(stdout);
  }
  void Close(TObject*) {
    if (Application->MainForm()) Application->MainForm()->Close();
  }
};

}  // namespace orlo

using namespace orlo;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static SampleTiming timing;
  QueryPerformanceFrequency(&timing.freq);
  QueryPerformanceCounter(&timing.start);
  for (int i = 1; i + 1 < __argc; ++i)
    if (std::strcmp(__argv[i], "--close-after") == 0)
      timing.closeAfter = std::atoi(__argv[i + 1]);
    else if (std::strcmp(__argv[i], "--message") == 0)
      timing.message = __argv[i + 1];
  try {
    Application->Initialize();
    Application->SetTitle("orlosend sample");
    TSampleForm* form = nullptr;
    Application->CreateForm(form);
    Application->OnIdle = TIdleEvent(&timing, &SampleTiming::Idle);
    if (timing.closeAfter >= 0) {
      timing.closer = new TTimer(Application.Get());
      timing.closer->SetInterval(static_cast<unsigned>(timing.closeAfter));
      timing.closer->SetOnTimer(TNotifyEvent(&timing, &SampleTiming::Close));
    }
    Application->Run();
  } catch (const Exception& e) {
    ShowExceptionBox(e.Message());
  }
  return 0;
}
