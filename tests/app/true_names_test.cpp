// Paths the program takes from the platform by their true names: folders
// from the shell's item lists (the picker and the special folders), the
// program's own folder, and what the destination field holds of them.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "file_names.h"
#include "forms.h"
#include "scratch_folder.h"
#include "shell_folders.h"
#include "std_controls.h"

using namespace orlo;
using orlo::testing_support::ScratchFolder;

namespace {

std::wstring Wide(const std::string& ansi) { return std::wstring(ansi.begin(), ansi.end()); }

}  // namespace

TEST(TrueNames, ItemListsAndTheProgramFolderGiveTrueNamesThatTheFieldKeeps) {
  ScratchFolder scratch("true_names");
  ASSERT_TRUE(scratch.Created());
  const std::wstring base = Wide(scratch.Path());  // the scratch folder's path is ASCII
  const std::wstring zoe = base + L"Zo\u00EB", twin = base + L"Zoe";
  ASSERT_TRUE(CreateDirectoryW(zoe.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(twin.c_str(), nullptr));

  // The item list of "Zoë" gives "Zoë", shown as "Zo?", never its twin.
  LPITEMIDLIST list = ILCreateFromPathW(zoe.c_str());
  ASSERT_NE(list, nullptr);
  const TFileName picked = PathFromItemList(list);
  ILFree(list);
  EXPECT_EQ(picked.Wide(), zoe);
  EXPECT_EQ(picked.Shown(), scratch.Path() + "Zo?");
  EXPECT_FALSE(picked.Exact());
  // A folder the code page names comes back exact, in the code page's bytes.
  list = ILCreateFromPathW(twin.c_str());
  ASSERT_NE(list, nullptr);
  const TFileName plain = PathFromItemList(list);
  ILFree(list);
  EXPECT_TRUE(plain.Exact());
  EXPECT_EQ(plain.Shown(), scratch.Path() + "Zoe");
  EXPECT_NE(plain, picked);
  EXPECT_TRUE(PathFromItemList(nullptr).Empty());

  // The destination field holds the true name and shows its code-page form;
  // text set in the code page comes back as it was set.
  TForm* form = new TForm(nullptr);
  TEdit* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetWideText(picked.Wide());
  EXPECT_TRUE(IsWindowUnicode(edit->Handle()));
  EXPECT_EQ(edit->WideText(), zoe);
  EXPECT_EQ(edit->Text(), picked.Shown());
  EXPECT_EQ(TFileName::FromWide(edit->WideText()), picked);
  edit->SetText("D:\\日本語");
  EXPECT_EQ(edit->Text(), "D:\\日本語");
  EXPECT_TRUE(TFileName::FromWide(edit->WideText()).Exact());
  form->Free();

  // The program's folder holds this program, found by its true name.
  const TFileName folder = ProgramFolder();
  ASSERT_FALSE(folder.Empty());
  EXPECT_EQ(folder.Wide().back(), L'\\');
  EXPECT_TRUE(FileExists(folder.Concat(TFileName::FromAnsi("true_names_test.exe"))));
  RemoveDirectoryW(zoe.c_str());
}
