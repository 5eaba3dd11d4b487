// The program's two files beside it, the settings and the favourites, by
// their true paths. A program in a folder the code page can name uses the
// code page's calls as ever; elsewhere the same work goes through the wide
// calls. Either way the files themselves stay in the code page, the form that
// other copies of the program and hand edits rely on, and every message names
// a file by its shown path.
#pragma once
#include <cstdint>
#include <string>

#include "file_names.h"

namespace orlo {

class TStrings;

// A settings (profile) file through the system's profile calls. Values are
// read through a buffer of 1024 bytes: a longer value comes back cut to its
// first 1023 bytes.
class TSettingsFile {
public:
  explicit TSettingsFile(TFileName path) : path_(std::move(path)) {}

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
  // A write the system refuses raises Exception "<file> に書き込めません".
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);

private:
  TFileName path_;
};

// Replaces lines by the lines of the file, read whole while nobody else has
// it open. A file that cannot be opened raises EFOpenError naming it.
void LoadLines(TStrings& lines, const TFileName& path);

// Writes the lines, each ended by CR LF, into a new file beside path that
// then takes its place: the old content stays whole until the new one is.
// A file that cannot be replaced (read-only, a folder, held open) raises
// EFCreateError naming it.
void SaveLines(const TStrings& lines, const TFileName& path);

}  // namespace orlo
