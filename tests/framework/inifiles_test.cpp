#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "inifiles.h"
#include "resource_strings.h"
#include "scratch_folder.h"
#include "sysutils.h"

using namespace orlo;
using orlo::testing_support::ScratchFolder;

namespace {

class IniFiles : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Created());
    dir_ = scratch_.Path();
    // The program's own settings path, with its doubled backslash.
    path_ = dir_ + "\\orlosend.ini";
  }
  std::string Bytes() const { return ScratchFolder::Bytes(path_); }
  bool Exists() const { return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }
  // Writes a raw value the way a hand-edited file holds it.
  void PutAction(const std::string& value) {
    ASSERT_TRUE(WritePrivateProfileStringA("Setting", "Action", value.c_str(), path_.c_str()));
  }
  ScratchFolder scratch_{"ini"};
  std::string dir_, path_;
};

}  // namespace

TEST_F(IniFiles, MissingFileGivesDefaultsAndIsNotCreated) {
  TIniFile ini(path_);
  EXPECT_FALSE(Exists());
  EXPECT_EQ(ini.ReadString("Setting", "ToPath", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Setting", "Action", 42), 42);
  EXPECT_FALSE(Exists());
}

TEST_F(IniFiles, WritesAreReadBack) {
  {
    TIniFile ini(path_);
    ini.WriteString("Setting", "ToPath", "C:\\\x95\x5C\\dest");
    ini.WriteInteger("Setting", "Action", -1);
  }
  EXPECT_EQ(Bytes(), "[Setting]\r\nToPath=C:\\\x95\x5C\\dest\r\nAction=-1\r\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("Setting", "ToPath", ""), "C:\\\x95\x5C\\dest");
  EXPECT_EQ(ini.ReadInteger("Setting", "Action", 0), -1);
  // Another section's key is not this one.
  EXPECT_EQ(ini.ReadString("Other", "ToPath", "none"), "none");

  // An empty value keeps its key and reads back empty, not as the default.
  ini.WriteString("Setting", "ToPath", "");
  EXPECT_NE(Bytes().find("ToPath=\r\n"), std::string::npos);
  EXPECT_EQ(ini.ReadString("Setting", "ToPath", "dflt"), "");

  // Values are read through 1024 bytes: longer ones come back cut to 1023.
  const std::string longValue(2000, 'v');
  ini.WriteString("Setting", "ToPath", longValue);
  EXPECT_EQ(ini.ReadString("Setting", "ToPath", ""), longValue.substr(0, 1023));
}

TEST_F(IniFiles, IntegersFollowTheConversionRules) {
  TIniFile ini(path_);
  struct Case {
    const char* stored;
    int32_t expected;
  };
  // 99 as the default tells a failed conversion from a stored 0.
  const Case cases[] = {
      {"1", 1},        {"7", 7},           {"-5", -5},      {"0", 0},
      {"abc", 99},     {"0x1", 1},         {"0X1f", 31},    {"0x", 99},
      {"$10", 16},     {"x10", 16},        {"0xFFFFFFFF", -1}, {"+3", 3},
      {"1.5", 99},     {"2147483648", 99}, {"-2147483648", INT32_MIN},
      // The profile functions drop the blanks around a value.
      {" 12", 12},     {"12 ", 12},
  };
  for (const Case& c : cases) {
    PutAction(c.stored);
    EXPECT_EQ(ini.ReadInteger("Setting", "Action", 99), c.expected) << "stored: " << c.stored;
  }
  PutAction("");
  EXPECT_EQ(ini.ReadInteger("Setting", "Action", 99), 99);

  // The text conversion itself, blanks as they stand.
  EXPECT_EQ(IniTextToInt(" 12", 99), 12);
  EXPECT_EQ(IniTextToInt("12 ", 99), 99);
  EXPECT_EQ(IniTextToInt("0x", 99), 99);
  EXPECT_EQ(IniTextToInt("0x$1", 99), 99);
  EXPECT_EQ(IniTextToInt("0x80000000", 99), INT32_MIN);
}

TEST_F(IniFiles, ARefusedWriteNamesTheFile) {
  const std::string nowhere = dir_ + "no folder\\orlosend.ini";
  TIniFile missingFolder(nowhere);
  EXPECT_THROW(
      {
        try {
          missingFolder.WriteString("Setting", "ToPath", "x");
        } catch (const Exception& e) {
          EXPECT_EQ(e.Message(), Format(res::SIniFileWriteError, nowhere));
          throw;
        }
      },
      Exception);

  const std::string folder = dir_ + "folder.ini";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  TIniFile onFolder(folder);
  EXPECT_THROW(onFolder.WriteInteger("Setting", "Action", 1), Exception);
  EXPECT_NE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  // A file held open without sharing cannot be written either; its content stays.
  TIniFile ini(path_);
  ini.WriteString("Setting", "ToPath", "C:\\keep");
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(ini.WriteString("Setting", "ToPath", "C:\\lost"), Exception);
  CloseHandle(held);
  EXPECT_EQ(ini.ReadString("Setting", "ToPath", ""), "C:\\keep");
}
