// Settings files through the system's profile functions.
#pragma once
#include <cstdint>
#include <string>

namespace orlo {

// Access to one profile (INI) file. Making the object touches no file; every
// read and write goes to the system's profile functions, which also create
// the file on the first write.
class TIniFile {
public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  // Values are read through a buffer of 1024 bytes: a longer value comes back
  // cut to its first 1023 bytes.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // The value read as text and converted by IniTextToInt.
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;

  // A write the system refuses raises Exception "<file> に書き込めません".
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  // Written in decimal.
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);

private:
  std::string fileName_;
};

// The integer a settings value stands for: a text of more than two
// characters that starts with "0x" or "0X" has them replaced by "$"; then
// leading blanks, a signed decimal or a "$"/"x"/"0x" hexadecimal value whose
// 32 bits are taken as they are. Anything else gives defaultValue.
int32_t IniTextToInt(const std::string& text, int32_t defaultValue);

}  // namespace orlo
