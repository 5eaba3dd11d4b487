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
