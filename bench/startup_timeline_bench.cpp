// A timeline of one start of the program: the entry steps of orlosend.exe
// done in the same order with the same windows and pictures, each stamped
// with the high-resolution counter, and the time from the process's creation
// to the entry. The shipped program carries none of this.
//
//   startup_timeline_bench.exe [FILE...]     prints one line per step, in ms
#include <windows.h>

#include <cstdio>
#include <vector>

#include "application.h"
#include "bench_stats.h"
#include "confirm_dialog.h"
#include "main_window.h"

using namespace orlo;

namespace {

using orlo::bench::NowMs;

struct Mark {
  const char* what;
  double at;
};
std::vector<Mark> g_marks;
void Stamp(const char* what) { g_marks.push_back(Mark{what, NowMs()}); }

// How long ago the process was created, from the system's clock: the loader,
// the libraries' start-up and the static objects all run before the entry.
double MsSinceProcessCreated() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  auto ticks = [](const FILETIME& f) {
    return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

// The first paint is done when no message is left to handle.
void DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

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
    Stamp("  FormCreate run (settings, favourites, drops)");
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const double sinceCreation = MsSinceProcessCreated();
  Stamp("entry");
  Application->Initialize();
  Stamp("application initialised");
  Application->SetTitle("ORLO MOVE");
  Stamp("title set (application window)");
  TTimedForm1* main = nullptr;
  Stamp("main window:");
  Application->CreateForm(main);
  Stamp("  its windows made");
  Application->CreateForm(Form2);
  Stamp("question dialog read and made");
  Application->MainForm()->Show();
  Stamp("main window shown");
  DrainMessages();
  Stamp("first paint done (queue empty)");

  const double entry = g_marks.front().at;
  std::printf("%-42s %8.2f ms\n", "process created -> entry", sinceCreation);
  double previous = entry;
  for (const Mark& m : g_marks) {
    std::printf("%-42s %8.2f ms  (+%.2f)\n", m.what, sinceCreation + (m.at - entry), m.at - previous);
    previous = m.at;
  }
  std::fflush(stdout);
  ExitProcess(0);
}
