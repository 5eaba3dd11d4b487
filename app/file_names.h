// Paths by two forms: the path as the file system holds it (UTF-16) and its
// form in the code page, which the windows show and the stored files keep.
// Every path the program uses (sources, the destination, the program's own
// folder and its two files) is made here; ordinary names take the code page's
// calls as ever, and only this unit and the calls it chooses see the true
// names of paths the code page cannot name.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace orlo {

class TFileName {
public:
  TFileName() = default;
  // A path as the system holds it. The shown form has "?" for every
  // character the code page cannot hold: never a look-alike letter, which
  // would name another file.
  static TFileName FromWide(const std::wstring& path);
  // A path in the code page (stored, or handed over in ANSI).
  static TFileName FromAnsi(const std::string& path);

  const std::string& Shown() const { return shown_; }
  const std::wstring& Wide() const { return wide_; }
  // The shown form names exactly this file, so the code page's calls serve:
  // ordinary names take the same way as always.
  bool Exact() const { return exact_; }
  // Whether the path has a true form at all: code-page bytes that make no
  // text name nothing.
  bool Named() const { return !wide_.empty() || shown_.empty(); }
  bool Empty() const { return shown_.empty(); }
  // The last part, after the last backslash or colon, in both forms; the
  // folder part up to and including it.
  TFileName Name() const;
  TFileName Folder() const;
  // This path with tail appended as it is.
  TFileName Concat(const TFileName& tail) const;
  // This folder, one backslash, and name (the backslash is added even when
  // the folder ends with one).
  TFileName Join(const TFileName& name) const;
  // Both name the same path, letter for letter.
  bool operator==(const TFileName& other) const;
  bool operator!=(const TFileName& other) const { return !(*this == other); }

private:
  std::string shown_;
  std::wstring wide_;
  bool exact_ = true;
};

// The folder of the program's own file by its true name, with its trailing
// backslash.
TFileName ProgramFolder();

// The process's arguments, split from its UTF-16 command line by the same
// rules as the code-page split; the program's own name not included.
std::vector<TFileName> CommandLineFiles();
// The files of a drop, by their UTF-16 names.
std::vector<TFileName> DroppedFiles(HDROP drop);

// Whether a file or folder of that name exists.
bool FileExists(const TFileName& path);
// Whether the path holds "?" or "*", which the shell reads as a pattern.
bool HasWildcard(const TFileName& path);
// Whether the platform's path rules would take the path for another one: a
// part that ends in "." or " " (stripped, so "a." names "a"), or a device
// name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$ in
// any case, with any extension and trailing blanks: "nul.txt" is the NUL
// device in every folder).
bool RewrittenByPlatform(const TFileName& path);
// Whether both paths name the same object on the disk (a file moved onto
// itself, under its own name or another spelling of it).
bool SameFile(const TFileName& a, const TFileName& b);
// How long the path is for the shell's request: bytes in the code page, or
// UTF-16 units where the code page cannot name it.
size_t RequestLength(const TFileName& path);

// One move or copy by the shell's file operation, through the code page's
// call when both names are exact and the UTF-16 call otherwise; the same
// flags, owner and progress title either way. Paths the shell would read as
// patterns, destinations too long for its request and paths the platform
// would rewrite are refused before it. True when the shell reports success.
bool ShellRequest(const TFileName& source, const TFileName& dest, UINT operation, HWND owner);

// Whether a move or copy that the shell reported as done is there on the
// disk: the shell (Wine's) reports success for a move that left everything
// where it was. A move is done when the destination exists and the source is
// gone, or both are the same file; a copy when the destination exists.
bool TransferDone(const TFileName& source, const TFileName& dest, UINT operation);

}  // namespace orlo
