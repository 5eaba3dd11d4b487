// Drives a running program from outside, as a person at the screen would:
// starts it, finds its windows, reads their texts and list items, clicks,
// types and closes, and compares what a window shows with text drawn here in
// the same font. Used by the end-to-end tests and by the command-line driver.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace orlo::e2e {

// A Linux path ("/work/x") as the Windows path Wine gives it ("Z:\work\x");
// any other text unchanged.
std::string WindowsPath(const std::string& path);

// Makes this process see the screen and other programs' windows in real
// pixels, as a person does. Platforms that scale windows between densities
// (Windows 8.1 on, Wine 10) would otherwise hand the driver the sizes of a
// program that scales itself, started at a density above the driver's own,
// scaled back to the driver's. Call it first thing.
void SeeRealPixels();

// Waits until pred() holds, looking every 10 ms; false after ms milliseconds.
bool WaitUntil(const std::function<bool()>& pred, DWORD ms = 5000);

// A program started by the driver. The destructor kills it when it still runs.
class Process {
public:
  Process() = default;
  // cmdLine is everything after the program's own quoted name.
  Process(const std::string& exe, const std::string& args, const std::string& cwd);
  // The same with a UTF-16 command line, as the shell starts programs: names
  // the code page cannot hold reach the program intact.
  Process(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;

  bool Started() const { return handle_ != nullptr; }
  DWORD Id() const { return pid_; }
  bool Running() const;
  // True when the program ended within ms milliseconds.
  bool WaitExit(DWORD ms);
  DWORD ExitCode() const;
  void Kill();
  HANDLE Handle() const { return handle_; }

private:
  HANDLE handle_ = nullptr;
  DWORD pid_ = 0;
};

// Top-level windows of a process of the given window class ("" for any),
// visible ones only unless asked otherwise.
std::vector<HWND> TopWindows(DWORD pid, const std::string& cls, bool visibleOnly = true);
// Waits for one; nullptr after ms milliseconds.
HWND WaitTopWindow(DWORD pid, const std::string& cls, DWORD ms = 10000);
// Waits until no visible top-level window of that class is left.
bool WaitNoTopWindow(DWORD pid, const std::string& cls, DWORD ms = 10000);

// Direct children of a window with the given class, in the order the system
// lists them (creation order for our forms' controls).
std::vector<HWND> Children(HWND parent, const std::string& cls);
// The idx-th such child; nullptr when there are fewer.
HWND Child(HWND parent, const std::string& cls, size_t idx = 0);
std::string ClassOf(HWND h);

// The window's text in the ANSI code page (asked through the wide message, as
// Wine hands ANSI texts of other processes on unconverted for some controls).
std::string Text(HWND h);
void SetText(HWND h, const std::string& text);
// The same in UTF-16, for windows that hold any text.
std::wstring WideText(HWND h);
void SetWideText(HWND h, const std::wstring& text);
// A multi-line edit's lines, split at its CR LF line ends.
std::vector<std::string> Lines(HWND edit);
// A list box's items and its selected index.
std::vector<std::string> ListItems(HWND listBox);
int ListIndex(HWND listBox);
bool Checked(HWND button);
bool Enabled(HWND h);
bool Visible(HWND h);
// The window rectangle in screen coordinates, and the client area's origin.
RECT WindowBounds(HWND h);
POINT ClientOrigin(HWND h);
SIZE ClientSize(HWND h);
// The client area in screen coordinates, and whether one rectangle lies
// wholly inside another.
RECT ClientOnScreen(HWND h);
bool Inside(const RECT& inner, const RECT& outer);

// Mouse clicks posted to the window at a client point, as the left button
// going down and up there.
void Click(HWND h, int x, int y);
void DoubleClick(HWND h, int x, int y);
// Posted key strokes: a virtual key down and up (with the character the
// platform would translate it to), or a character alone.
void Key(HWND h, UINT vk);
void Char(HWND h, char c);
// Posts the request to close a window (the close box, Alt+F4).
void Close(HWND h);
// The window that has the keyboard focus in the thread that owns h.
HWND FocusOf(HWND h);
// Moves the real mouse pointer to a screen point, as a person would: the
// window under it gets the mouse-move messages.
void MovePointer(int screenX, int screenY);
// Drops files on a window of the process as the shell does: the drop data
// (DROPFILES with the ANSI paths) is placed in the program's memory and
// WM_DROPFILES posted with it. False when the data could not be placed.
bool DropFiles(const Process& process, HWND target, const std::vector<std::string>& paths);

// What the screen shows inside a window's client rectangle, as 0x00RRGGBB.
class Shot {
public:
  static Shot Of(HWND h);
  int Width() const { return w_; }
  int Height() const { return h_; }
  // 0x00RRGGBB, or 0xFFFFFFFF outside.
  unsigned At(int x, int y) const;
  bool Empty() const { return px_.empty(); }
  // Saves a 24-bit BMP (for looking at a failure).
  bool Save(const std::string& path) const;

private:
  int w_ = 0, h_ = 0;
  std::vector<unsigned> px_;
};

// The font of a text to look for on the screen.
struct TextFont {
  std::string face = "ＭＳ Ｐゴシック";
  int height = -12;
  int weight = FW_NORMAL;
  BYTE charset = SHIFTJIS_CHARSET;
};

// Whether the shot shows exactly the text's ink (pixels of inkColor,
// 0x00RRGGBB) inside rect (client coordinates of the shot's window), where the
// text would be drawn by DrawTextA with the given flags and font: every pixel
// of the text's ink and no other pixel of that colour inside rect. On a
// mismatch, why holds a short account.
bool ShowsText(const Shot& shot, RECT rect, const std::string& text, UINT flags,
               const TextFont& font, unsigned inkColor, std::string* why = nullptr);

// Where the shot shows the text, drawn by DrawTextA with flags (DT_CALCRECT is
// added to measure it) in the font and ink colour: the top-left corner of the
// text's measured box at the first place where every ink pixel of the text
// matches and no other pixel of the box has the ink colour. False when the
// text is nowhere to be seen. A word-wrapped text is measured at wrapWidth
// (the shot's width when 0), the width its window wrapped it at.
bool FindText(const Shot& shot, const std::string& text, UINT flags, const TextFont& font,
              unsigned inkColor, POINT* at = nullptr, int wrapWidth = 0);

// The extent DrawTextA gives the text (DT_CALCRECT added) in the font,
// wrapped at wrapWidth when the flags ask for word breaks.
SIZE MeasureText(const std::string& text, UINT flags, const TextFont& font, int wrapWidth);

// The same with UTF-16 drop data (DROPFILES with fWide), as the shell hands
// over names the code page cannot hold.
bool DropFilesWide(const Process& process, HWND target, const std::vector<std::wstring>& paths);

// Whole files, bypassing the program under test.
bool PutFile(const std::string& path, const std::string& bytes);
// The bytes, or "<missing>" when the file cannot be opened.
std::string FileBytes(const std::string& path);
bool Exists(const std::string& path);

}  // namespace orlo::e2e
