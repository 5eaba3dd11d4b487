#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"
#include "paths.h"

using namespace orlo;
using Args = std::vector<std::string>;

// CP932 "表" (0x95 0x5C): its second byte is the backslash code.
static const std::string kHyo = "\x95\x5C";

TEST(PathParts, SplitAtTheLastBackslashOrColon) {
  EXPECT_EQ(FolderPart("C:\\Data\\a.txt"), "C:\\Data\\");
  EXPECT_EQ(NamePart("C:\\Data\\a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("C:a.txt"), "C:");
  EXPECT_EQ(NamePart("C:a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("D:\\x:y"), "D:\\x:");
  EXPECT_EQ(NamePart("D:\\x:y"), "y");
  // A trailing backslash: the folder is everything, the name is empty.
  EXPECT_EQ(FolderPart("C:\\Data\\"), "C:\\Data\\");
  EXPECT_EQ(NamePart("C:\\Data\\"), "");
  // No delimiter at all.
  EXPECT_EQ(FolderPart("a.txt"), "");
  EXPECT_EQ(NamePart("a.txt"), "a.txt");
  EXPECT_EQ(FolderPart(""), "");
  EXPECT_EQ(NamePart(""), "");
  // The doubled separator of the settings path stays in the folder part.
  EXPECT_EQ(FolderPart("C:\\Tools\\\\orlosend.ini"), "C:\\Tools\\\\");
  EXPECT_EQ(NamePart("\\\\server\\share\\f"), "f");
}

TEST(PathParts, DoubleByteCharactersStayWhole) {
  // "表" as the last character of the name, of a folder and of the whole path.
  EXPECT_EQ(NamePart("C:\\Data\\" + kHyo + ".txt"), kHyo + ".txt");
  EXPECT_EQ(FolderPart("C:\\" + kHyo + "\\a.txt"), "C:\\" + kHyo + "\\");
  EXPECT_EQ(NamePart("C:\\Data\\a" + kHyo), "a" + kHyo);
  EXPECT_EQ(FolderPart("C:\\Data\\a" + kHyo), "C:\\Data\\");
  EXPECT_EQ(NamePart(kHyo + kHyo), kHyo + kHyo);
  EXPECT_EQ(FolderPart(kHyo), "");
  // 0x95 0x95 is one character, so the backslash after it counts: a scan
  // that only looks at the byte before a backslash gets this wrong.
  EXPECT_EQ(NamePart("C:\\\x95\x95\\a"), "a");
  EXPECT_EQ(FolderPart("C:\\\x95\x95\\a"), "C:\\\x95\x95\\");
  // A half-width katakana (0xC3) is a single byte: the backslash after it counts.
  EXPECT_EQ(NamePart("C:\\\xC3\\b"), "b");
  // A lone lead byte at the very end is simply part of the name.
  EXPECT_EQ(NamePart("C:\\a\\\x95"), "\x95");
}

TEST(PathParts, AbbreviateKeepsThreeBytesAndTheName) {
  EXPECT_EQ(AbbreviatePath("C:\\Documents and Settings\\user\\Desktop"), "C:\\...\\Desktop");
  EXPECT_EQ(AbbreviatePath("\\\\server\\share\\folder\\sub"), "\\\\s...\\sub");
  EXPECT_EQ(AbbreviatePath("C:\\Documents and Settings\\"), "C:\\...\\");
  EXPECT_EQ(AbbreviatePath("abcdefghijklmnopqrstuvwxyz"), "abc...\\abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(AbbreviatePath("C:"), "C:...\\");
  // A double-byte character at bytes 3 and 4 is cut after its first byte.
  EXPECT_EQ(AbbreviatePath("ab" + kHyo + "def\\name"), "ab\x95...\\name");
  // The name keeps a trailing "表".
  EXPECT_EQ(AbbreviatePath("C:\\folder\\sub\\" + kHyo), "C:\\...\\" + kHyo);
}

TEST(CommandLine, BlanksTabsAndControlBytesSeparate) {
  EXPECT_EQ(SplitCommandLine("prog a b"), (Args{"a", "b"}));
  EXPECT_EQ(SplitCommandLine("  prog\ta\t\tb \x01 c\x1F"), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\orlosend.exe\" x"), (Args{"x"}));
  // Unquoted, a path with blanks falls apart into several arguments.
  EXPECT_EQ(SplitCommandLine("prog C:\\My Files\\a.txt"), (Args{"C:\\My", "Files\\a.txt"}));
  // Bytes from 0x80 up belong to tokens, including double-byte characters.
  EXPECT_EQ(SplitCommandLine("prog C:\\" + kHyo + "\\\xA0\xFF x"),
            (Args{"C:\\" + kHyo + "\\\xA0\xFF", "x"}));
  EXPECT_EQ(SplitCommandLine("prog"), Args{});
  EXPECT_EQ(SplitCommandLine("prog   "), Args{});
  EXPECT_EQ(SplitCommandLine(""), Args{});
}

TEST(CommandLine, QuotesOpenRunsAndAreDropped) {
  EXPECT_EQ(SplitCommandLine("prog \"C:\\My Files\\a.txt\" b"), (Args{"C:\\My Files\\a.txt", "b"}));
  // A quoted run joins what stands before and after it; tabs are kept inside.
  EXPECT_EQ(SplitCommandLine("prog ab\"c\td \"ef g"), (Args{"abc\td ef", "g"}));
  // No escape character: the backslash stays, the quote still opens a run.
  EXPECT_EQ(SplitCommandLine("prog a\\\"b c\" d"), (Args{"a\\b c", "d"}));
  // An unmatched quote takes the rest of the line, blanks included.
  EXPECT_EQ(SplitCommandLine("prog a \"b c  "), (Args{"a", "b c  "}));
  // Quotes inside a token that close at once leave nothing behind.
  EXPECT_EQ(SplitCommandLine("prog a\"\"b"), (Args{"ab"}));
}

TEST(CommandLine, EmptyQuotedArgumentsVanish) {
  EXPECT_EQ(SplitCommandLine("prog \"\" a \"\" b \"\""), (Args{"a", "b"}));
  EXPECT_EQ(SplitCommandLine("prog \"\""), Args{});
  EXPECT_EQ(SplitCommandLine("prog \"\"\"\"x"), (Args{"x"}));
  // A lone quote at the end gives an empty token: the list ends there.
  EXPECT_EQ(SplitCommandLine("prog a \""), (Args{"a"}));
  // Three quotes: two are skipped, the third opens a run to the end.
  EXPECT_EQ(SplitCommandLine("prog \"\"\"a b"), (Args{"a b"}));
}

TEST(CommandLine, LongArgumentsStayWhole) {
  const std::string plain(300, 'p');
  std::string spaced = "C:\\" + std::string(150, 'a') + " " + std::string(150, 'b');
  const Args args = SplitCommandLine("prog " + plain + " \"" + spaced + "\" z");
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0], plain);
  EXPECT_EQ(args[1], spaced);
  EXPECT_EQ(args[2], "z");
}

TEST(CommandLine, ParamsComeFromTheProcessCommandLine) {
  // The test runner passes plain options (no quotes or backslashes), which
  // the C runtime splits the same way.
  EXPECT_EQ(ParamCount(), __argc - 1);
  for (int i = 1; i < __argc; ++i) EXPECT_EQ(ParamStr(i), __argv[i]);
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
  EXPECT_EQ(ParamStr(-1), "");
  EXPECT_EQ(NamePart(ParamStr(0)), "paths_test.exe");
}
