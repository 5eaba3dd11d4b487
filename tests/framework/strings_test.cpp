#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "description_reader.h"
#include "resource_strings.h"
#include "streams.h"
#include "strings.h"
#include "scratch_folder.h"
#include "size_reporting_stream.h"
#include "sysutils.h"

using namespace orlo;
using orlo::testing_support::MessageOf;
using orlo::testing_support::ScratchFolder;
using Lines = std::vector<std::string>;

namespace {

Lines Entries(const TStrings& s) {
  Lines out;
  for (int i = 0; i < s.Count(); ++i) out.push_back(s[i]);
  return out;
}

TStringList* ListOf(TStringList& list, const Lines& lines) {
  list.Clear();
  for (const std::string& l : lines) list.Add(l);
  return &list;
}

// Records the list's notifications in order.
class Listener : public TObject {
public:
  void Changing(TObject* sender) { log += sender == list ? "<" : "?"; }
  void Changed(TObject* sender) { log += sender == list ? ">" : "?"; }
  void Attach(TStringList& l) {
    list = &l;
    l.OnChanging = TNotifyEvent(this, &Listener::Changing);
    l.OnChange = TNotifyEvent(this, &Listener::Changed);
  }
  TStringList* list = nullptr;
  std::string log;
};

// The smallest list a control can build on: only the abstract operations.
class BareStrings : public TStrings {
public:
  void Insert(int index, const std::string& s) override {
    items.insert(items.begin() + index, s);
    log += "i";
  }
  void Delete(int index) override {
    items.erase(items.begin() + index);
    log += "d";
  }
  void Clear() override {
    items.clear();
    log += "c";
  }
  Lines items;
  std::string log;

protected:
  std::string Get(int index) const override { return items.at(static_cast<size_t>(index)); }
  int GetCount() const override { return static_cast<int>(items.size()); }
  void SetUpdateState(bool updating) override { log += updating ? "[" : "]"; }
};

// A stream that takes only a few bytes.
class ShortStream : public TMemoryStream {
public:
  size_t Write(const void* buffer, size_t count) override {
    return TMemoryStream::Write(buffer, count < 3 ? count : 3);
  }
};

}  // namespace

TEST(StringsText, SplitsAtEveryKindOfLineEnd) {
  struct Case {
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},          // a line end at the very end adds nothing
      {"a\nb\rc", {"a", "b", "c"}},         // LF and CR alone, last line kept
      {"a\n\rb", {"a", "", "b"}},           // LF CR is two line ends
      {"a\r\r\nb", {"a", "", "b"}},         // CR, then CR LF
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"a\r\n\r\nb", {"a", "", "b"}},       // a blank line is an entry
      {" a \t\r\n", {" a \t"}},             // nothing trimmed
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},  // a NUL ends the text
      {std::string("\0a", 2), {}},
      {"C:\\\x95\x5C\r\n\x95\x5C\\x", {"C:\\\x95\x5C", "\x95\x5C\\x"}},
  };
  TStringList list;
  list.Add("stale");
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(Entries(list), c.lines) << "text: " << testing::PrintToString(c.text);
  }
}

TEST(StringsText, JoinsWithCrLfAfterEveryEntry) {
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  ListOf(list, {"a", "", "b"});
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  ListOf(list, {""});
  EXPECT_EQ(list.Text(), "\r\n");
  // A round trip through Text keeps empty entries, even a last one.
  ListOf(list, {"x", "", ""});
  TStringList copy;
  copy.SetText(list.Text());
  EXPECT_EQ(Entries(copy), (Lines{"x", "", ""}));
}

TEST(StringList, EditsInPlaceAndChecksIndexes) {
  TStringList list;
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.Add("d"), 1);
  list.Insert(0, "a");
  list.Insert(2, "c");
  list.Insert(4, "e");  // at the end
  EXPECT_EQ(Entries(list), (Lines{"a", "b", "c", "d", "e"}));
  list.SetStrings(1, "B");
  list.Delete(4);
  list.Delete(0);
  EXPECT_EQ(Entries(list), (Lines{"B", "c", "d"}));
  EXPECT_EQ(list.Strings(2), "d");

  const std::string message = res::SListIndexError;
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Strings(-1); }), message);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Strings(3); }), message);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(3, "x"); }), message);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Delete(3); }), message);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(4, "x"); }), message);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(-1, "x"); }), message);
  // A handler that expects any list error catches it too.
  EXPECT_THROW(list[-1], EListError);
  EXPECT_EQ(Entries(list), (Lines{"B", "c", "d"}));
}

TEST(StringList, IndexOfFindsTheFirstExactMatch) {
  TStringList list;
  ListOf(list, {"C:\\a", "c:\\A", "", "C:\\a"});
  EXPECT_EQ(list.IndexOf("C:\\a"), 0);
  EXPECT_EQ(list.IndexOf("c:\\A"), 1);  // letter case counts
  EXPECT_EQ(list.IndexOf(""), 2);
  EXPECT_EQ(list.IndexOf("C:\\b"), -1);
}

TEST(StringList, NotifiesEveryChangeOrOnceAroundAnUpdate) {
  TStringList list;
  Listener l;
  l.Attach(list);
  list.Add("a");
  list.Insert(0, "b");
  list.SetStrings(0, "c");
  list.Delete(0);
  EXPECT_EQ(l.log, "<><><><>");

  l.log.clear();
  list.Clear();
  list.Clear();  // nothing left to clear: no notification
  EXPECT_EQ(l.log, "<>");

  // Failing edits change nothing and say nothing.
  l.log.clear();
  EXPECT_THROW(list.Delete(0), EStringListError);
  EXPECT_EQ(l.log, "");

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("x");
  list.Add("y");
  list.EndUpdate();
  EXPECT_EQ(l.log, "<");
  list.EndUpdate();
  EXPECT_EQ(l.log, "<>");
  EXPECT_EQ(list.UpdateCount(), 0);
  list.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(l.log, "<>");

  // Loading a whole text is one change.
  l.log.clear();
  list.SetText("1\r\n2\r\n3");
  EXPECT_EQ(l.log, "<>");
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringsBase, BuildsEverythingOnTheAbstractOperations) {
  BareStrings s;
  s.SetText("a\r\nb");
  EXPECT_EQ(s.log, "[cii]");
  EXPECT_EQ(s.Text(), "a\r\nb\r\n");
  EXPECT_EQ(s.IndexOf("b"), 1);
  s.log.clear();
  s.SetStrings(0, "z");  // replaced by a delete and an insert, as one change
  EXPECT_EQ(s.log, "[di]");
  EXPECT_EQ(s.items, (Lines{"z", "b"}));
  EXPECT_EQ(s.Add("c"), 2);

  TStringList list;
  list.Assign(&s);
  EXPECT_EQ(Entries(list), (Lines{"z", "b", "c"}));
  s.log.clear();
  s.Assign(ListOf(list, {"1"}));
  EXPECT_EQ(s.log, "[ci]");
  EXPECT_EQ(s.items, Lines{"1"});
}

TEST(StringList, AssignCopiesListsOnly) {
  TStringList a, b;
  ListOf(a, {"x", "", "y"});
  ListOf(b, {"old"});
  Listener l;
  l.Attach(b);
  b.Assign(&a);
  EXPECT_EQ(Entries(b), (Lines{"x", "", "y"}));
  EXPECT_EQ(l.log, "<>");
  b.Assign(&b);
  EXPECT_EQ(Entries(b), (Lines{"x", "", "y"}));

  TPersistent other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
  EXPECT_EQ(Entries(b), (Lines{"x", "", "y"}));
}

TEST(StringList, StreamsCarryTheText) {
  TMemoryStream m;
  m.WriteBuffer("skip|a\nb", 8);
  m.SetPosition(5);  // loading starts at the stream's position
  TStringList list;
  list.LoadFromStream(m);
  EXPECT_EQ(Entries(list), (Lines{"a", "b"}));

  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())),
            "a\r\nb\r\n");

  ShortStream tight;
  EXPECT_EQ(MessageOf<EWriteError>([&] { list.SaveToStream(tight); }), res::SWriteError);
}

TEST(StringList, RefusesAStreamTooBigToHoldAndKeepsItsLines) {
  for (int64_t size : orlo::testing_support::SizesBeyondMemory(true)) {
    orlo::testing_support::TSizeReportingStream huge(size);
    TStringList list;
    list.Add("kept");
    EXPECT_EQ(MessageOf<EReadError>([&] { list.LoadFromStream(huge); }), res::SReadError) << size;
    EXPECT_EQ(Entries(list), (Lines{"kept"})) << size;
  }
  // A stream positioned past its end has nothing left to give.
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  m.SetPosition(10);
  TStringList list;
  list.Add("old");
  list.LoadFromStream(m);
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, ReadsTheStringsPropertyOfADescription) {
  // A list value: a short string, an empty one, a long string, the list's end.
  const std::string longText(300, 'L');
  std::string bytes = std::string("\x01\x06\x03" "abc" "\x06\x00", 8);
  bytes += '\x0C';
  const uint32_t n = static_cast<uint32_t>(longText.size());
  bytes.append(reinterpret_cast<const char*>(&n), 4);
  bytes += longText;
  bytes += '\x00';
  bytes += "rest";
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), bytes.size());
  m.SetPosition(0);

  TStringList list;
  ListOf(list, {"from the constructor"});
  Listener l;
  l.Attach(list);
  TReader reader(m);
  EXPECT_FALSE(list.ReadDefinedProperty("Data", reader));
  EXPECT_EQ(m.Position(), 0);  // an unknown name reads nothing
  EXPECT_TRUE(list.ReadDefinedProperty("Strings", reader));
  EXPECT_EQ(Entries(list), (Lines{"abc", "", longText}));
  EXPECT_EQ(l.log, "<>");
  EXPECT_EQ(m.Position(), static_cast<int64_t>(bytes.size() - 4));

  // A value that is not a string fails as the reader reports it, and the
  // list is not left inside an update.
  const char bad[] = {'\x01', '\x06', '\x01', 'x', '\x02', '\x05', '\x00'};
  TMemoryStream m2;
  m2.WriteBuffer(bad, sizeof bad);
  m2.SetPosition(0);
  TReader reader2(m2);
  EXPECT_EQ(MessageOf<EReadError>([&] { list.ReadDefinedProperty("Strings", reader2); }),
            res::SInvalidPropertyValue);
  EXPECT_EQ(list.UpdateCount(), 0);
}

// --- files ------------------------------------------------------------------------

namespace {

class StringFiles : public orlo::testing_support::ScratchTest {};

}  // namespace

TEST_F(StringFiles, LoadsLinesAndSavesThemWithCrLf) {
  const std::string path = dir_ + "\\dirlist.txt";  // the program's doubled backslash
  Put(path, "C:\\one\nC:\\two\n\nD:\\\x95\x5C");
  TStringList list;
  list.LoadFromFile(path);
  EXPECT_EQ(Entries(list), (Lines{"C:\\one", "C:\\two", "", "D:\\\x95\x5C"}));
  list.SaveToFile(path);
  EXPECT_EQ(Bytes(path), "C:\\one\r\nC:\\two\r\n\r\nD:\\\x95\x5C\r\n");
  EXPECT_EQ(Names(), Lines{"dirlist.txt"});  // nothing else left behind

  // 35 entries survive a round trip whole.
  TStringList many;
  for (int i = 0; i < 35; ++i) many.Add("C:\\folder" + std::to_string(i));
  many.SaveToFile(path);
  list.LoadFromFile(path);
  EXPECT_EQ(Entries(list), Entries(many));

  list.Clear();
  list.SaveToFile(path);
  EXPECT_EQ(Bytes(path), "");
  // A file in a folder named with a 0x5C trail byte lands in that folder.
  const std::string hyo = dir_ + "\x95\x5C";
  ASSERT_TRUE(CreateDirectoryA(hyo.c_str(), nullptr));
  ListOf(list, {"x"});
  list.SaveToFile(hyo + "\\\x95\x5C.txt");
  EXPECT_EQ(Bytes(hyo + "\\\x95\x5C.txt"), "x\r\n");
  DeleteFileA((hyo + "\\\x95\x5C.txt").c_str());
}

TEST_F(StringFiles, AFileHeldOpenIsNeitherReadNorReplaced) {
  const std::string path = dir_ + "dirlist.txt";
  Put(path, "keep\r\n");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TStringList list;
  list.Add("entry");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(path); }), Format(res::SFOpenError, path));
  EXPECT_EQ(Entries(list), Lines{"entry"});
  EXPECT_EQ(MessageOf<EFCreateError>([&] { list.SaveToFile(path); }), Format(res::SFCreateError, path));
  CloseHandle(held);
  EXPECT_EQ(Bytes(path), "keep\r\n");
  EXPECT_EQ(Names(), Lines{"dirlist.txt"});

  // Held without any sharing, as another program's exclusive open does.
  held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(list.LoadFromFile(path), EFOpenError);
  EXPECT_THROW(list.SaveToFile(path), EFCreateError);
  CloseHandle(held);
  EXPECT_EQ(Bytes(path), "keep\r\n");
}

TEST_F(StringFiles, AReadOnlyFileOrAFolderIsNotReplaced) {
  const std::string path = dir_ + "dirlist.txt";
  Put(path, "keep\r\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  TStringList list;
  list.Add("new");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { list.SaveToFile(path); }), Format(res::SFCreateError, path));
  EXPECT_EQ(Bytes(path), "keep\r\n");
  EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  // Reading a read-only file is fine.
  list.LoadFromFile(path);
  EXPECT_EQ(Entries(list), Lines{"keep"});

  const std::string folder = dir_ + "folder.txt";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(folder); }), Format(res::SFOpenError, folder));
  EXPECT_EQ(MessageOf<EFCreateError>([&] { list.SaveToFile(folder); }), Format(res::SFCreateError, folder));
  EXPECT_NE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(Names().size(), 2u);
}
