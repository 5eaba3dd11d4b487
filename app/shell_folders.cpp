#include "shell_folders.h"

#include <shlobj.h>

#include "application.h"

namespace orlo {

// Item lists are freed with the shell's own ILFree: the program then needs
// no COM library, which would be loaded at every start for one call.

namespace {

// Opens the picker on the folder whose path the data points to.
int CALLBACK BrowseSelectionCallback(HWND picker, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED) SendMessageA(picker, BFFM_SETSELECTIONA, 1, data);
  return 0;
}

}  // namespace

std::string GetSpecialFolderPath(int csidl) {
  LPITEMIDLIST list = nullptr;
  char path[264] = {};
  if (SUCCEEDED(SHGetSpecialFolderLocation(Application->Handle(), csidl, &list)) && list) {
    if (!SHGetPathFromIDListA(list, path)) path[0] = '\0';
    ILFree(list);
  }
  return path;
}

int BrowseForFolder(HWND owner, int noPreselect, const char* title, char* path) {
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = noPreselect == 1 ? nullptr : BrowseSelectionCallback;
  info.lParam = noPreselect == 1 ? 0 : reinterpret_cast<LPARAM>(path);
  LPITEMIDLIST list = SHBrowseForFolderA(&info);
  if (!list) return 0;
  char chosen[MAX_PATH] = {};
  const int ok = SHGetPathFromIDListA(list, chosen) ? 1 : 0;
  ILFree(list);
  if (ok == 1) lstrcpyA(path, chosen);
  return ok;
}

}  // namespace orlo
