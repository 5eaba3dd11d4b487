// The baseline for the start-up benchmark: a window like orlosend's main
// window, built directly on the platform with CreateWindowExA, without the
// framework, doing the same work at start: the same size, fonts and
// controls, the program's icon, the same gradient band painted with 256
// rectangle fills, the two pictures drawn from an image list, the settings
// and favourites files beside it read, and dropped files accepted. It closes
// on WM_CLOSE like the program.
//
// Its window clips its children, as the program's forms do: on Wine that
// makes showing the window erase every control before the window's own first
// paint, which the program pays too.
//
//   bare_window.exe [--timeline]   with --timeline the steps are stamped and
//                                  printed once the first paint is done, and
//                                  the program ends there
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <memory>
#include <string>

#include "../timeline.h"

namespace {

HFONT MakeFont(const char* face, int height, bool bold, BYTE charset) {
  return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

HFONT g_window, g_bold, g_title, g_arial15, g_arial16;
HIMAGELIST g_pictures;
HWND g_picture1, g_picture2;

// The folder of this program, with its backslash.
std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s = path;
  return s.substr(0, s.find_last_of('\\') + 1);
}

// The settings and the favourites, as the program reads them at start.
void ReadStateInto(HWND edit, HWND move, HWND copy, HWND list) {
  const std::string ini = ProgramFolder() + "\\orlosend.ini";
  char value[1024] = {};
  GetPrivateProfileStringA("Setting", "ToPath", "", value, sizeof value, ini.c_str());
  SetWindowTextA(edit, value);
  GetPrivateProfileStringA("Setting", "Action", "", value, sizeof value, ini.c_str());
  SendMessageA(value[0] == '1' ? copy : move, BM_SETCHECK, BST_CHECKED, 0);
  const std::string favourites = ProgramFolder() + "\\dirlist.txt";
  if (GetFileAttributesA(favourites.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  HANDLE h = CreateFileA(favourites.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string text(65536, '\0');
  DWORD done = 0;
  ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &done, nullptr);
  CloseHandle(h);
  text.resize(done);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.substr(start, end - start).c_str()));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

// The two pictures, with their lower-left pixel as the transparent colour.
void LoadPictures(HINSTANCE instance) {
  g_pictures = ImageList_Create(24, 24, ILC_COLOR24 | ILC_MASK, 2, 2);
  for (const char* name : {"DESKTOP", "DOCUMENTS"}) {
    HBITMAP b = static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    COLORREF transparent = GetPixel(dc, 0, 23);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(g_pictures, b, transparent);
    DeleteObject(b);
  }
}

void PaintBand(HDC dc) {
  // Blue to white over 57 rows, as the program's title band.
  const int width = 377, height = 57;
  const double step = height / 255.0;
  const int band = static_cast<int>(step + 1.0);
  int top = 0;
  for (int k = 0; k < 256; ++k) {
    RECT r{0, top, width, top + band};
    HBRUSH b = CreateSolidBrush(RGB(k, k, 255));
    FillRect(dc, &r, b);
    DeleteObject(b);
    top = static_cast<int>(k * step);
  }
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, g_title);
  for (int d = 1; d <= 2; ++d) {
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 10 + d, 4 + d, "ORLO COPY&MOVE", 14);
  }
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 10, 4, "ORLO COPY&MOVE", 14);
  SelectObject(dc, g_bold);
  SetTextColor(dc, RGB(128, 128, 128));
  TextOutA(dc, 8, 48, "Target :", 8);
  TextOutA(dc, 144, 48, "Action :", 8);
  TextOutA(dc, 240, 48, "DirList :", 9);
  TextOutA(dc, 8, 225, "To :", 4);
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 8, 32, "(C) 2026 orlosend developers", 28);
  TextOutA(dc, 232, 8, "Ver 0.10", 8);
  SelectObject(dc, old);
}

LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      PaintBand(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      RECT r = item->rcItem;
      const bool pressed = item->itemState & ODS_SELECTED;
      DrawEdge(item->hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
      ImageList_Draw(g_pictures, item->hwndItem == g_picture1 ? 0 : 1, item->hDC, pressed ? 3 : 2,
                     pressed ? 3 : 2, ILD_NORMAL);
      return TRUE;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

HWND Add(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
         HFONT font, DWORD exStyle = 0) {
  HWND c = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  std::unique_ptr<orlo::bench::Timeline> timeline;
  if (std::strstr(commandLine, "--timeline")) timeline = std::make_unique<orlo::bench::Timeline>();
  auto stamp = [&](const char* what) {
    if (timeline) timeline->Stamp(what);
  };
  g_window = MakeFont("ＭＳ Ｐゴシック", -12, false, SHIFTJIS_CHARSET);
  g_bold = MakeFont("ＭＳ Ｐゴシック", -12, true, SHIFTJIS_CHARSET);
  g_title = MakeFont("Arial Black", -19, true, ANSI_CHARSET);
  g_arial15 = MakeFont("Arial", -15, true, ANSI_CHARSET);
  g_arial16 = MakeFont("Arial", -16, true, ANSI_CHARSET);

  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.hIcon = LoadIconA(instance, "MAINICON");
  wc.lpszClassName = "OrloBareWindow";
  RegisterClassA(&wc);
  stamp("fonts made, window class registered");

  const int w = 386, h = 306;
  HWND form = CreateWindowExA(0, "OrloBareWindow", "ORLO SENDTO", WS_CLIPCHILDREN | WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                              (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                              nullptr, nullptr, instance, nullptr);
  stamp("window made");
  LoadPictures(instance);
  stamp("pictures loaded");
  Add(form, "BUTTON", "", BS_GROUPBOX, 144, 64, 89, 81, g_bold);
  HWND move = Add(form, "BUTTON", "Move", BS_AUTORADIOBUTTON | WS_TABSTOP, 152, 77, 79, 32, g_bold);
  HWND copy = Add(form, "BUTTON", "Copy", BS_AUTORADIOBUTTON, 152, 109, 79, 32, g_bold);
  HWND list = Add(form, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, 240, 93, 129, 124, g_window,
                  WS_EX_CLIENTEDGE);
  HWND edit = Add(form, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 32, 224, 305, 20, g_window, WS_EX_CLIENTEDGE);
  Add(form, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 341, 224, 27, 19, g_arial15);
  Add(form, "EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 8, 64, 129, 153,
      g_window, WS_EX_CLIENTEDGE);
  Add(form, "BUTTON", "OK", BS_PUSHBUTTON | WS_TABSTOP, 96, 248, 89, 25, g_arial16);
  Add(form, "BUTTON", "CLOSE", BS_PUSHBUTTON | WS_TABSTOP, 192, 248, 89, 25, g_arial16);
  g_picture1 = Add(form, "BUTTON", "", BS_OWNERDRAW, 240, 64, 28, 28, g_window);
  g_picture2 = Add(form, "BUTTON", "", BS_OWNERDRAW, 268, 64, 28, 28, g_window);
  stamp("controls made");
  ReadStateInto(edit, move, copy, list);
  DragAcceptFiles(form, TRUE);
  stamp("settings, favourites read, drops accepted");
  ShowWindow(form, show);
  stamp("window shown");
  UpdateWindow(form);
  if (timeline) {
    orlo::bench::DrainMessages();
    stamp("first paint done (queue empty)");
    timeline->Print();
    ExitProcess(0);
  }

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
