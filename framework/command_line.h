// The program's command line, split into arguments.
//
// Blanks, tabs and every other byte from 0x01 to 0x20 separate tokens. Two
// double quotes at the start of a token are skipped, so an empty quoted
// argument vanishes. Within a token a double quote opens a quoted run that
// copies everything, blanks included, up to the next double quote or the end
// of the line; the quotes themselves are dropped. There is no escape
// character. The first token is the program's name; the arguments are the
// tokens after it, up to the first empty one. Arguments have no length limit.
#pragma once
#include <string>
#include <vector>

namespace orlo {

// The arguments of a whole command line, the program's name not included.
std::vector<std::string> SplitCommandLine(const std::string& line);

// The same over the process's own command line (GetCommandLineA).
int ParamCount();
// Argument i, counted from 1; the empty text when there is no such argument.
// ParamStr(0) is the program's module file name.
std::string ParamStr(int i);

}  // namespace orlo
