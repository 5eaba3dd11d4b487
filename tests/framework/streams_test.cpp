#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resource_strings.h"
#include "streams.h"
#include "scratch_folder.h"
#include "size_reporting_stream.h"
#include "sysutils.h"

using namespace orlo;
using orlo::testing_support::MessageOf;
using orlo::testing_support::ScratchFolder;

namespace {

class StreamFiles : public orlo::testing_support::ScratchTest {};

std::string ReadAll(TStream& s) {
  std::string text(static_cast<size_t>(s.Size() - s.Position()), '\0');
  s.ReadBuffer(&text[0], text.size());
  return text;
}

}  // namespace

TEST(MemoryStream, GrowsSeeksAndReportsShortReads) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  EXPECT_EQ(m.Size(), 6);
  EXPECT_EQ(m.Position(), 6);
  EXPECT_EQ(m.Seek(-2, soFromEnd), 4);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 2u);  // only what is left
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(m.Read(buf, 8), 0u);
  // Before the start: refused, the position stays.
  EXPECT_EQ(m.Seek(-7, soFromCurrent), -1);
  EXPECT_EQ(m.Position(), 6);
  // Far past the end is allowed where memory can address it, and an offset
  // that overflows or that no size_t can hold is refused on either width.
  EXPECT_EQ(m.Seek(1000, soFromBeginning), 1000);
  EXPECT_EQ(m.Seek(INT64_MAX, soFromCurrent), -1);
  EXPECT_EQ(m.Position(), 1000);
  EXPECT_EQ(m.Seek(static_cast<int64_t>(SIZE_MAX / 2), soFromBeginning),
            static_cast<int64_t>(SIZE_MAX / 2));
  EXPECT_EQ(m.Seek(6, soFromBeginning), 6);
  if (sizeof(size_t) < sizeof(int64_t)) {
    EXPECT_EQ(m.Seek(int64_t{1} << 40, soFromBeginning), -1);
  }
  EXPECT_EQ(m.Position(), 6);

  // Writing past the end fills the gap with zeros.
  m.SetPosition(8);
  m.WriteBuffer("Z", 1);
  EXPECT_EQ(std::string(static_cast<const char*>(m.Memory()), 9), std::string("abcdef\0\0Z", 9));

  // Shrinking pulls the position back to the new end.
  m.SetSize(3);
  EXPECT_EQ(m.Position(), 3);
  m.SetPosition(1);
  EXPECT_EQ(MessageOf<EReadError>([&] { m.ReadBuffer(buf, 3); }), res::SReadError);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
}

TEST(MemoryStream, LoadsAndCopiesWholeStreams) {
  TMemoryStream source;
  source.WriteBuffer("0123456789", 10);
  source.SetPosition(7);  // loading starts at the beginning anyway
  TMemoryStream copy;
  copy.WriteBuffer("old content here", 16);
  copy.LoadFromStream(source);
  EXPECT_EQ(copy.Size(), 10);
  EXPECT_EQ(copy.Position(), 0);
  EXPECT_EQ(ReadAll(copy), "0123456789");

  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(source, 0), 10);
  target.SetPosition(0);
  EXPECT_EQ(ReadAll(target), "0123456789");
  source.SetPosition(2);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(source, 3), 3);
  part.SetPosition(0);
  EXPECT_EQ(ReadAll(part), "234");
  EXPECT_THROW(part.CopyFrom(source, 50), EReadError);
}

TEST(MemoryStream, RefusesASizeItCannotHoldAndKeepsItsContent) {
  for (int64_t size : orlo::testing_support::SizesBeyondMemory(false)) {
    orlo::testing_support::TSizeReportingStream huge(size);
    TMemoryStream m;
    m.WriteBuffer("kept", 4);
    EXPECT_EQ(MessageOf<EReadError>([&] { m.LoadFromStream(huge); }), res::SReadError) << size;
    EXPECT_EQ(m.Size(), 4) << size;
    EXPECT_EQ(std::string(static_cast<const char*>(m.Memory()), 4), "kept") << size;
  }
}

TEST(ResourceStream, ReadsEmbeddedBytesAndNamesMissingOnes) {
  TResourceStream r(GetModuleHandleA(nullptr), "ORLO_TEST_BYTES", RT_RCDATA);
  EXPECT_EQ(ReadAll(r), std::string("Hello\r\n\x34\x12", 9));
  // Read only: writing moves nothing, so WriteBuffer reports the write error.
  EXPECT_EQ(r.Write("x", 1), 0u);
  TMemoryStream source;
  source.WriteBuffer("abc", 3);
  EXPECT_EQ(MessageOf<EWriteError>([&] { source.SaveToStream(r); }), res::SWriteError);
  TResourceStream byNumber(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(77), RT_RCDATA);
  EXPECT_EQ(ReadAll(byNumber), "n");

  EXPECT_EQ(MessageOf<EResNotFound>([] {
              TResourceStream(GetModuleHandleA(nullptr), std::string("TFORM9"), RT_RCDATA);
            }),
            Format(res::SResNotFound, "TFORM9"));
  EXPECT_EQ(MessageOf<EResNotFound>([] {
              TResourceStream(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(78), RT_RCDATA);
            }),
            Format(res::SResNotFound, "#78"));
}

TEST_F(StreamFiles, FileStreamReadsWritesAndNamesThePathOnFailure) {
  const std::string path = dir_ + "data.bin";
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("hello world", 11);
    f.SetSize(5);
    EXPECT_EQ(f.Size(), 5);
  }
  EXPECT_EQ(Bytes(path), "hello");
  {
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.Seek(-1, soFromBeginning), -1);
    EXPECT_EQ(f.Position(), 0);
    f.SetPosition(1);
    EXPECT_EQ(ReadAll(f), "ello");
    // Opened for reading: writing moves nothing.
    EXPECT_EQ(MessageOf<EWriteError>([&] { f.WriteBuffer("x", 1); }), res::SWriteError);
    // Another exclusive open fails while this one is held.
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(path, fmOpenRead | fmShareExclusive); }),
              Format(res::SFOpenError, path));
  }
  const std::string missing = dir_ + "missing.bin";
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(missing, fmOpenRead); }),
            Format(res::SFOpenError, missing));
  const std::string nowhere = dir_ + "no folder\\x.bin";
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream(nowhere, fmCreate); }),
            Format(res::SFCreateError, nowhere));
  // Both are stream errors for a handler that does not care which.
  EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EStreamError);
}

TEST_F(StreamFiles, ReplacingKeepsTheOldContentWhenWritingFails) {
  const std::string path = dir_ + "list.txt";
  Put(path, "old\r\n");
  EXPECT_THROW(ReplaceFileContent(path,
                                  [](TStream& s) {
                                    s.WriteBuffer("half", 4);
                                    throw EWriteError(res::SWriteError);
                                  }),
               EWriteError);
  EXPECT_EQ(Bytes(path), "old\r\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"list.txt"});  // the new file is gone

  ReplaceFileContent(path, [](TStream& s) { s.WriteBuffer("new\r\n", 5); });
  EXPECT_EQ(Bytes(path), "new\r\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"list.txt"});

  // A missing target is created; the program's own paths carry a doubled
  // backslash before the name.
  const std::string doubled = dir_ + "\\fresh.txt";
  ReplaceFileContent(doubled, [](TStream& s) { s.WriteBuffer("x", 1); });
  EXPECT_EQ(Bytes(dir_ + "fresh.txt"), "x");
  EXPECT_EQ(Names().size(), 2u);

  // A folder that does not exist: the create error, naming the target.
  const std::string nowhere = dir_ + "none\\list.txt";
  EXPECT_EQ(MessageOf<EFCreateError>([&] {
              ReplaceFileContent(nowhere, [](TStream& s) { s.WriteBuffer("x", 1); });
            }),
            Format(res::SFCreateError, nowhere));
}
