#include "transfer.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "paths.h"
#include "strings.h"

namespace orlo {

bool ShellFileOp(const std::string& source, const std::string& dest, UINT operation, HWND owner) {
  return ShellRequest(TFileName::FromAnsi(source), TFileName::FromAnsi(dest), operation, owner);
}

std::string DestinationPath(const std::string& folder, const std::string& source) {
  return folder + "\\" + NamePart(source);
}

TFileName DestinationPath(const std::string& folder, const TFileName& source) {
  return TFileName::FromAnsi(folder).Join(source.Name());
}

std::string DestinationFolder(const std::string& typed, const std::string& programFolder) {
  const bool fromRoot = !typed.empty() && (typed[0] == '\\' || typed[0] == '/');
  const bool onDrive = typed.size() >= 2 && typed[1] == ':';
  if (typed.empty() || fromRoot || onDrive) return typed;
  std::string base = programFolder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  return base + typed;
}

std::string FailureMessage(const std::string& dest, UINT operation) {
  return dest + (operation == FO_MOVE ? "のMoveに失敗しました" : "のCopyに失敗しました");
}

bool RunTransfer(const std::vector<TFileName>& sources, const std::string& folder, int action,
                 TTransferSite& site) {
  bool success = false;
  for (const TFileName& source : sources) {
    const TFileName dest = DestinationPath(folder, source);
    if (site.Exists(dest)) {
      // Nothing is replaced without a YES: a question closed without an
      // answer skips the file like NO.
      if (site.AskOverwrite(AbbreviatePath(dest.Shown())) != kOverwriteYes) continue;
    }
    UINT operation;
    if (action == 0) operation = FO_MOVE;
    else if (action == 1) operation = FO_COPY;
    else continue;
    if (site.FileOperation(source, dest, operation)) {
      success = true;
    } else {
      site.Beep(MB_ICONEXCLAMATION);
      site.ReportFailure(FailureMessage(dest.Shown(), operation));
    }
  }
  return success;
}

bool FavouriteGuard(bool folderExists, const std::string& folder, const std::string& desktop,
                    const std::string& personal) {
  return folderExists || folder != desktop || folder != personal;
}

bool SendFiles(const std::vector<TFileName>& sources, const std::string& typed, const std::string& programFolder,
               int action, TStrings& favourites, TTransferSite& site) {
  const std::string folder = DestinationFolder(typed, programFolder);
  if (!RunTransfer(sources, folder, action, site)) return false;
  const std::string desktop = site.SpecialFolder(CSIDL_DESKTOP);
  const std::string personal = site.SpecialFolder(CSIDL_PERSONAL);
  if (FavouriteGuard(site.Exists(TFileName::FromAnsi(folder)), typed, desktop, personal)) {
    PutFavouriteFirst(favourites, typed);
    site.FavouritePutFirst(typed);
  }
  site.Beep(MB_ICONASTERISK);
  return true;
}

void PutFavouriteFirst(TStrings& favourites, const std::string& folder) {
  for (int i = 0; i < favourites.Count(); ++i) {
    const std::string entry = favourites.Strings(i);
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.data(),
                       static_cast<int>(entry.size()), folder.data(),
                       static_cast<int>(folder.size())) == CSTR_EQUAL) {
      favourites.Delete(i);
      break;
    }
  }
  favourites.Insert(0, folder);
}

}  // namespace orlo
