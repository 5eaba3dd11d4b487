// orlodrive: the end-to-end driver for scripts. Works the windows of running
// programs from outside and prints what it reads as UTF-8 lines.
//
//   orlodrive COMMAND WINDOW [ARGS...]
//
// WINDOW is a top-level window class, optionally followed by child classes:
// "TForm1", "TForm1/TMemo", "TForm2/TCuteButton#1" (the second such child).
// Commands:
//   wait WINDOW [MS]         until it is visible (default 10000 ms)
//   gone WINDOW [MS]         until no such window is visible
//   text WINDOW              its text
//   lines WINDOW             a multi-line edit's lines
//   items WINDOW             a list box's items
//   checked WINDOW           "1" or "0"
//   settext WINDOW TEXT      replaces its text
//   click WINDOW [X Y]       a left click at a client point (default 5 5)
//   key WINDOW KEY           a key stroke to the window's focused control:
//                            one letter or digit, or RETURN, ESCAPE, SPACE, TAB, DOWN, UP
//   close WINDOW             asks it to close
//   shows WINDOW TEXT        exit 0 when the window shows TEXT in the window font
// Exit codes: 0 done, 1 not found or not as asked, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver.h"

using namespace orlo::e2e;

namespace {

std::string Utf8(const std::string& ansi) {
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (n) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &w[0], n);
  int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m), '\0');
  if (m) WideCharToMultiByte(CP_UTF8, 0, w.data(), n, &out[0], m, nullptr, nullptr);
  return out;
}

void PrintLine(const std::string& ansi) {
  const std::string line = Utf8(ansi) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

struct TopFind {
  std::string cls;
  HWND found = nullptr;
};

BOOL CALLBACK FindVisibleTop(HWND h, LPARAM l) {
  auto* f = reinterpret_cast<TopFind*>(l);
  if (IsWindowVisible(h) && ClassOf(h) == f->cls) {
    f->found = h;
    return FALSE;
  }
  return TRUE;
}

// The window a path names, or nullptr.
HWND Resolve(const std::string& path) {
  auto parts = Split(path, '/');
  TopFind top{parts[0]};
  EnumWindows(FindVisibleTop, reinterpret_cast<LPARAM>(&top));
  HWND h = top.found;
  for (size_t i = 1; h && i < parts.size(); ++i) {
    std::string cls = parts[i];
    size_t idx = 0;
    size_t hash = cls.find('#');
    if (hash != std::string::npos) {
      idx = static_cast<size_t>(std::atoi(cls.c_str() + hash + 1));
      cls = cls.substr(0, hash);
    }
    h = Child(h, cls, idx);
  }
  return h;
}

UINT KeyCode(const std::string& k) {
  if (k.size() == 1) {
    char c = k[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return static_cast<UINT>(static_cast<unsigned char>(c));
  }
  if (k == "RETURN") return VK_RETURN;
  if (k == "ESCAPE") return VK_ESCAPE;
  if (k == "SPACE") return VK_SPACE;
  if (k == "TAB") return VK_TAB;
  if (k == "DOWN") return VK_DOWN;
  if (k == "UP") return VK_UP;
  return 0;
}

int Usage() {
  std::fputs("usage: orlodrive wait|gone|text|lines|items|checked|settext|click|key|close|shows WINDOW [ARGS]\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  orlo::e2e::SeeRealPixels();
  if (argc < 3) return Usage();
  const std::string cmd = argv[1];
  const std::string path = argv[2];
  if (cmd == "wait" || cmd == "gone") {
    const DWORD ms = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 10000;
    const bool want = cmd == "wait";
    return WaitUntil([&] { return (Resolve(path) != nullptr) == want; }, ms) ? 0 : 1;
  }
  HWND h = Resolve(path);
  if (!h) {
    std::fprintf(stderr, "orlodrive: no window %s\n", path.c_str());
    return 1;
  }
  if (cmd == "text") {
    PrintLine(Text(h));
  } else if (cmd == "lines") {
    for (const auto& l : Lines(h)) PrintLine(l);
  } else if (cmd == "items") {
    for (const auto& l : ListItems(h)) PrintLine(l);
  } else if (cmd == "checked") {
    PrintLine(Checked(h) ? "1" : "0");
  } else if (cmd == "settext") {
    if (argc < 4) return Usage();
    SetText(h, argv[3]);
  } else if (cmd == "click") {
    int x = argc > 4 ? std::atoi(argv[3]) : 5, y = argc > 4 ? std::atoi(argv[4]) : 5;
    Click(h, x, y);
  } else if (cmd == "key") {
    if (argc < 4 || !KeyCode(argv[3])) return Usage();
    HWND focus = FocusOf(h);
    Key(focus ? focus : h, KeyCode(argv[3]));
  } else if (cmd == "close") {
    Close(h);
  } else if (cmd == "shows") {
    if (argc < 4) return Usage();
    const std::string text = argv[3];
    return WaitUntil([&] { return FindText(Shot::Of(h), text, DT_LEFT | DT_NOPREFIX, TextFont{}, 0); },
                     5000)
               ? 0
               : 1;
  } else {
    return Usage();
  }
  return 0;
}
