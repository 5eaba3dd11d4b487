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

TFileName DestinationPath(const TFileName& folder, const TFileName& source) {
  return folder.Join(source.Name());
}

TFileName DestinationFolder(const TFileName& typed, const TFileName& programFolder) {
  // The first two characters decide, and they are the same in both forms:
  // a character the code page lacks is never a separator or a colon.
  const std::string& text = typed.Shown();
  const bool fromRoot = !text.empty() && (text[0] == '\\' || text[0] == '/');
  const bool onDrive = text.size() >= 2 && text[1] == ':';
  if (text.empty() || fromRoot || onDrive) return typed;
  const std::string& base = programFolder.Shown();
  if (!base.empty() && base.back() != '\\') return programFolder.Join(typed);
  return programFolder.Concat(typed);
}

std::string FailureMessage(const std::string& dest, UINT operation) {
  return dest + (operation == FO_MOVE ? "のMoveに失敗しました" : "のCopyに失敗しました");
}

bool RunTransfer(const std::vector<TFileName>& sources, const TFileName& folder, int action,
                 TTransferSite& site) {
  bool success = false;
  const UINT operation = action == 0 ? FO_MOVE : action == 1 ? FO_COPY : 0;
  for (size_t i = 0; i < sources.size(); ++i) {
    if (site.Stopped()) break;
    site.Sending(i);
    const TFileName& source = sources[i];
    const TFileName dest = DestinationPath(folder, source);
    // A path the platform would read as another ("a." as "a", "nul.txt" as
    // the NUL device) is neither looked up nor handed over.
    const bool refused = RewrittenByPlatform(source) || RewrittenByPlatform(dest);
    if (!refused && site.Exists(dest)) {
      // Nothing is replaced without a YES: a question closed without an
      // answer skips the file like NO.
      if (site.AskOverwrite(AbbreviatePath(dest.Shown())) != kOverwriteYes) continue;
    }
    if (operation == 0) continue;
    if (!refused && site.FileOperation(source, dest, operation)) {
      success = true;
    } else {
      site.Beep(MB_ICONEXCLAMATION);
      site.ReportFailure(FailureMessage(dest.Shown(), operation));
    }
  }
  return success;
}

bool FavouriteGuard(bool folderExists, const TFileName& folder, const TFileName& desktop,
                    const TFileName& personal) {
  return folderExists || folder != desktop || folder != personal;
}

bool SendFiles(const std::vector<TFileName>& sources, const TFileName& typed, const TFileName& programFolder,
               int action, TStrings& favourites, TTransferSite& site) {
  const TFileName folder = DestinationFolder(typed, programFolder);
  if (!RunTransfer(sources, folder, action, site)) return false;
  // The favourites file is in the code page: a folder it cannot hold would
  // come back as another one, so it is not remembered.
  if (typed.Exact()) {
    const TFileName desktop = site.SpecialFolder(CSIDL_DESKTOP);
    const TFileName personal = site.SpecialFolder(CSIDL_PERSONAL);
    if (FavouriteGuard(site.Exists(folder), typed, desktop, personal)) {
      PutFavouriteFirst(favourites, typed.Shown());
      site.FavouritePutFirst(typed.Shown());
    }
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
