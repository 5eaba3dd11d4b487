#include "file_names.h"

#include <cstring>

#include "command_line.h"
#include "paths.h"

namespace orlo {

namespace {

std::wstring ToWide(const std::string& text, bool& ok) {
  ok = true;
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                    static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) {
    ok = false;
    return std::wstring();
  }
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

// One character (one or two UTF-16 units) in the code page, when it goes
// there and comes back unchanged.
bool ExactInCodePage(const wchar_t* units, int count, std::string& out) {
  char bytes[8] = {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, bytes, sizeof bytes,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  wchar_t back[4] = {};
  const int m = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, back, 4);
  if (m != count || std::memcmp(back, units, sizeof(wchar_t) * static_cast<size_t>(count)) != 0) return false;
  out.append(bytes, static_cast<size_t>(n));
  return true;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

size_t LastDelimiter(const std::wstring& path) { return path.find_last_of(L"\\:"); }

}  // namespace

TFileName TFileName::FromWide(const std::wstring& path) {
  TFileName f;
  f.wide_ = path;
  for (size_t i = 0; i < path.size();) {
    const int count = IsHighSurrogate(path[i]) && i + 1 < path.size() && IsLowSurrogate(path[i + 1]) ? 2 : 1;
    if (!ExactInCodePage(&path[i], count, f.shown_)) {
      f.shown_ += '?';
      f.exact_ = false;
    }
    i += static_cast<size_t>(count);
  }
  return f;
}

TFileName TFileName::FromAnsi(const std::string& path) {
  TFileName f;
  f.shown_ = path;
  bool ok = true;
  f.wide_ = ToWide(path, ok);
  f.exact_ = true;  // the code page's calls take it as it is
  return f;
}

TFileName TFileName::Name() const {
  if (exact_) return FromAnsi(NamePart(shown_));
  const size_t d = LastDelimiter(wide_);
  return FromWide(d == std::wstring::npos ? wide_ : wide_.substr(d + 1));
}

TFileName TFileName::Join(const TFileName& name) const {
  if (exact_ && name.exact_) return FromAnsi(shown_ + "\\" + name.shown_);
  TFileName f;
  f.shown_ = shown_ + "\\" + name.shown_;
  f.exact_ = false;
  // A folder whose bytes do not make text in the code page names nothing:
  // the request is refused for want of a UTF-16 path.
  bool ok = true;
  const std::wstring folder = exact_ ? ToWide(shown_, ok) : wide_;
  if (ok && (!folder.empty() || shown_.empty())) f.wide_ = folder + L"\\" + name.wide_;
  return f;
}

std::vector<TFileName> CommandLineFiles() {
  std::vector<TFileName> files;
  for (const std::wstring& arg : SplitCommandLineText(std::wstring(GetCommandLineW())))
    files.push_back(TFileName::FromWide(arg));
  return files;
}

std::vector<TFileName> DroppedFiles(HDROP drop) {
  std::vector<TFileName> files;
  const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 511);
  for (UINT i = 0; i < n; ++i) {
    wchar_t name[512] = {};
    DragQueryFileW(drop, i, name, 511);
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
  if (source.Exact() && dest.Exact())
    return CallShell<SHFILEOPSTRUCTA, char>(source.Shown(), dest.Shown(), operation, owner, "ORLO SENDTO", CallA);
  // Never a path the code page could only approximate: the true names only.
  if (source.Wide().empty() || dest.Wide().empty()) return false;
  return CallShell<SHFILEOPSTRUCTW, wchar_t>(source.Wide(), dest.Wide(), operation, owner, L"ORLO SENDTO",
                                             CallW);
}

}  // namespace orlo
