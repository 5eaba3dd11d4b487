#include "streams.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "paths.h"
#include "resource_strings.h"
#include "sysutils.h"

namespace orlo {

// --- TStream -----------------------------------------------------------------

size_t SizeToLoad(TStream& stream, size_t maxSize) {
  const int64_t size = stream.Size();
  const int64_t position = stream.Position();
  if (size < 0 || position < 0) throw EReadError(res::SReadError);
  const int64_t left = size > position ? size - position : 0;
  if (!FitsInSize(left) || static_cast<uint64_t>(left) > maxSize) throw EReadError(res::SReadError);
  return static_cast<size_t>(left);
}

void TStream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(res::SReadError);
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(res::SWriteError);
}

int64_t TStream::Size() {
  const int64_t pos = Seek(0, soFromCurrent);
  const int64_t size = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EWriteError(res::SWriteError); }

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const int64_t total = count;
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(count, 0x10000)));
  while (count > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(buffer.size())));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= static_cast<int64_t>(n);
  }
  return total;
}

// --- TFileStream -------------------------------------------------------------

namespace {

DWORD ShareFlags(unsigned mode) {
  switch (mode & 0x00F0) {
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;  // exclusive
  }
}

DWORD AccessFlags(unsigned mode) {
  switch (mode & 0x000F) {
    case fmOpenWrite: return GENERIC_WRITE;
    case fmOpenReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
  }
}

}  // namespace

TFileStream::TFileStream(const std::string& path, unsigned mode)
    : path_(path), handle_(INVALID_HANDLE_VALUE) {
  if (mode & fmCreate) {
    handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, ShareFlags(mode), nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw EFCreateError(Format(res::SFCreateError, path));
  } else {
    handle_ = CreateFileA(path.c_str(), AccessFlags(mode), ShareFlags(mode), nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) throw EFOpenError(Format(res::SFOpenError, path));
  }
}

TFileStream::TFileStream(const std::string& path, void* handle) : path_(path), handle_(handle) {}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

size_t TFileStream::Read(void* buffer, size_t count) {
  DWORD done = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return done;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
  DWORD done = 0;
  if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  static const DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(handle_, distance, &result, kMethod[origin])) return -1;
  return result.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
  const int64_t pos = Position();
  if (Seek(size, soFromBeginning) != size || !SetEndOfFile(handle_))
    throw EWriteError(res::SWriteError);
  if (pos < size) SetPosition(pos);
}

void TFileStream::Flush() {
  if (!FlushFileBuffers(handle_)) throw EWriteError(res::SWriteError);
}

// --- memory streams ----------------------------------------------------------

void TCustomMemoryStream::SetPointer(const void* data, size_t size) {
  data_ = data;
  size_ = size;
}

size_t TCustomMemoryStream::Read(void* buffer, size_t count) {
  if (position_ >= size_) return 0;
  const size_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, static_cast<const char*>(data_) + position_, n);
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == soFromCurrent) base = static_cast<int64_t>(position_);
  if (origin == soFromEnd) base = static_cast<int64_t>(size_);
  if (offset > INT64_MAX - base) return -1;
  const int64_t target = base + offset;
  if (!FitsInSize(target)) return -1;
  position_ = static_cast<size_t>(target);
  return target;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_, size_);
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  if (count > SIZE_MAX - position_) return 0;
  const size_t end = position_ + count;
  if (end > bytes_.size()) {
    bytes_.resize(end);
    Sync();
  }
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(int64_t size) {
  if (!FitsInSize(size)) throw EWriteError(res::SWriteError);
  bytes_.resize(static_cast<size_t>(size));
  Sync();
  if (position_ > bytes_.size()) position_ = bytes_.size();
}

void TMemoryStream::Clear() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  position_ = 0;
  Sync();
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  // Refused before anything is allocated: the content stays as it was.
  std::vector<char> bytes;
  bytes.resize(SizeToLoad(stream, bytes.max_size()));
  stream.ReadBuffer(bytes.data(), bytes.size());
  bytes_.swap(bytes);
  position_ = 0;
  Sync();
}

TResourceStream::TResourceStream(void* instance, const char* name, const char* type) {
  HMODULE module = static_cast<HMODULE>(instance);
  HRSRC info = FindResourceA(module, name, type);
  HGLOBAL global = info ? LoadResource(module, info) : nullptr;
  const void* data = global ? LockResource(global) : nullptr;
  if (!data) {
    const std::string shown = IS_INTRESOURCE(name)
                                  ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name))
                                  : std::string(name);
    throw EResNotFound(Format(res::SResNotFound, shown));
  }
  SetPointer(data, SizeofResource(module, info));
}

// --- replacing a file's content safely ------------------------------------------

namespace {

// A new file beside target, created exclusively under a name nobody uses.
// Throws EFCreateError naming target when the folder takes no new file.
std::string CreateSiblingFile(const std::string& target, HANDLE& handle) {
  static unsigned counter = 0;
  const std::string folder = FolderPart(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char unique[16];
    const unsigned n = (GetCurrentProcessId() << 16) ^ (GetTickCount() * 31u) ^ ++counter;
    std::snprintf(unique, sizeof unique, "%08X", n);
    const std::string name = folder + "~orl" + unique + ".tmp";
    handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return name;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  throw EFCreateError(Format(res::SFCreateError, target));
}

}  // namespace

void ReplaceFileContent(const std::string& path, const std::function<void(TStream&)>& write) {
  // An existing target must take an exclusive writer now, so that a target
  // that is read-only, a folder or open elsewhere fails before anything is
  // written. The attributes are asked first because the system does not
  // refuse every such open (an administrator may open a read-only file for
  // writing; the rename would then replace it).
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    throw EFCreateError(Format(res::SFCreateError, path));
  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    throw EFCreateError(Format(res::SFCreateError, path));
  }

  HANDLE handle;
  const std::string temp = CreateSiblingFile(path, handle);
  try {
    TFileStream stream(temp, handle);
    write(stream);
    stream.Flush();
  } catch (...) {
    DeleteFileA(temp.c_str());
    throw;
  }
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(temp.c_str());
    throw EFCreateError(Format(res::SFCreateError, path));
  }
}

}  // namespace orlo
