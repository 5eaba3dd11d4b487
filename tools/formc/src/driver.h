// The formc command: formc INPUT.txt OUTPUT.bin
#pragma once

#include <ostream>
#include <string>

namespace formc {

// Compiles the description in `input` into `output`. On success returns 0 and the
// output file holds the stream. On failure writes "INPUT:LINE:COL: message" (or
// "formc: message" when there is no position) to `err`, removes `output` if it
// existed, and returns 1. The output is written to a temporary file beside it and
// renamed into place, so it never exists half-written.
int compileFile(const std::string& input, const std::string& output, std::ostream& err);

// Compiles the pixel map in `input` into an icon file `output`, with the same
// error reporting and atomic writing as compileFile.
int compileIcon(const std::string& input, const std::string& output, std::ostream& err);
// The same for an 8-bit bitmap file (icon false) or an icon file (icon true).
int compilePicture(const std::string& input, const std::string& output, bool icon, std::ostream& err);

// Command-line entry: checks the arguments, then compileFile or compileIcon.
int runFormc(int argc, const char* const* argv, std::ostream& err);

}  // namespace formc
