// The shell's folders: special folders by number and the folder picker.
#pragma once
#include <windows.h>

#include <string>

namespace orlo {

// The file-system path of a shell special folder (0 the desktop, 5 the
// user's documents); the empty text when the shell has none for it.
std::string GetSpecialFolderPath(int csidl);

// The shell's folder picker, owned by owner, with title. path holds the
// folder to open on (unless noPreselect is 1) and receives the chosen one; it
// must hold at least MAX_PATH bytes. Returns 1 when a folder with a
// file-system path was chosen and written into path, otherwise 0.
int BrowseForFolder(HWND owner, int noPreselect, const char* title, char* path);

}  // namespace orlo
