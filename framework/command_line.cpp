#include "command_line.h"

#include <windows.h>

namespace orlo {

namespace {

bool IsSeparator(unsigned char b) { return b >= 0x01 && b <= 0x20; }

// Takes one token from position p of the line and moves p past it.
std::string NextToken(const std::string& line, size_t& p) {
  const size_t n = line.size();
  for (;;) {
    while (p < n && IsSeparator(static_cast<unsigned char>(line[p]))) ++p;
    if (p + 1 < n && line[p] == '"' && line[p + 1] == '"') {
      p += 2;
      continue;
    }
    break;
  }
  std::string token;
  while (p < n && static_cast<unsigned char>(line[p]) > 0x20) {
    if (line[p] == '"') {
      ++p;
      const size_t close = line.find('"', p);
      const size_t end = close == std::string::npos ? n : close;
      token.append(line, p, end - p);
      p = close == std::string::npos ? n : close + 1;
    } else {
      token += line[p++];
    }
  }
  return token;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& text) {
  // The system hands the line over as a C string: it ends at the first NUL.
  const std::string line = text.substr(0, text.find('\0'));
  std::vector<std::string> args;
  size_t p = 0;
  NextToken(line, p);  // the program's own name
  for (;;) {
    std::string token = NextToken(line, p);
    if (token.empty()) break;
    args.push_back(std::move(token));
  }
  return args;
}

int ParamCount() {
  return static_cast<int>(SplitCommandLine(GetCommandLineA()).size());
}

std::string ParamStr(int i) {
  if (i == 0) {
    char buffer[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, n < sizeof buffer ? n : sizeof buffer - 1);
  }
  const std::vector<std::string> args = SplitCommandLine(GetCommandLineA());
  if (i < 1 || i > static_cast<int>(args.size())) return std::string();
  return args[static_cast<size_t>(i) - 1];
}

}  // namespace orlo
