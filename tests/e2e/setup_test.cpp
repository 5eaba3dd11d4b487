// orlosend-setup.exe under Wine: the Send To shortcut appears, leads to the
// program, and /u takes away only ours.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "driver.h"
#include "e2e_support.h"
#include "program_fixture.h"

using namespace orlo::e2e;

namespace {

std::string SendToFolder() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE, nullptr, 0, path);
  std::string s = path;
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

// The program a shortcut starts: the shell follows its item list, which
// holds the true path (Wine writes the shortcut's plain path in the code page
// only).
std::wstring LinkTargetWide(const std::wstring& link) {
  std::wstring target;
  IShellLinkW* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell))))
    return L"<no shell link object>";
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) && SUCCEEDED(shell->GetIDList(&list)) && list) {
      wchar_t path[MAX_PATH] = {};
      if (SHGetPathFromIDListW(list, path)) target = path;
      CoTaskMemFree(list);
    }
    file->Release();
  }
  shell->Release();
  return target;
}

std::string LinkTarget(const std::string& link) {
  const std::wstring target = LinkTargetWide(Wide(link));
  char path[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, target.c_str(), -1, path, sizeof path, nullptr, nullptr);
  return path;
}

class SetupTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_FALSE(ProgramUnderTest().empty());
    const std::string& setup = ProgramUnderTest();
    const std::string built = setup.substr(0, setup.find_last_of('\\') + 1);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    root_ = std::string(temp) + "orlo_setup_" + std::to_string(GetCurrentProcessId()) + "\\";
    for (const std::string& f : {root_, root_ + "mine\\", root_ + "theirs\\"}) {
      CreateDirectoryA(f.c_str(), nullptr);
      ASSERT_TRUE(CopyFileA(setup.c_str(), (f + "orlosend-setup.exe").c_str(), FALSE));
      ASSERT_TRUE(CopyFileA((built + "orlosend.exe").c_str(), (f + "orlosend.exe").c_str(), FALSE));
    }
    link_ = SendToFolder() + "ORLO SENDTO.lnk";
    DeleteFileA(link_.c_str());
  }
  void TearDown() override {
    DeleteFileA(link_.c_str());
    DeleteFileA((SendToFolder() + "Other.lnk").c_str());
    RemoveTree(root_);
    CoUninitialize();
  }

  // Runs the setup program from a folder, answers its message box and
  // returns the box's text; exit holds the program's exit code.
  std::string Run(const std::string& folder, const std::string& args, DWORD* exit) {
    return Run(Wide(folder), Wide(args), exit);
  }
  std::string Run(const std::wstring& folder, const std::wstring& args, DWORD* exit) {
    Process p(folder + L"orlosend-setup.exe", args, folder);
    EXPECT_TRUE(p.Started());
    HWND box = WaitTopWindow(p.Id(), "#32770");
    EXPECT_NE(box, nullptr) << "the setup program said nothing";
    std::string text = "<no box>";
    if (box) {
      EXPECT_EQ(Text(box), "ORLO SENDTO");
      text.clear();
      for (HWND c : Children(box, "Static")) {
        std::string t = Text(c);
        if (!t.empty()) text = t;
      }
      HWND ok = GetDlgItem(box, IDOK);
      if (ok) Click(ok, 5, 5);
      else Close(box);
    }
    EXPECT_TRUE(p.WaitExit(10000));
    *exit = p.ExitCode();
    return text;
  }

  std::string root_, link_;
};

}  // namespace

TEST_F(SetupTest, MakesTheSendToShortcutAndRemovesOnlyOurs) {
  DWORD exit = 99;
  const std::string mine = root_ + "mine\\", theirs = root_ + "theirs\\";
  std::string said = Run(mine, "", &exit);
  EXPECT_EQ(exit, 0u);
  EXPECT_NE(said.find("作りました"), std::string::npos) << said;
  EXPECT_NE(said.find(link_), std::string::npos) << said;
  ASSERT_TRUE(Exists(link_));
  EXPECT_EQ(LinkTarget(link_), mine + "orlosend.exe");

  // Another shortcut in the menu is none of ours.
  ASSERT_TRUE(PutFile(SendToFolder() + "Other.lnk", "not ours"));
  said = Run(mine, "/u", &exit);
  EXPECT_EQ(exit, 0u);
  EXPECT_NE(said.find("削除しました"), std::string::npos) << said;
  EXPECT_FALSE(Exists(link_));
  EXPECT_EQ(FileBytes(SendToFolder() + "Other.lnk"), "not ours");

  // Removing when there is nothing to remove says so.
  said = Run(mine, "/u", &exit);
  EXPECT_EQ(exit, 0u);
  EXPECT_NE(said.find("ありません"), std::string::npos) << said;

  // A shortcut of that name to another copy is left alone.
  Run(theirs, "", &exit);
  ASSERT_EQ(LinkTarget(link_), theirs + "orlosend.exe");
  said = Run(mine, "/u", &exit);
  EXPECT_EQ(exit, 1u);
  EXPECT_NE(said.find("そのままにしました"), std::string::npos) << said;
  EXPECT_EQ(LinkTarget(link_), theirs + "orlosend.exe");
}

TEST_F(SetupTest, RefusesToRunWithoutTheProgramBesideIt) {
  const std::string alone = root_ + "mine\\";
  ASSERT_TRUE(DeleteFileA((alone + "orlosend.exe").c_str()));
  DWORD exit = 99;
  std::string said = Run(alone, "", &exit);
  EXPECT_EQ(exit, 1u);
  EXPECT_NE(said.find("orlosend.exe が見つかりません"), std::string::npos) << said;
  EXPECT_FALSE(Exists(link_));
}

TEST_F(SetupTest, AFolderOutsideTheCodePageGetsAShortcutToItsOwnProgram) {
  // "Zoë" and its best-fit twin "Zoe" both hold the programs.
  const std::wstring zoe = Wide(root_) + L"Zo\u00EB\\";
  const std::string twin = root_ + "Zoe\\";
  ASSERT_TRUE(CreateDirectoryW(zoe.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(twin.c_str(), nullptr));
  for (const char* name : {"orlosend-setup.exe", "orlosend.exe"}) {
    ASSERT_TRUE(CopyFileW(Wide(root_ + "mine\\" + name).c_str(), (zoe + Wide(name)).c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((root_ + "mine\\" + name).c_str(), (twin + name).c_str(), FALSE));
  }
  DWORD exit = 99;
  const std::string said = Run(zoe, L"", &exit);
  EXPECT_EQ(exit, 0u);
  EXPECT_NE(said.find("作りました"), std::string::npos) << said;
  EXPECT_EQ(LinkTargetWide(Wide(link_)), zoe + L"orlosend.exe");
  // The twin's copy does not take it for its own; Zoë's does.
  Run(twin, "/u", &exit);
  EXPECT_EQ(exit, 1u);
  EXPECT_TRUE(Exists(link_));
  Run(zoe, L"/u", &exit);
  EXPECT_EQ(exit, 0u);
  EXPECT_FALSE(Exists(link_));
}
