#include "state_files.h"

#include <windows.h>

#include <cstdio>

#include "inifiles.h"
#include "resource_strings.h"
#include "streams.h"
#include "strings.h"
#include "sysutils.h"
#include "wide_text.h"

namespace orlo {

std::string TSettingsFile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
  if (path_.Exact()) return TIniFile(path_.Shown()).ReadString(section, key, defaultValue);
  wchar_t buffer[1024];
  const DWORD n = GetPrivateProfileStringW(WideFromCodePage(section).c_str(), WideFromCodePage(key).c_str(),
                                           WideFromCodePage(defaultValue).c_str(), buffer, 1024,
                                           path_.Wide().c_str());
  const std::string value = CodePageFromWide(std::wstring(buffer, n < 1024 ? n : 1023));
  return value.size() > 1023 ? value.substr(0, 1023) : value;
}

int32_t TSettingsFile::ReadInteger(const std::string& section, const std::string& key,
                                   int32_t defaultValue) const {
  return IniTextToInt(ReadString(section, key, std::string()), defaultValue);
}

void TSettingsFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (path_.Exact()) {
    TIniFile(path_.Shown()).WriteString(section, key, value);
    return;
  }
  if (!path_.Named() ||
      !WritePrivateProfileStringW(WideFromCodePage(section).c_str(), WideFromCodePage(key).c_str(),
                                  WideFromCodePage(value).c_str(), path_.Wide().c_str()))
    throw Exception(Format(res::SIniFileWriteError, path_.Shown()));
}

void TSettingsFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void LoadLines(TStrings& lines, const TFileName& path) {
  if (path.Exact()) {
    lines.LoadFromFile(path.Shown());
    return;
  }
  HANDLE handle = path.Named() ? CreateFileW(path.Wide().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr)
                               : INVALID_HANDLE_VALUE;
  if (handle == INVALID_HANDLE_VALUE) throw EFOpenError(Format(res::SFOpenError, path.Shown()));
  TFileStream stream(path.Shown(), handle);
  lines.LoadFromStream(stream);
}

namespace {

// The same steps as the code page's replacement of a file, by UTF-16 names.
class TWideReplacement {
public:
  explicit TWideReplacement(const TFileName& target) : target_(target) {}

  void Run(const TStrings& lines) {
    RefuseUnwritableTarget();
    HANDLE handle = CreateSibling();
    try {
      TFileStream stream(target_.Shown(), handle);
      lines.SaveToStream(stream);
      stream.Flush();
    } catch (...) {
      DeleteFileW(temp_.c_str());
      throw;
    }
    if (!MoveFileExW(temp_.c_str(), target_.Wide().c_str(), MOVEFILE_REPLACE_EXISTING)) {
      DeleteFileW(temp_.c_str());
      Fail();
    }
  }

private:
  [[noreturn]] void Fail() const { throw EFCreateError(Format(res::SFCreateError, target_.Shown())); }

  // A read-only file, a folder or a file held open fails before anything is
  // written; the attributes come first because an administrator may open a
  // read-only file for writing.
  void RefuseUnwritableTarget() const {
    if (!target_.Named()) Fail();
    const wchar_t* path = target_.Wide().c_str();
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
      Fail();
    HANDLE probe = CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    else if (GetLastError() != ERROR_FILE_NOT_FOUND) Fail();
  }

  // A new file beside the target under a name nobody uses.
  HANDLE CreateSibling() {
    static unsigned counter = 0;
    const std::wstring folder = target_.Folder().Wide();
    for (int attempt = 0; attempt < 100; ++attempt) {
      char unique[16];
      const unsigned n = (GetCurrentProcessId() << 16) ^ (GetTickCount() * 31u) ^ ++counter;
      std::snprintf(unique, sizeof unique, "%08X", n);
      temp_ = folder + L"~orl" + WideFromCodePage(unique) + L".tmp";
      HANDLE handle = CreateFileW(temp_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) return handle;
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    Fail();
  }

  const TFileName& target_;
  std::wstring temp_;
};

}  // namespace

void SaveLines(const TStrings& lines, const TFileName& path) {
  if (path.Exact()) {
    lines.SaveToFile(path.Shown());
    return;
  }
  TWideReplacement(path).Run(lines);
}

}  // namespace orlo
