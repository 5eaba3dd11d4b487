// orlosend-setup: puts orlosend.exe into the user's Send To menu as the
// shortcut "ORLO SENDTO", or with /u takes that shortcut out again. Run from
// the folder that holds orlosend.exe; it says what it did in a message box.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

// Paths are taken and kept in UTF-16 throughout: a profile or folder named
// "josé" must give a shortcut to that folder's program, never to a best-fit
// "jose". The texts are in the code page and shown with the true paths.
const char kTitle[] = "ORLO SENDTO";
const wchar_t kShortcutName[] = L"ORLO SENDTO.lnk";

std::wstring Wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
  w.resize(w.size() - 1);
  return w;
}

// A message of code-page text with paths between its parts.
class Text {
public:
  Text& operator<<(const char* s) { return *this << Wide(s); }
  Text& operator<<(const std::string& s) { return *this << Wide(s); }
  Text& operator<<(const std::wstring& s) {
    text_ += s;
    return *this;
  }
  const std::wstring& str() const { return text_; }

private:
  std::wstring text_;
};

void Say(const Text& text, UINT icon) {
  MessageBoxW(nullptr, text.str().c_str(), Wide(kTitle).c_str(), MB_OK | icon);
}

std::string HexCode(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Compares two paths as the file system does: letter case ignored.
bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

// The program a shortcut starts; empty when it cannot be read. The shell
// follows the shortcut's item list, which keeps the true path; its plain path
// may hold only the code page's form (Wine writes no other).
std::wstring ShortcutTarget(const std::wstring& link) {
  std::wstring target;
  IShellLinkW* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
      wchar_t path[MAX_PATH] = {};
      LPITEMIDLIST list = nullptr;
      if (SUCCEEDED(shell->GetIDList(&list)) && list) {
        if (SHGetPathFromIDListW(list, path)) target = path;
        CoTaskMemFree(list);
      }
      if (target.empty() && SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) target = path;
    }
    file->Release();
  }
  shell->Release();
  return target;
}

int Install(const std::wstring& program, const std::wstring& folder, const std::wstring& link) {
  if (!Exists(program)) {
    Say(Text() << "orlosend.exe が見つかりません。\r\n" << program
               << "\r\n\r\norlosend-setup.exe は orlosend.exe と同じフォルダで実行してください。",
        MB_ICONERROR);
    return 1;
  }
  IShellLinkW* shell = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell));
  if (SUCCEEDED(hr)) {
    shell->SetPath(program.c_str());
    shell->SetWorkingDirectory(folder.c_str());
    shell->SetDescription(Wide(kTitle).c_str());
    shell->SetIconLocation(program.c_str(), 0);
    IPersistFile* file = nullptr;
    hr = shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
      hr = file->Save(link.c_str(), TRUE);
      file->Release();
    }
    shell->Release();
  }
  if (FAILED(hr)) {
    Say(Text() << "送るメニューにショートカットを作成できません (エラー " << HexCode(hr) << ")。\r\n" << link,
        MB_ICONERROR);
    return 1;
  }
  Say(Text() << "送るメニューに「ORLO SENDTO」を作りました。\r\n" << link << "\r\n→ " << program,
      MB_ICONINFORMATION);
  return 0;
}

int Uninstall(const std::wstring& program, const std::wstring& link) {
  if (!Exists(link)) {
    Say(Text() << "送るメニューに「ORLO SENDTO」はありません。\r\n" << link, MB_ICONINFORMATION);
    return 0;
  }
  // Only a shortcut to this folder's program is ours to take away.
  const std::wstring target = ShortcutTarget(link);
  if (!SamePath(target, program)) {
    Say(Text() << "送るメニューの「ORLO SENDTO」は別のプログラムを指しているので、そのままにしました。\r\n"
               << link << "\r\n→ " << (target.empty() ? Wide("(不明)") : target),
        MB_ICONWARNING);
    return 1;
  }
  if (!DeleteFileW(link.c_str())) {
    Say(Text() << "送るメニューの「ORLO SENDTO」を削除できません (エラー " << std::to_string(GetLastError())
               << ")。\r\n" << link,
        MB_ICONERROR);
    return 1;
  }
  Say(Text() << "送るメニューから「ORLO SENDTO」を削除しました。\r\n" << link, MB_ICONINFORMATION);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bool remove = false;
  for (int i = 1; i < __argc; ++i) {
    const std::string a = __argv[i];
    if (a == "/u" || a == "/U" || a == "-u") {
      remove = true;
    } else {
      Say(Text() << "使い方: orlosend-setup.exe [/u]\r\n\r\n"
                    "引数なしで、送るメニューに orlosend.exe へのショートカット「ORLO SENDTO」を作ります。\r\n"
                    "/u で、そのショートカットを削除します。",
          MB_ICONINFORMATION);
      return 2;
    }
  }
  wchar_t sendTo[MAX_PATH] = {};
  HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE, nullptr, 0, sendTo);
  if (FAILED(hr)) {
    Say(Text() << "送るメニューのフォルダが見つかりません (エラー " << HexCode(hr) << ")。", MB_ICONERROR);
    return 1;
  }
  std::wstring link = sendTo;
  if (!link.empty() && link.back() != L'\\') link += L'\\';
  link += kShortcutName;
  const std::wstring folder = ProgramFolder();
  const std::wstring program = folder + L"orlosend.exe";

  if (FAILED(CoInitialize(nullptr))) {
    Say(Text() << "COM を初期化できません。", MB_ICONERROR);
    return 1;
  }
  const int rc = remove ? Uninstall(program, link) : Install(program, folder, link);
  CoUninitialize();
  return rc;
}
