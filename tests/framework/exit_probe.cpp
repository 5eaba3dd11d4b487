// Runs the application's loop once and ends, writing to the file named on its
// command line what it saw while its main form was released at the end.
#include <cstdio>

#include "application.h"
#include "forms.h"
#include "timers.h"

using namespace orlo;

namespace {

FILE* g_log = nullptr;

struct Probe : TObject {
  TTimer* timer = nullptr;
  void Tick(TObject*) {
    timer->SetEnabled(false);
    Application->MainForm()->Close();
  }
  void FormDestroyed(TObject*) {
    std::fprintf(g_log, "main form released: application %s, hints %s\n",
                 Application->Destroying() ? "being destroyed" : "whole",
                 Application->ShowHint() ? "on" : "off");
    std::fflush(g_log);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !(g_log = std::fopen(argv[1], "wb"))) return 2;
  static Probe probe;
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->OnDestroy = TNotifyEvent(&probe, &Probe::FormDestroyed);
  probe.timer = new TTimer(Application.Get());
  probe.timer->SetInterval(10);
  probe.timer->SetOnTimer(TNotifyEvent(&probe, &Probe::Tick));
  Application->Run();
  std::fprintf(g_log, "loop ended\n");
  std::fflush(g_log);
  return 0;
}
