// orlosend-setup: puts orlosend.exe into the user's Send To menu as the
// shortcut "ORLO SENDTO", or with /u takes that shortcut out again. Run from
// the folder that holds orlosend.exe; it says what it did in a message box.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

const char kTitle[] = "ORLO SENDTO";
const char kShortcutName[] = "ORLO SENDTO.lnk";

void Say(const std::string& text, UINT icon) {
  MessageBoxA(nullptr, text.c_str(), kTitle, MB_OK | icon);
}

std::string HexCode(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

std::wstring Wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
  return w;
}

// Compares two paths as the file system does: letter case ignored.
bool SamePath(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
         CSTR_EQUAL;
}

// The program a shortcut starts; empty when it cannot be read.
std::string ShortcutTarget(const std::string& link) {
  std::string target;
  IShellLinkA* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(Wide(link).c_str(), STGM_READ))) {
      char path[MAX_PATH] = {};
      if (SUCCEEDED(shell->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH))) target = path;
    }
    file->Release();
  }
  shell->Release();
  return target;
}

int Install(const std::string& program, const std::string& folder, const std::string& link) {
  if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Say("orlosend.exe が見つかりません。\r\n" + program +
            "\r\n\r\norlosend-setup.exe は orlosend.exe と同じフォルダで実行してください。",
        MB_ICONERROR);
    return 1;
  }
  IShellLinkA* shell = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell));
  if (SUCCEEDED(hr)) {
    shell->SetPath(program.c_str());
    shell->SetWorkingDirectory(folder.c_str());
    shell->SetDescription(kTitle);
    shell->SetIconLocation(program.c_str(), 0);
    IPersistFile* file = nullptr;
    hr = shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
      hr = file->Save(Wide(link).c_str(), TRUE);
      file->Release();
    }
    shell->Release();
  }
  if (FAILED(hr)) {
    Say("送るメニューにショートカットを作成できません (エラー " + HexCode(hr) + ")。\r\n" + link,
        MB_ICONERROR);
    return 1;
  }
  Say("送るメニューに「ORLO SENDTO」を作りました。\r\n" + link + "\r\n→ " + program,
      MB_ICONINFORMATION);
  return 0;
}

int Uninstall(const std::string& program, const std::string& link) {
  if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Say("送るメニューに「ORLO SENDTO」はありません。\r\n" + link, MB_ICONINFORMATION);
    return 0;
  }
  // Only a shortcut to this folder's program is ours to take away.
  const std::string target = ShortcutTarget(link);
  if (!SamePath(target, program)) {
    Say("送るメニューの「ORLO SENDTO」は別のプログラムを指しているので、そのままにしました。\r\n" +
            link + "\r\n→ " + (target.empty() ? std::string("(不明)") : target),
        MB_ICONWARNING);
    return 1;
  }
  if (!DeleteFileA(link.c_str())) {
    Say("送るメニューの「ORLO SENDTO」を削除できません (エラー " + std::to_string(GetLastError()) +
            ")。\r\n" + link,
        MB_ICONERROR);
    return 1;
  }
  Say("送るメニューから「ORLO SENDTO」を削除しました。\r\n" + link, MB_ICONINFORMATION);
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
      Say("使い方: orlosend-setup.exe [/u]\r\n\r\n"
          "引数なしで、送るメニューに orlosend.exe へのショートカット「ORLO SENDTO」を作ります。\r\n"
          "/u で、そのショートカットを削除します。",
          MB_ICONINFORMATION);
      return 2;
    }
  }
  char sendTo[MAX_PATH] = {};
  HRESULT hr = SHGetFolderPathA(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE, nullptr, 0, sendTo);
  if (FAILED(hr)) {
    Say("送るメニューのフォルダが見つかりません (エラー " + HexCode(hr) + ")。", MB_ICONERROR);
    return 1;
  }
  std::string link = sendTo;
  if (!link.empty() && link.back() != '\\') link += '\\';
  link += kShortcutName;
  const std::string folder = ProgramFolder();
  const std::string program = folder + "orlosend.exe";

  if (FAILED(CoInitialize(nullptr))) {
    Say("COM を初期化できません。", MB_ICONERROR);
    return 1;
  }
  const int rc = remove ? Uninstall(program, link) : Install(program, folder, link);
  CoUninitialize();
  return rc;
}
