// The transfer: every source file moved or copied into the destination folder
// through the shell's file operation, one call per file, asking before an
// object of the same name is replaced and reporting each failure. Kept free
// of windows: the main window supplies the question, the report and the beep.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "file_names.h"

namespace orlo {

class TStrings;

// Moves (FO_MOVE) or copies (FO_COPY) one source, named in the code page, to
// dest, a full destination path (ShellRequest with both names as they are).
bool ShellFileOp(const std::string& source, const std::string& dest, UINT operation, HWND owner);

// The longest destination the shell request can carry.
const size_t kMaxDestinationBytes = MAX_PATH - 2;

// Answers of the overwrite question, as the dialog's modal result.
enum : int { kOverwriteYes = IDYES, kOverwriteNo = IDNO, kOverwriteClosed = IDCANCEL };

// What a transfer needs of the world around it.
class TTransferSite {
public:
  virtual ~TTransferSite() = default;
  // The path of a special folder (CSIDL_DESKTOP, CSIDL_PERSONAL).
  virtual TFileName SpecialFolder(int csidl) = 0;
  // The favourites were changed: folder was put first.
  virtual void FavouritePutFirst(const std::string& folder) = 0;
  // Whether a file or folder of that name exists.
  virtual bool Exists(const TFileName& path) = 0;
  // Asks whether the object shown (the shortened destination) may be
  // replaced; the dialog's modal result.
  virtual int AskOverwrite(const std::string& shownPath) = 0;
  virtual bool FileOperation(const TFileName& source, const TFileName& dest, UINT operation) = 0;
  virtual void Beep(UINT type) = 0;
  // Shows a failure message and returns once the user has closed it.
  virtual void ReportFailure(const std::string& text) = 0;
  // The run is to start nothing more (the session is ending).
  virtual bool Stopped() { return false; }
  // The run has come to the file of that index in the list.
  virtual void Sending(size_t index) { (void)index; }
};

// The destination path of one source: folder, one backslash, the source's
// name part (the backslash is added even when folder ends with one).
std::string DestinationPath(const std::string& folder, const std::string& source);
// The same by true names: a folder or a source the code page cannot name
// keeps its true name at the destination.
TFileName DestinationPath(const TFileName& folder, const TFileName& source);

// The folder a typed destination names. A relative one ("rel", "a\b") is
// taken from programFolder, whatever folder the program was started in; a
// full path, one from the root of the current drive ("\x"), one relative to
// a drive ("D:x") and the empty text (the root of the current drive) stay as
// typed.
TFileName DestinationFolder(const TFileName& typed, const TFileName& programFolder);

// The message for a failed transfer of dest: "<dest>のMoveに失敗しました" or
// "<dest>のCopyに失敗しました".
std::string FailureMessage(const std::string& dest, UINT operation);

// Runs one transfer of every entry of sources into folder. action is the
// radio group's index: 0 move, 1 copy, -1 neither (nothing is transferred,
// though same-named objects are still asked about). A same-named object is
// replaced only after a YES; NO and a question closed without an answer skip
// the file. A source or destination that the platform would take for
// another path fails before it is looked up. Each failure beeps
// (MB_ICONEXCLAMATION) and is reported before the next file. The run ends
// early once the site says it is stopped. True when at least one file was
// transferred.
bool RunTransfer(const std::vector<TFileName>& sources, const TFileName& folder, int action,
                 TTransferSite& site);

// After a successful run: whether folder goes into the favourites. It stays
// out only when it names nothing that exists and equals both the Desktop and
// the My Documents path, letter for letter.
bool FavouriteGuard(bool folderExists, const TFileName& folder, const TFileName& desktop,
                    const TFileName& personal);

// The whole of OK: the transfer into the folder typed (taken from
// programFolder when relative); after a run with a success the favourites
// guard, the folder put first in favourites, and the final beep
// (MB_ICONASTERISK). A folder the code page cannot name is used for the run
// but never stored: the favourites stay as they are. True when the run had a
// success, so the main window is to close.
bool SendFiles(const std::vector<TFileName>& sources, const TFileName& typed, const TFileName& programFolder,
               int action, TStrings& favourites, TTransferSite& site);

// Puts folder at the head of the favourites: the first entry equal to it,
// letter case ignored by the platform's comparison in the user's locale, is
// removed first. The list is not shortened here.
void PutFavouriteFirst(TStrings& favourites, const std::string& folder);

}  // namespace orlo
