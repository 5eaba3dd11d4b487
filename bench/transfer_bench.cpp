// 1,000 file moves through the program's transfer loop against a bare loop of
// SHFileOperationA calls on the same files: what the program adds on top of
// the shell's own cost. The two loops alternate, moving the files back and
// forth between two folders.
//
//   transfer_bench [FILES] [ROUNDS]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "application.h"
#include "bench_stats.h"
#include "strings.h"
#include "transfer.h"
#include "worker.h"

using namespace orlo;
using namespace orlo::bench;

namespace {

// The program's loop as OK runs it, without windows: each shell call on the
// run's worker thread while this thread waits in its message loop, and each
// reported success checked on the disk. Nothing is ever asked or reported,
// since the destination is empty and the moves succeed.
class QuietSite : public TTransferSite {
public:
  explicit QuietSite(TWorker& worker) : worker_(worker) {}
  bool Exists(const TFileName& path) override { return FileExists(path); }
  int AskOverwrite(const std::string&) override { return kOverwriteNo; }
  bool FileOperation(const TFileName& source, const TFileName& dest, UINT op) override {
    const HWND owner = Application->Handle();
    bool done = false;
    worker_.Run([&] { done = ShellRequest(source, dest, op, owner) && TransferDone(source, dest, op); });
    return done;
  }
  void Beep(UINT) override {}
  void ReportFailure(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  TFileName SpecialFolder(int) override { return TFileName(); }
  void FavouritePutFirst(const std::string&) override {}

private:
  TWorker& worker_;
};

double ProgramLoop(const std::vector<TFileName>& sources, const std::string& folder) {
  const double t0 = NowMs();
  TWorker worker;  // one thread for the run, as OK makes it
  QuietSite site(worker);
  RunTransfer(sources, TFileName::FromAnsi(folder), 0, site);
  return NowMs() - t0;
}

// What the bare loop does besides the shell's calls: nothing; the existence
// test of each destination, as the program makes before asking about it; and
// that test with the check of each reported move on the disk (the
// destination there, the source gone), as the program makes after it.
enum TBareChecks { kShellOnly, kExistenceTest, kExistenceAndOutcome };

double BareLoop(const std::vector<std::string>& names, const std::string& from, const std::string& to,
                TBareChecks checks = kShellOnly) {
  const double t0 = NowMs();
  for (const std::string& n : names) {
    if (checks != kShellOnly && GetFileAttributesA((to + n).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    std::string src = from + n;
    src.push_back('\0');
    std::string dst = to + n;
    dst.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.hwnd = Application->Handle();
    op.wFunc = FO_MOVE;
    op.pFrom = src.c_str();
    op.pTo = dst.c_str();
    op.fFlags = FOF_NOCONFIRMATION;
    op.lpszProgressTitle = "ORLO SENDTO";
    if (SHFileOperationA(&op) == 0 && checks == kExistenceAndOutcome &&
        (GetFileAttributesA((to + n).c_str()) == INVALID_FILE_ATTRIBUTES ||
         GetFileAttributesA((from + n).c_str()) != INVALID_FILE_ATTRIBUTES))
      std::fprintf(stderr, "%s did not move\n", n.c_str());
  }
  return NowMs() - t0;
}

int CountFiles(const std::string& folder) {
  int n = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 10;
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string a = std::string(temp) + "orlo_transfer_bench_a\\";
  const std::string b = std::string(temp) + "orlo_transfer_bench_b\\";
  CreateDirectoryA(a.c_str(), nullptr);
  CreateDirectoryA(b.c_str(), nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < files; ++i) {
    names.push_back("file" + std::to_string(i) + ".txt");
    HANDLE h = CreateFileA((a + names.back()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(h, "0123456789abcdef", 16, &done, nullptr);
    CloseHandle(h);
  }
  std::vector<TFileName> fromA, fromB;
  for (const auto& n : names) {
    fromA.push_back(TFileName::FromAnsi(a + n));
    fromB.push_back(TFileName::FromAnsi(b + n));
  }

  std::vector<double> ours, base, checked, verified;
  for (int r = 0; r < rounds; ++r) {
    // Each round moves everything a -> b and back twice, the loops taking
    // turns at each direction.
    if (r % 2 == 0) {
      ours.push_back(ProgramLoop(fromA, b.substr(0, b.size() - 1)));
      base.push_back(BareLoop(names, b, a));
      checked.push_back(BareLoop(names, a, b, kExistenceTest));
      verified.push_back(BareLoop(names, b, a, kExistenceAndOutcome));
    } else {
      base.push_back(BareLoop(names, a, b));
      ours.push_back(ProgramLoop(fromB, a.substr(0, a.size() - 1)));
      verified.push_back(BareLoop(names, a, b, kExistenceAndOutcome));
      checked.push_back(BareLoop(names, b, a, kExistenceTest));
    }
    if (CountFiles(a) != files) {
      std::fprintf(stderr, "round %d: %d files in the first folder, not %d\n", r, CountFiles(a), files);
      return 1;
    }
  }
  for (const auto& n : names) DeleteFileA((a + n).c_str());
  RemoveDirectoryA(a.c_str());
  RemoveDirectoryA(b.c_str());

  char label[64];
  std::snprintf(label, sizeof label, "%d moves", files);
  std::printf("%-34s %-30s %-30s %s\n", "measure", "transfer loop median [p10-p90]",
              "bare SHFileOperationA loop", "ratio");
  PrintRow(label, SpreadOf(ours), SpreadOf(base), "ms");
  PrintRow("  bare loop + existence test", SpreadOf(checked), SpreadOf(base), "ms");
  PrintRow("  transfer loop vs that", SpreadOf(ours), SpreadOf(checked), "ms");
  PrintRow("  bare loop + test + outcome check", SpreadOf(verified), SpreadOf(base), "ms");
  PrintRow("  transfer loop vs that", SpreadOf(ours), SpreadOf(verified), "ms");
  std::printf("(%d rounds each, alternating)\n", rounds);
  return 0;
}
