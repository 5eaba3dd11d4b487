// The shell's folders: special folders by number and the folder picker, by
// their true paths.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "file_names.h"

namespace orlo {

// The file-system path of a shell item list, by its true name; empty when the
// item has none.
TFileName PathFromItemList(LPCITEMIDLIST list);

// The file-system path of a shell special folder (0 the desktop, 5 the
// user's documents); empty when the shell has none for it.
TFileName GetSpecialFolderPath(int csidl);

// The shell's folder picker, owned by owner, with title. path holds the
// folder to open on (unless noPreselect is 1) and receives the chosen one.
// Returns 1 when a folder with a file-system path was chosen and written into
// path, otherwise 0.
int BrowseForFolder(HWND owner, int noPreselect, const char* title, TFileName& path);

}  // namespace orlo
