// Start-up of orlosend.exe against a bare window built directly on the
// platform: the time from starting the process to its main window's title
// band on the screen, and the peak working set of each, over alternating
// rounds.
//
//   startup_bench ORLOSEND_EXE BARE_EXE [ROUNDS [CLASS CLASS]]
//
// The two window classes waited for are TForm1 and OrloBareWindow unless
// given (to compare other pairs of programs).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "driver.h"

using namespace orlo::bench;
using namespace orlo::e2e;

namespace {

struct Run {
  double ms = -1;
  double peakMiB = 0;
};

// Starts the program, waits until the band's top-left pixels show the first
// row of the blue-to-white gradient, takes its peak working set, closes it.
Run StartOnce(const std::string& exe, const std::string& cwd, const std::string& cls) {
  Run run;
  std::string line = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = NowMs();
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si, &pi))
    return run;
  CloseHandle(pi.hThread);
  HDC screen = GetDC(nullptr);
  HWND form = nullptr;
  const COLORREF first = RGB(5, 5, 255);
  while (NowMs() - t0 < 30000) {
    if (!form) {
      auto list = TopWindows(pi.dwProcessId, cls);
      if (!list.empty()) form = list.front();
    }
    if (form) {
      POINT p = ClientOrigin(form);
      if (GetPixel(screen, p.x + 2, p.y) == first && GetPixel(screen, p.x + 300, p.y) == first) {
        run.ms = NowMs() - t0;
        break;
      }
    }
    Sleep(1);
  }
  ReleaseDC(nullptr, screen);
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc))
    run.peakMiB = static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
  if (form) PostMessageA(form, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench ORLOSEND_EXE BARE_EXE [ROUNDS]\n");
    return 2;
  }
  const std::string orlosend = WindowsPath(argv[1]), bare = WindowsPath(argv[2]);
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 30;
  const std::string ourClass = argc > 5 ? argv[4] : "TForm1";
  const std::string bareClass = argc > 5 ? argv[5] : "OrloBareWindow";

  // The program runs from a folder of its own, with no settings or
  // favourites, so every start is the same.
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string dir = std::string(temp) + "orlo_startup_bench\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string exe = dir + "orlosend.exe";
  if (!CopyFileA(orlosend.c_str(), exe.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s\n", orlosend.c_str());
    return 1;
  }

  std::vector<double> ours, base, oursMem, baseMem;
  StartOnce(exe, dir, ourClass);  // warm both once: first starts load libraries from disk
  StartOnce(bare, dir, bareClass);
  for (int r = 0; r < rounds; ++r) {
    // Alternate which goes first, so that neither always follows the other.
    for (int k = 0; k < 2; ++k) {
      const bool programTurn = (r + k) % 2 == 0;
      Run run = programTurn ? StartOnce(exe, dir, ourClass) : StartOnce(bare, dir, bareClass);
      if (run.ms < 0) {
        std::fprintf(stderr, "%s did not paint its window\n", programTurn ? "orlosend" : "bare window");
        return 1;
      }
      (programTurn ? ours : base).push_back(run.ms);
      (programTurn ? oursMem : baseMem).push_back(run.peakMiB);
    }
  }
  DeleteFileA(exe.c_str());
  DeleteFileA((dir + "orlosend.ini").c_str());
  DeleteFileA((dir + "dirlist.txt").c_str());
  RemoveDirectoryA(dir.c_str());

  std::printf("%-34s %-30s %-30s %s\n", "measure",
              "orlosend median [p10-p90]", "bare window median [p10-p90]", "ratio");
  PrintRow("start-up to window painted", SpreadOf(ours), SpreadOf(base), "ms");
  PrintRow("peak working set", SpreadOf(oursMem), SpreadOf(baseMem), "MiB");
  std::printf("(%d rounds each, alternating)\n", rounds);
  return 0;
}
