// A timeline of one start of the program: the entry steps of orlosend.exe
// done in the same order with the same windows and pictures, each stamped
// with the high-resolution counter, and the time from the process's creation
// to the entry. The shipped program carries none of this.
//
//   startup_timeline_bench.exe [FILE...]     prints one line per step, in ms
#include <windows.h>

#include "application.h"
#include "confirm_dialog.h"
#include "main_window.h"
#include "timeline.h"

using namespace orlo;

namespace {

bench::Timeline* g_timeline = nullptr;
void Stamp(const char* what) { g_timeline->Stamp(what); }

// The main window, stamped inside its construction: after its description
// is read and its controls are made, around its creation handler. It is the
// program's own class (the same description is found by its name).
class TTimedForm1 : public TForm1 {
public:
  explicit TTimedForm1(TComponent* owner) : TForm1(owner) { Form1 = this; }
  void Loaded() override {
    TForm1::Loaded();
    Stamp("  description read, controls made");
  }

protected:
  void DoCreate() override {
    Stamp("  scaled to the screen's font");
    TForm1::DoCreate();
    Stamp("    its controls made, drops accepted");
  }
  // FormCreate reads the settings, the files and the favourites, then asks
  // for the window to accept drops, which makes it, and the application
  // window first: the form's window belongs to it.
  void CreateParams(TCreateParams& p) override {
    Stamp("  FormCreate: settings, files, favourites");
    TForm1::CreateParams(p);
    Stamp("    application window made and shown");
  }
  void CreateWnd() override {
    TForm1::CreateWnd();
    Stamp("    main window made");
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bench::Timeline timeline;
  g_timeline = &timeline;
  Application->Initialize();
  Stamp("application initialised");
  Application->SetTitle("ORLO MOVE");
  Stamp("title set");
  TTimedForm1* main = nullptr;
  Stamp("main window:");
  Application->CreateForm(main);
  Application->CreateForm(Form2);
  Stamp("question dialog read and made");
  Application->MainForm()->Show();
  Stamp("main window shown");
  bench::DrainMessages();
  Stamp("first paint done (queue empty)");
  timeline.Print();
  ExitProcess(0);
}
