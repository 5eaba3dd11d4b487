// The application manifest of the shipped programs, read back as the loader
// reads it when a program starts: the one manifest resource, and the
// activation context made from it (execution level, density awareness,
// supported versions, dependencies). The programs are named on the command
// line; a program of either width reads both.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601  // the manifest's settings are read with Vista's calls
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "driver.h"
#include "programs_under_test.h"

namespace {

using orlo::release::BaseName;
using orlo::release::Programs;

struct ManifestResource {
  LPCSTR name;
  WORD language;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR name, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<ManifestResource>*>(param)->push_back({name, language});
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
  EnumResourceLanguagesA(module, type, name, CollectLanguage, param);
  return TRUE;
}

// Every manifest resource of the program, in any language.
std::vector<ManifestResource> ManifestResources(HMODULE module) {
  std::vector<ManifestResource> found;
  EnumResourceNamesA(module, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&found));
  return found;
}

// The activation context the loader makes from the program's manifest.
class ActivationContext {
public:
  explicit ActivationContext(const std::string& path) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    handle_ = CreateActCtxA(&request);
    if (handle_ == INVALID_HANDLE_VALUE) error_ = GetLastError();
  }
  ~ActivationContext() {
    if (Made()) ReleaseActCtx(handle_);
  }
  ActivationContext(const ActivationContext&) = delete;
  ActivationContext& operator=(const ActivationContext&) = delete;

  bool Made() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD Error() const { return error_; }

  // The information of one class, as bytes; empty when the query fails.
  std::vector<char> Query(ULONG infoClass) const {
    std::vector<char> buffer(4096);
    SIZE_T written = 0;
    if (!QueryActCtxW(0, handle_, nullptr, infoClass, buffer.data(), buffer.size(), &written))
      return {};
    buffer.resize(written);
    return buffer;
  }

  // A setting of the WindowsSettings namespace of 2005 or 2016;
  // "<none>" when the manifest has none.
  std::string Setting(const wchar_t* ns, const wchar_t* name) const {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, handle_, ns, name, value, sizeof value / sizeof value[0], &written))
      return "<none>";
    std::string narrow;
    for (const wchar_t* c = value; *c; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '?';
    return narrow;
  }

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DWORD error_ = 0;
};

const wchar_t kSettings2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
const wchar_t kSettings2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";

std::string GuidText(const GUID& g) {
  char text[40];
  snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
           static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
           g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

// The versions of Windows the manifest names. Newer platforms hand back each
// element with its highest tested version (32 bytes from offset 8), older
// ones without (20 bytes from offset 4): the size written tells which.
std::vector<std::string> SupportedSystems(const std::vector<char>& info) {
  if (info.size() < sizeof(DWORD)) return {"<no compatibility information>"};
  DWORD count = 0;
  memcpy(&count, info.data(), sizeof count);
  size_t offset = 0, stride = 0;
  if (info.size() == 4 + count * 20) {
    offset = 4, stride = 20;
  } else if (info.size() == 8 + count * 32) {
    offset = 8, stride = 32;
  } else {
    return {"<" + std::to_string(count) + " elements in " + std::to_string(info.size()) + " bytes>"};
  }
  std::vector<std::string> systems;
  for (DWORD i = 0; i < count; ++i) {
    const char* element = info.data() + offset + i * stride;
    GUID id;
    DWORD type = 0;
    memcpy(&id, element, sizeof id);
    memcpy(&type, element + sizeof id, sizeof type);
    systems.push_back(type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS ? GuidText(id)
                                                                  : "<element of type " + std::to_string(type) + ">");
  }
  return systems;
}

struct Expected {
  ACTCTX_REQUESTED_RUN_LEVEL runLevel;
  std::string dpiAware;
  std::vector<std::string> systems;
};

const std::map<std::string, Expected> kExpected = {
    {"orlosend-setup.exe", {ACTCTX_RUN_LEVEL_AS_INVOKER, "<none>", {}}},
    // Windows 7, 8, 8.1, and 10 and 11.
    {"orlosend.exe",
     {ACTCTX_RUN_LEVEL_UNSPECIFIED, "true",
      {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
       "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}}},
};

// One manifest, the one the loader takes (type 24, id 1): a second one from
// the toolchain, in another language or under another id, would be a
// different program to the platform.
TEST(Manifest, EveryProgramCarriesExactlyOne) {
  ASSERT_FALSE(Programs().empty()) << "name the programs on the command line";
  for (const std::string& path : Programs()) {
    SCOPED_TRACE(path);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    const std::vector<ManifestResource> found = ManifestResources(module);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(IS_INTRESOURCE(found[0].name) && reinterpret_cast<ULONG_PTR>(found[0].name) == 1);
    FreeLibrary(module);
  }
}

// orlosend.exe scales itself to the screen's density, so the platform must
// not stretch it; it asks for no execution level, so that its settings under
// Program Files are written through the per-user copy; it keeps the classic
// controls. orlosend-setup.exe runs as the user who starts it, which keeps
// Windows from taking it for an installer that must be elevated.
TEST(Manifest, TellsTheLoaderWhatEachProgramNeeds) {
  ASSERT_FALSE(Programs().empty());
  for (const std::string& path : Programs()) {
    SCOPED_TRACE(path);
    ASSERT_EQ(kExpected.count(BaseName(path)), 1u) << "a program this test does not know";
    const Expected& want = kExpected.at(BaseName(path));
    ActivationContext context(path);
    ASSERT_TRUE(context.Made()) << "the loader refuses the manifest, error " << context.Error();

    const std::vector<char> level = context.Query(RunlevelInformationInActivationContext);
    ASSERT_GE(level.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run{};
    memcpy(&run, level.data(), sizeof run);
    EXPECT_EQ(run.RunLevel, want.runLevel);
    EXPECT_EQ(run.UiAccess, 0u);

    // System-aware, not per monitor: the program does not follow a window
    // moved to a screen of another density.
    EXPECT_EQ(context.Setting(kSettings2005, L"dpiAware"), want.dpiAware);
    EXPECT_EQ(context.Setting(kSettings2016, L"dpiAwareness"), "<none>");

    EXPECT_EQ(SupportedSystems(context.Query(CompatibilityInformationInActivationContext)),
              want.systems);

    // The program's own manifest and nothing it depends on: no version 6
    // of the common controls.
    const std::vector<char> detail = context.Query(ActivationContextDetailedInformation);
    ASSERT_GE(detail.size(), sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION));
    ACTIVATION_CONTEXT_DETAILED_INFORMATION d{};
    memcpy(&d, detail.data(), sizeof d);
    EXPECT_EQ(d.ulAssemblyCount, 1u);
  }
}

}  // namespace

int main(int argc, char** argv) { return orlo::release::RunTestsOnPrograms(argc, argv); }
