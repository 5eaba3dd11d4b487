// Byte streams: files, growable memory and read-only resources.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orlo {

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// Whether a stream size or offset can be held in memory on this build: SIZE_MAX
// does not fit in int64_t on 64-bit builds, so compare unsigned.
inline bool FitsInSize(int64_t v) {
  return v >= 0 && static_cast<uint64_t>(v) <= static_cast<uint64_t>(SIZE_MAX);
}

class TStream;

// The bytes left in stream from its position, for loading them into a
// container of at most maxSize bytes. A stream that cannot tell its size or
// position, or holds more than the container (or memory on this build) can,
// raises EReadError before anything is allocated. Past the end: 0.
size_t SizeToLoad(TStream& stream, size_t maxSize);

class TStream {
public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Move up to count bytes; the result is the number actually moved.
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Returns the new position; -1 when it would lie before the start, and the
  // position then stays where it was.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  // All or nothing: a short read raises EReadError, a short write EWriteError.
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);

  int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soFromBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t size);

  // Copies count bytes from source's position, or the whole of source from
  // its beginning when count is 0. Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// File open modes: one access mode, optionally or'ed with one sharing mode.
// fmCreate creates the file or empties an existing one, for reading and
// writing; without a sharing mode nobody else may open the file meanwhile.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0x1000,
};

// A file opened through the system; the handle is closed with the object.
// A failed open raises EFOpenError, a failed creation EFCreateError, both
// naming the path.
class TFileStream : public TStream {
public:
  TFileStream(const std::string& path, unsigned mode);
  // Takes over a file opened elsewhere (by a name the code page cannot hold,
  // say); path is the name its messages show. The handle is closed with the
  // object.
  TFileStream(const std::string& path, void* handle);
  ~TFileStream() override;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;

  // The system's file handle (a HANDLE).
  void* Handle() const { return handle_; }
  const std::string& FileName() const { return path_; }
  // Forces written bytes to the disk.
  void Flush();

private:
  std::string path_;
  void* handle_;
};

// Reading and seeking over a block of memory the derived class provides.
class TCustomMemoryStream : public TStream {
public:
  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(size_); }

  const void* Memory() const { return data_; }
  // Writes the whole content, from the start, to the stream.
  void SaveToStream(TStream& stream) const;

protected:
  void SetPointer(const void* data, size_t size);
  size_t position_ = 0;

private:
  const void* data_ = nullptr;
  size_t size_ = 0;
};

// A growable memory stream.
class TMemoryStream : public TCustomMemoryStream {
public:
  size_t Write(const void* buffer, size_t count) override;
  void SetSize(int64_t size) override;

  void* Memory() { return bytes_.data(); }
  using TCustomMemoryStream::Memory;
  void Clear();
  // Replaces the content by the whole of stream, from its beginning; the
  // position is 0 afterwards.
  void LoadFromStream(TStream& stream);

private:
  void Sync() { SetPointer(bytes_.data(), bytes_.size()); }
  std::vector<char> bytes_;
};

// The bytes of a resource of a module (an HINSTANCE), read only: writing
// moves nothing. Name and type are texts or numbers (MAKEINTRESOURCEA,
// RT_RCDATA). A missing resource raises EResNotFound naming it ("#n" for a
// number).
class TResourceStream : public TCustomMemoryStream {
public:
  TResourceStream(void* instance, const char* name, const char* type);
  TResourceStream(void* instance, const std::string& name, const char* type)
      : TResourceStream(instance, name.c_str(), type) {}
  size_t Write(const void* buffer, size_t count) override { return 0; }
};

// Replaces the file at path by what write puts into the stream it is given,
// so that the file's former content survives any failure. The bytes go to a
// new file beside the target, which takes the target's place only after the
// whole content has been written; on failure it is removed again.
// When the target exists but cannot be opened for exclusive writing (it is
// read-only, a folder, or open elsewhere), or the new file cannot be made,
// EFCreateError names path and nothing on disk has changed.
void ReplaceFileContent(const std::string& path,
                        const std::function<void(TStream&)>& write);

}  // namespace orlo
