// Parts of paths, split byte-wise in the system's ANSI code page.
#pragma once
#include <string>

namespace orlo {

// Everything up to and including the last backslash or colon of the path;
// empty when there is none. A delimiter byte that is the second byte of a
// double-byte character (CP932 "表" is 0x95 0x5C) does not count.
std::string FolderPart(const std::string& path);

// Everything after that delimiter; the whole path when there is none, empty
// when the path ends with a backslash.
std::string NamePart(const std::string& path);

// The short display form of a long path: its first three bytes (the whole
// path when shorter), "...\" and its name part. Counted in bytes, so a
// double-byte character standing at bytes 3 and 4 is cut after its first byte.
std::string AbbreviatePath(const std::string& path);

}  // namespace orlo
