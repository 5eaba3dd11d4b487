#include "command_line.h"

#include <windows.h>

namespace orlo {

std::vector<std::string> SplitCommandLine(const std::string& text) { return SplitCommandLineText(text); }

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
