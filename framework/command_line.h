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
#include <type_traits>
#include <vector>

namespace orlo {

// The arguments of a whole command line, the program's name not included.
std::vector<std::string> SplitCommandLine(const std::string& line);

// The same rules over any string of characters (a UTF-16 command line too):
// every code unit from 1 to 0x20 separates, every other one is copied.
template <class String>
std::vector<String> SplitCommandLineText(const String& text) {
  using Unit = typename String::value_type;
  const auto isSeparator = [](Unit c) { return c >= 0x01 && c <= 0x20; };
  const auto above = [](Unit c) {
    return static_cast<unsigned long>(static_cast<typename std::make_unsigned<Unit>::type>(c)) > 0x20;
  };
  // The system hands the line over as a C string: it ends at the first NUL.
  const String line = text.substr(0, text.find(Unit(0)));
  const size_t n = line.size();
  size_t p = 0;
  const auto next = [&]() {
    for (;;) {
      while (p < n && isSeparator(line[p])) ++p;
      if (p + 1 < n && line[p] == Unit('"') && line[p + 1] == Unit('"')) {
        p += 2;
        continue;
      }
      break;
    }
    String token;
    while (p < n && above(line[p])) {
      if (line[p] == Unit('"')) {
        ++p;
        const size_t close = line.find(Unit('"'), p);
        const size_t end = close == String::npos ? n : close;
        token.append(line, p, end - p);
        p = close == String::npos ? n : close + 1;
      } else {
        token += line[p++];
      }
    }
    return token;
  };
  std::vector<String> args;
  next();  // the program's own name
  for (String token = next(); !token.empty(); token = next()) args.push_back(std::move(token));
  return args;
}

// The same over the process's own command line (GetCommandLineA).
int ParamCount();
// Argument i, counted from 1; the empty text when there is no such argument.
// ParamStr(0) is the program's module file name.
std::string ParamStr(int i);

}  // namespace orlo
