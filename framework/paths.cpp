#include "paths.h"

#include <windows.h>

namespace orlo {

namespace {

// Index of the last backslash or colon that is not a trail byte, or npos.
// Bytes are classified from the start: a lead byte makes the next byte its
// trail byte, whatever that byte is.
size_t LastDelimiter(const std::string& path) {
  size_t last = std::string::npos;
  size_t i = 0;
  while (i < path.size()) {
    const BYTE b = static_cast<BYTE>(path[i]);
    if (IsDBCSLeadByte(b)) {
      i += 2;
      continue;
    }
    if (b == '\\' || b == ':') last = i;
    ++i;
  }
  return last;
}

}  // namespace

std::string FolderPart(const std::string& path) {
  const size_t d = LastDelimiter(path);
  return d == std::string::npos ? std::string() : path.substr(0, d + 1);
}

std::string NamePart(const std::string& path) {
  const size_t d = LastDelimiter(path);
  return d == std::string::npos ? path : path.substr(d + 1);
}

std::string AbbreviatePath(const std::string& path) {
  return path.substr(0, 3) + "...\\" + NamePart(path);
}

}  // namespace orlo
