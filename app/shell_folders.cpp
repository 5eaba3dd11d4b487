#include "shell_folders.h"

#include "application.h"

namespace orlo {

// Item lists are freed with the shell's own ILFree: the program then needs
// no COM library, which would be loaded at every start for one call.

namespace {

// Opens the picker on the folder the data points to (a TFileName), by the
// code page's message when its path is exact.
int CALLBACK BrowseSelectionCallback(HWND picker, UINT msg, LPARAM, LPARAM data) {
  if (msg != BFFM_INITIALIZED) return 0;
  const TFileName& path = *reinterpret_cast<const TFileName*>(data);
  if (path.Exact())
    SendMessageA(picker, BFFM_SETSELECTIONA, 1, reinterpret_cast<LPARAM>(path.Shown().c_str()));
  else
    SendMessageW(picker, BFFM_SETSELECTIONW, 1, reinterpret_cast<LPARAM>(path.Wide().c_str()));
  return 0;
}

}  // namespace

TFileName PathFromItemList(LPCITEMIDLIST list) {
  // Room for the longest path the shell gives back.
  wchar_t path[MAX_PATH + 4] = {};
  if (!list || !SHGetPathFromIDListW(list, path)) return TFileName();
  return TFileName::FromWide(path);
}

TFileName GetSpecialFolderPath(int csidl) {
  LPITEMIDLIST list = nullptr;
  TFileName path;
  if (SUCCEEDED(SHGetSpecialFolderLocation(Application->Handle(), csidl, &list)) && list) {
    path = PathFromItemList(list);
    ILFree(list);
  }
  return path;
}

int BrowseForFolder(HWND owner, int noPreselect, const char* title, TFileName& path) {
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = noPreselect == 1 ? nullptr : BrowseSelectionCallback;
  info.lParam = noPreselect == 1 ? 0 : reinterpret_cast<LPARAM>(&path);
  LPITEMIDLIST list = SHBrowseForFolderA(&info);
  if (!list) return 0;
  const TFileName chosen = PathFromItemList(list);
  ILFree(list);
  if (chosen.Empty()) return 0;
  path = chosen;
  return 1;
}

}  // namespace orlo
