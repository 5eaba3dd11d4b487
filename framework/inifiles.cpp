#include "inifiles.h"

#include <windows.h>

#include "resource_strings.h"
#include "sysutils.h"

namespace orlo {

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  char buffer[1024];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                           buffer, sizeof buffer, fileName_.c_str());
  return std::string(buffer, n < sizeof buffer ? n : sizeof buffer - 1);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
  return IniTextToInt(ReadString(section, key, std::string()), defaultValue);
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
    throw Exception(Format(res::SIniFileWriteError, fileName_));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

int32_t IniTextToInt(const std::string& text, int32_t defaultValue) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return StrToIntDef("$" + text.substr(2), defaultValue);
  return StrToIntDef(text, defaultValue);
}

}  // namespace orlo
