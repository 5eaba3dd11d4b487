#include "file_names.h"

#include <cstring>

#include "command_line.h"
#include "paths.h"
#include "wide_text.h"

namespace orlo {

namespace {

// Code-page text in UTF-16; empty when its bytes make no text, which then
// names nothing.
std::wstring StrictWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], n);
  return wide;
}

size_t LastDelimiter(const std::wstring& path) { return path.find_last_of(L"\\:"); }

}  // namespace

TFileName TFileName::FromWide(const std::wstring& path) {
  TFileName f;
  f.wide_ = path;
  f.shown_ = CodePageFromWide(path, &f.exact_);
  return f;
}

TFileName TFileName::FromAnsi(const std::string& path) {
  TFileName f;
  f.shown_ = path;
  f.wide_ = StrictWide(path);
  f.exact_ = true;  // the code page's calls take it as it is
  return f;
}

TFileName TFileName::Name() const {
  if (exact_) return FromAnsi(NamePart(shown_));
  const size_t d = LastDelimiter(wide_);
  return FromWide(d == std::wstring::npos ? wide_ : wide_.substr(d + 1));
}

TFileName TFileName::Folder() const {
  if (exact_) return FromAnsi(FolderPart(shown_));
  const size_t d = LastDelimiter(wide_);
  return FromWide(d == std::wstring::npos ? std::wstring() : wide_.substr(0, d + 1));
}

TFileName TFileName::Concat(const TFileName& tail) const {
  if (exact_ && tail.exact_) return FromAnsi(shown_ + tail.shown_);
  TFileName f;
  f.shown_ = shown_ + tail.shown_;
  f.exact_ = false;
  // A part that names nothing leaves the whole without a true name: the
  // request is refused for want of it.
  if (Named() && tail.Named()) f.wide_ = wide_ + tail.wide_;
  return f;
}

TFileName TFileName::Join(const TFileName& name) const { return Concat(FromAnsi("\\")).Concat(name); }

bool TFileName::operator==(const TFileName& other) const {
  if (exact_ && other.exact_) return shown_ == other.shown_;
  return exact_ == other.exact_ && wide_ == other.wide_;
}

TFileName ProgramFolder() {
  // The module's path may be longer than MAX_PATH: ask again with more room
  // until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return TFileName::FromWide(path).Folder();
}

std::vector<TFileName> CommandLineFiles() {
  std::vector<TFileName> files;
  for (const std::wstring& arg : SplitCommandLineText(std::wstring(GetCommandLineW())))
    files.push_back(TFileName::FromWide(arg));
  return files;
}

std::vector<TFileName> DroppedFiles(HDROP drop) {
  std::vector<TFileName> files;
  const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    // Each name whole, however long: a name cut short would name another
    // file. A name too long for the shell's request is refused there.
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, &name[0], length + 1));
    files.push_back(TFileName::FromWide(name));
  }
  return files;
}

bool FileExists(const TFileName& path) {
  if (path.Exact()) return GetFileAttributesA(path.Shown().c_str()) != INVALID_FILE_ATTRIBUTES;
  return !path.Wide().empty() && GetFileAttributesW(path.Wide().c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HasWildcard(const TFileName& path) {
  // Neither "?" nor "*" is ever the second byte of a double-byte character.
  if (path.Exact()) return path.Shown().find_first_of("?*") != std::string::npos;
  return path.Wide().find_first_of(L"?*") != std::wstring::npos;
}

namespace {

bool IsDeviceName(std::wstring part) {
  // The name before its extension (or a stream's colon), trailing blanks off.
  part = part.substr(0, part.find_first_of(L".:"));
  while (!part.empty() && part.back() == L' ') part.pop_back();
  for (wchar_t& c : part)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if (part == L"CON" || part == L"PRN" || part == L"AUX" || part == L"NUL" || part == L"CONIN$" ||
      part == L"CONOUT$")
    return true;
  return part.size() == 4 && (part.compare(0, 3, L"COM") == 0 || part.compare(0, 3, L"LPT") == 0) &&
         part[3] >= L'1' && part[3] <= L'9';
}

}  // namespace

bool RewrittenByPlatform(const TFileName& path) {
  // By the UTF-16 form: in the code page a backslash can be the second byte
  // of a character. A path without one is refused elsewhere.
  const std::wstring& wide = path.Wide();
  size_t start = 0;
  while (start <= wide.size()) {
    size_t end = wide.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = wide.size();
    const std::wstring part = wide.substr(start, end - start);
    const bool dots = part == L"." || part == L"..";
    if (!part.empty() && !dots && (part.back() == L'.' || part.back() == L' ')) return true;
    if (!part.empty() && IsDeviceName(part)) return true;
    start = end + 1;
  }
  return false;
}

bool SameFile(const TFileName& a, const TFileName& b) {
  const auto identity = [](const TFileName& f, BY_HANDLE_FILE_INFORMATION& info) {
    // Folders too, without taking anyone's access away.
    HANDLE h = f.Exact() ? CreateFileA(f.Shown().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                         : CreateFileW(f.Wide().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return ok != FALSE;
  };
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  if (!a.Named() || !b.Named() || !identity(a, x) || !identity(b, y)) return false;
  return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

size_t RequestLength(const TFileName& path) {
  return path.Exact() ? path.Shown().size() : path.Wide().size();
}

namespace {

// The shell takes a list of paths, each ended by a NUL, the list by a second
// one; a ";" in a file name is part of it. The destination goes into a
// buffer of MAX_PATH with its two NULs.
template <class Op, class Char>
bool CallShell(const std::basic_string<Char>& source, const std::basic_string<Char>& dest, UINT operation,
               HWND owner, const Char* title, int (*call)(Op*)) {
  std::vector<Char> from(source.begin(), source.end());
  from.resize(source.size() + 2, Char(0));
  Char to[MAX_PATH] = {};
  std::copy(dest.begin(), dest.end(), to);
  Op op{};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = from.data();
  op.pTo = to;
  op.fFlags = FOF_NOCONFIRMATION;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = title;
  return call(&op) == 0;
}

int CallA(SHFILEOPSTRUCTA* op) { return SHFileOperationA(op); }
int CallW(SHFILEOPSTRUCTW* op) { return SHFileOperationW(op); }

}  // namespace

bool ShellRequest(const TFileName& source, const TFileName& dest, UINT operation, HWND owner) {
  if (RequestLength(dest) > MAX_PATH - 2) return false;
  if (HasWildcard(source) || HasWildcard(dest)) return false;
  if (RewrittenByPlatform(source) || RewrittenByPlatform(dest)) return false;
  if (source.Exact() && dest.Exact())
    return CallShell<SHFILEOPSTRUCTA, char>(source.Shown(), dest.Shown(), operation, owner, "ORLO SENDTO", CallA);
  // Never a path the code page could only approximate: the true names only.
  if (source.Wide().empty() || dest.Wide().empty()) return false;
  return CallShell<SHFILEOPSTRUCTW, wchar_t>(source.Wide(), dest.Wide(), operation, owner, L"ORLO SENDTO",
                                             CallW);
}

bool TransferDone(const TFileName& source, const TFileName& dest, UINT operation) {
  if (!FileExists(dest)) return false;
  if (operation != FO_MOVE) return true;
  return !FileExists(source) || SameFile(source, dest);
}

}  // namespace orlo
