// The version information of the shipped programs, read back as the file
// properties page reads it (GetFileVersionInfoA, VerQueryValueA). The programs
// are named on the command line; a program of either width reads both.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "driver.h"
#include "programs_under_test.h"

namespace {

using orlo::release::BaseName;
using orlo::release::Programs;

struct VersionInfo {
  std::vector<char> block;

  explicit VersionInfo(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return;
    block.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) block.clear();
  }

  const void* Query(const std::string& sub, UINT* length) {
    void* value = nullptr;
    *length = 0;
    if (block.empty() || !VerQueryValueA(block.data(), sub.c_str(), &value, length)) return nullptr;
    return value;
  }

  // A string of the table the translation list names first.
  std::string String(const std::string& name) {
    UINT length = 0;
    const WORD* translation = static_cast<const WORD*>(Query("\\VarFileInfo\\Translation", &length));
    if (!translation || length < 4) return "<no translation>";
    char table[64];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    const char* text = static_cast<const char*>(Query(table + name, &length));
    if (!text) return "<missing>";
    return std::string(text, length > 0 && text[length - 1] == '\0' ? length - 1 : length);
  }
};

// The version the build was made with, as MAJOR.MINOR.PATCH numbers.
std::vector<unsigned> ReleaseNumbers() {
  unsigned major = 0, minor = 0, patch = 0;
  EXPECT_EQ(3, std::sscanf(ORLO_VERSION, "%u.%u.%u", &major, &minor, &patch));
  return {major, minor, patch};
}

// Sources are UTF-8 and literals CP932: these compare with what the A call
// hands back on a Japanese system.
const std::map<std::string, std::string> kDescriptions = {
    {"orlosend.exe", "ORLO SENDTO: ファイルをフォルダへ移動・コピー"},
    {"orlosend-setup.exe", "ORLO SENDTO: 送るメニューへの登録と解除"},
};

TEST(VersionInfo, EveryProgramCarriesTheRelease) {
  ASSERT_FALSE(Programs().empty()) << "name the programs on the command line";
  const std::vector<unsigned> release = ReleaseNumbers();
  for (const std::string& path : Programs()) {
    SCOPED_TRACE(path);
    VersionInfo info(path);
    ASSERT_FALSE(info.block.empty()) << "no version resource, error " << GetLastError();

    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(info.Query("\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, (release[0] << 16) | release[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, release[2] << 16);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const WORD* translation =
        static_cast<const WORD*>(info.Query("\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation[0], 0x0411) << "Japanese";
    EXPECT_EQ(translation[1], 932) << "code page 932";

    const std::string name = BaseName(path);
    EXPECT_EQ(info.String("ProductName"), "orlosend");
    EXPECT_EQ(info.String("FileVersion"), ORLO_VERSION);
    EXPECT_EQ(info.String("ProductVersion"), ORLO_VERSION);
    EXPECT_EQ(info.String("OriginalFilename"), name);
    EXPECT_EQ(info.String("LegalCopyright"), "(C) 2026 orlosend developers");
    ASSERT_EQ(kDescriptions.count(name), 1u) << "a program this test does not know";
    EXPECT_EQ(info.String("FileDescription"), kDescriptions.at(name));
  }
}

BOOL CALLBACK CollectManifest(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
  HRSRC found = FindResourceA(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (data) reinterpret_cast<std::string*>(param)->append(data, SizeofResource(module, found));
  return TRUE;
}

// The controls keep the classic look the windows were drawn for: a manifest
// asking for version 6 of the common controls would change every button.
TEST(VersionInfo, NoManifestAsksForNewControls) {
  ASSERT_FALSE(Programs().empty());
  for (const std::string& path : Programs()) {
    SCOPED_TRACE(path);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    std::string manifests;
    EnumResourceNamesA(module, RT_MANIFEST, CollectManifest, reinterpret_cast<LONG_PTR>(&manifests));
    // The icon is found the same way: no manifest is not a failed read.
    if (BaseName(path) == "orlosend.exe") {
      EXPECT_NE(FindResourceA(module, "MAINICON", RT_GROUP_ICON), nullptr);
    }
    EXPECT_EQ(manifests.find("Common-Controls"), std::string::npos) << manifests;
    FreeLibrary(module);
  }
}

}  // namespace

int main(int argc, char** argv) { return orlo::release::RunTestsOnPrograms(argc, argv); }
