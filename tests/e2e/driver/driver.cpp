#include "driver.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace orlo::e2e {

namespace {

const UINT kSendTimeout = 5000;

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring Widen(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

LRESULT SendW(HWND h, UINT msg, WPARAM w, LPARAM l) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(h, msg, w, l, SMTO_ABORTIFHUNG, kSendTimeout, &result)) return -1;
  return static_cast<LRESULT>(result);
}

struct TopSearch {
  DWORD pid;
  std::string cls;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND h, LPARAM l) {
  auto* s = reinterpret_cast<TopSearch*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != s->pid) return TRUE;
  if (s->visibleOnly && !IsWindowVisible(h)) return TRUE;
  if (!s->cls.empty() && ClassOf(h) != s->cls) return TRUE;
  s->found.push_back(h);
  return TRUE;
}

LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

LPARAM KeyParam(UINT vk, bool up) {
  UINT scan = MapVirtualKeyA(vk, 0 /* MAPVK_VK_TO_VSC */);
  DWORD data = 1 | (scan << 16);
  if (up) data |= (1u << 30) | (1u << 31);
  return static_cast<LPARAM>(data);
}

}  // namespace

void SeeRealPixels() {
  // Per monitor: a process aware of the system's density only sees the
  // windows of a program started at another density (the density tests set
  // it between starts) scaled from that one to its own. Looked up, as older
  // platforms have only the system-wide call, or none.
  HMODULE user32 = GetModuleHandleA("user32.dll");
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
  const HANDLE perMonitor = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3));
  if (setContext && (setContext(perMonitorV2) || setContext(perMonitor))) return;
  using SetAware = BOOL(WINAPI*)();
  const auto setAware = reinterpret_cast<SetAware>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (setAware) setAware();
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string w = "Z:" + path;
  for (char& c : w)
    if (c == '/') c = '\\';
  return w;
}

bool WaitUntil(const std::function<bool()>& pred, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start >= ms) return pred();
    Sleep(10);
  }
}

// --- processes -----------------------------------------------------------------

namespace {

std::wstring WideOf(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                      &wide[0], static_cast<int>(wide.size()))));
  return wide;
}

}  // namespace

// The code page's text arrives in the program as it would through
// CreateProcessA: the system converts it the same way.
Process::Process(const std::string& exe, const std::string& args, const std::string& cwd)
    : Process(WideOf(exe), WideOf(args), WideOf(cwd)) {}

Process::Process(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd) {
  std::wstring line = L"\"" + exe + L"\"";
  if (!args.empty()) line += L" " + args;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     cwd.empty() ? nullptr : cwd.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    WaitForInputIdle(handle_, 10000);
  }
}

Process::~Process() {
  if (handle_) {
    if (Running()) Kill();
    CloseHandle(handle_);
  }
}

Process::Process(Process&& other) noexcept : handle_(other.handle_), pid_(other.pid_) {
  other.handle_ = nullptr;
  other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (handle_) {
      if (Running()) Kill();
      CloseHandle(handle_);
    }
    handle_ = other.handle_;
    pid_ = other.pid_;
    other.handle_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

bool Process::Running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD ms) {
  return handle_ && WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (handle_) GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::Kill() {
  if (!handle_) return;
  TerminateProcess(handle_, 255);
  WaitForSingleObject(handle_, 5000);
}

// --- windows -------------------------------------------------------------------------

std::vector<HWND> TopWindows(DWORD pid, const std::string& cls, bool visibleOnly) {
  TopSearch s{pid, cls, visibleOnly, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitTopWindow(DWORD pid, const std::string& cls, DWORD ms) {
  HWND found = nullptr;
  WaitUntil([&] {
    auto list = TopWindows(pid, cls);
    found = list.empty() ? nullptr : list.front();
    return found != nullptr;
  }, ms);
  return found;
}

bool WaitNoTopWindow(DWORD pid, const std::string& cls, DWORD ms) {
  return WaitUntil([&] { return TopWindows(pid, cls).empty(); }, ms);
}

std::string ClassOf(HWND h) {
  char name[256] = {};
  GetClassNameA(h, name, sizeof name);
  return name;
}

std::vector<HWND> Children(HWND parent, const std::string& cls) {
  std::vector<HWND> list;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (cls.empty() || ClassOf(c) == cls) list.push_back(c);
  return list;
}

HWND Child(HWND parent, const std::string& cls, size_t idx) {
  auto list = Children(parent, cls);
  return idx < list.size() ? list[idx] : nullptr;
}

std::string Text(HWND h) { return Narrow(WideText(h)); }

void SetText(HWND h, const std::string& text) { SetWideText(h, Widen(text)); }

std::wstring WideText(HWND h) {
  LRESULT n = SendW(h, WM_GETTEXTLENGTH, 0, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  LRESULT got = SendW(h, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(&w[0]));
  w.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return w;
}

void SetWideText(HWND h, const std::wstring& text) {
  SendW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::string> Lines(HWND edit) {
  std::vector<std::string> lines;
  const std::string text = Text(edit);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> ListItems(HWND listBox) {
  std::vector<std::string> items;
  LRESULT count = SendW(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT len = SendW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring w(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
    LRESULT got = SendW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&w[0]));
    w.resize(got > 0 ? static_cast<size_t>(got) : 0);
    items.push_back(Narrow(w));
  }
  return items;
}

int ListIndex(HWND listBox) { return static_cast<int>(SendW(listBox, LB_GETCURSEL, 0, 0)); }

bool Checked(HWND button) { return SendW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(HWND h) { return IsWindowEnabled(h) != FALSE; }
bool Visible(HWND h) { return IsWindowVisible(h) != FALSE; }

RECT WindowBounds(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

POINT ClientOrigin(HWND h) {
  POINT p{0, 0};
  ClientToScreen(h, &p);
  return p;
}

SIZE ClientSize(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT ClientOnScreen(HWND h) {
  const POINT o = ClientOrigin(h);
  const SIZE s = ClientSize(h);
  return RECT{o.x, o.y, o.x + s.cx, o.y + s.cy};
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// --- input -------------------------------------------------------------------------------

void Click(HWND h, int x, int y) {
  PostMessageA(h, WM_MOUSEMOVE, 0, PointParam(x, y));
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
  PostMessageA(h, WM_LBUTTONUP, 0, PointParam(x, y));
}

void DoubleClick(HWND h, int x, int y) {
  Click(h, x, y);
  PostMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(x, y));
  PostMessageA(h, WM_LBUTTONUP, 0, PointParam(x, y));
}

void Key(HWND h, UINT vk) {
  PostMessageA(h, WM_KEYDOWN, vk, KeyParam(vk, false));
  PostMessageA(h, WM_KEYUP, vk, KeyParam(vk, true));
}

void Char(HWND h, char c) {
  PostMessageA(h, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
}

void Close(HWND h) { PostMessageA(h, WM_CLOSE, 0, 0); }

HWND FocusOf(HWND h) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void MovePointer(int screenX, int screenY) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((screenX * 65536 + w / 2) / w);
  in.mi.dy = static_cast<LONG>((screenY * 65536 + h / 2) / h);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

namespace {

bool PostDropData(const Process& process, HWND target, const std::string& data);

}  // namespace

bool DropFiles(const Process& process, HWND target, const std::vector<std::string>& paths) {
  std::string data(sizeof(DROPFILES), '\0');
  DROPFILES head{};
  head.pFiles = sizeof(DROPFILES);
  head.fNC = FALSE;
  head.fWide = FALSE;
  std::memcpy(&data[0], &head, sizeof head);
  for (const std::string& p : paths) {
    data += p;
    data += '\0';
  }
  data += '\0';
  return PostDropData(process, target, data);
}

bool DropFilesWide(const Process& process, HWND target, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& p : paths) names += p + L'\0';
  names += L'\0';
  std::string data(sizeof(DROPFILES), '\0');
  DROPFILES head{};
  head.pFiles = sizeof(DROPFILES);
  head.fWide = TRUE;
  std::memcpy(&data[0], &head, sizeof head);
  data.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
  return PostDropData(process, target, data);
}

namespace {

bool PostDropData(const Process& process, HWND target, const std::string& data) {
  void* remote = VirtualAllocEx(process.Handle(), nullptr, data.size(), MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (!remote) return false;
  SIZE_T written = 0;
  if (!WriteProcessMemory(process.Handle(), remote, data.data(), data.size(), &written) ||
      written != data.size()) {
    VirtualFreeEx(process.Handle(), remote, 0, MEM_RELEASE);
    return false;
  }
  // The program releases the data with DragFinish; memory the heap does not
  // know is refused there and stays with the process, which is harmless.
  return PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != FALSE;
}

}  // namespace

// --- pixels --------------------------------------------------------------------------------

namespace {

// A top-down 32-bit DIB section with a DC of its own.
struct Dib {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  unsigned* bits = nullptr;
  int w = 0, h = 0;
  Dib(int width, int height) : w(width), h(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<unsigned*>(p);
    if (bitmap) old = SelectObject(dc, bitmap);
  }
  ~Dib() {
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  bool Ok() const { return bits != nullptr; }
  unsigned At(int x, int y) const { return bits[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] & 0xFFFFFF; }
};

}  // namespace

Shot Shot::Of(HWND h) {
  Shot s;
  SIZE size = ClientSize(h);
  if (size.cx <= 0 || size.cy <= 0) return s;
  Dib dib(size.cx, size.cy);
  if (!dib.Ok()) return s;
  POINT origin = ClientOrigin(h);
  HDC screen = GetDC(nullptr);
  BitBlt(dib.dc, 0, 0, size.cx, size.cy, screen, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  s.w_ = size.cx;
  s.h_ = size.cy;
  s.px_.resize(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
  for (int y = 0; y < size.cy; ++y)
    for (int x = 0; x < size.cx; ++x)
      s.px_[static_cast<size_t>(y) * static_cast<size_t>(size.cx) + static_cast<size_t>(x)] = dib.At(x, y);
  return s;
}

unsigned Shot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return 0xFFFFFFFFu;
  return px_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)];
}

bool Shot::Save(const std::string& path) const {
  if (px_.empty()) return false;
  const int stride = (w_ * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w_;
  ih.biHeight = h_;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(stride * h_);
  std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
  bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int y = h_ - 1; y >= 0; --y) {
    for (int x = 0; x < w_; ++x) {
      unsigned c = At(x, y);
      row[static_cast<size_t>(x * 3)] = static_cast<char>(c & 0xFF);
      row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>((c >> 8) & 0xFF);
      row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>((c >> 16) & 0xFF);
    }
    bytes += row;
  }
  return PutFile(path, bytes);
}

bool ShowsText(const Shot& shot, RECT rect, const std::string& text, UINT flags,
               const TextFont& font, unsigned inkColor, std::string* why) {
  if (shot.Empty()) {
    if (why) *why = "nothing was captured";
    return false;
  }
  Dib dib(shot.Width(), shot.Height());
  if (!dib.Ok()) {
    if (why) *why = "no memory bitmap";
    return false;
  }
  std::memset(dib.bits, 0xFF, static_cast<size_t>(dib.w) * static_cast<size_t>(dib.h) * 4);
  HFONT f = CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, font.charset,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                        font.face.c_str());
  HGDIOBJ oldFont = SelectObject(dib.dc, f);
  SetBkMode(dib.dc, TRANSPARENT);
  SetTextColor(dib.dc, RGB(0, 0, 0));
  RECT r = rect;
  DrawTextA(dib.dc, text.data(), static_cast<int>(text.size()), &r, flags);
  GdiFlush();
  SelectObject(dib.dc, oldFont);
  DeleteObject(f);

  int missing = 0, extra = 0, ink = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (x < 0 || y < 0 || x >= shot.Width() || y >= shot.Height()) continue;
      const bool want = dib.At(x, y) == 0;
      const bool have = shot.At(x, y) == inkColor;
      if (want) ++ink;
      if (want && !have) ++missing;
      if (!want && have) ++extra;
    }
  }
  if (ink > 0 && missing == 0 && extra == 0) return true;
  if (why) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%d ink pixels expected, %d of them missing, %d unexpected",
                  ink, missing, extra);
    *why = buf;
  }
  return false;
}

SIZE MeasureText(const std::string& text, UINT flags, const TextFont& font, int wrapWidth) {
  HDC screen = GetDC(nullptr);
  HDC measure = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HFONT f = CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, font.charset,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                        font.face.c_str());
  HGDIOBJ old = SelectObject(measure, f);
  RECT box{0, 0, wrapWidth, 0};
  DrawTextA(measure, text.data(), static_cast<int>(text.size()), &box, flags | DT_CALCRECT);
  SelectObject(measure, old);
  DeleteDC(measure);
  DeleteObject(f);
  return SIZE{box.right - box.left, box.bottom - box.top};
}

bool FindText(const Shot& shot, const std::string& text, UINT flags, const TextFont& font,
              unsigned inkColor, POINT* at, int wrapWidth) {
  if (shot.Empty() || text.empty()) return false;
  const SIZE box = MeasureText(text, flags, font, wrapWidth > 0 ? wrapWidth : shot.Width());
  const int bw = box.cx, bh = box.cy;
  if (bw <= 0 || bh <= 0 || bw > shot.Width() || bh > shot.Height()) return false;
  Dib dib(bw, bh);
  if (!dib.Ok()) return false;
  std::memset(dib.bits, 0xFF, static_cast<size_t>(bw) * static_cast<size_t>(bh) * 4);
  HFONT f = CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, font.charset,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                        font.face.c_str());
  HGDIOBJ old = SelectObject(dib.dc, f);
  SetBkMode(dib.dc, TRANSPARENT);
  SetTextColor(dib.dc, RGB(0, 0, 0));
  RECT r{0, 0, bw, bh};
  DrawTextA(dib.dc, text.data(), static_cast<int>(text.size()), &r, flags);
  GdiFlush();
  SelectObject(dib.dc, old);
  DeleteObject(f);

  std::vector<POINT> inkPoints, paper;
  for (int y = 0; y < bh; ++y)
    for (int x = 0; x < bw; ++x)
      (dib.At(x, y) == 0 ? inkPoints : paper).push_back(POINT{x, y});
  if (inkPoints.empty()) return false;
  const POINT first = inkPoints.front();
  for (int oy = 0; oy + bh <= shot.Height(); ++oy) {
    for (int ox = 0; ox + bw <= shot.Width(); ++ox) {
      if (shot.At(ox + first.x, oy + first.y) != inkColor) continue;
      bool match = true;
      for (const POINT& p : inkPoints)
        if (shot.At(ox + p.x, oy + p.y) != inkColor) { match = false; break; }
      if (!match) continue;
      for (const POINT& p : paper)
        if (shot.At(ox + p.x, oy + p.y) == inkColor) { match = false; break; }
      if (!match) continue;
      if (at) *at = POINT{ox, oy};
      return true;
    }
  }
  return false;
}

// --- files ---------------------------------------------------------------------------------

bool PutFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
  return ok && done == bytes.size();
}

std::string FileBytes(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string s;
  char buf[65536];
  DWORD done = 0;
  while (ReadFile(h, buf, sizeof buf, &done, nullptr) && done > 0) s.append(buf, done);
  CloseHandle(h);
  return s;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace orlo::e2e
