// A stream that reports whatever size it is given and holds no bytes: for
// loading code that must refuse sizes this build cannot hold, without a
// file of that size.
#pragma once
#include <cstdint>
#include <vector>

#include "streams.h"

namespace orlo::testing_support {

class TSizeReportingStream : public TStream {
public:
  explicit TSizeReportingStream(int64_t size) : size_(size) {}
  size_t Read(void*, size_t) override { return 0; }
  size_t Write(const void*, size_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    if (origin == soFromBeginning) position_ = offset;
    else if (origin == soFromCurrent) position_ += offset;
    else position_ = size_ + offset;
    return position_;
  }
  int64_t Size() override { return size_; }

private:
  int64_t size_;
  int64_t position_ = 0;
};

// Sizes no loader of this build can take into memory: a failed size query
// (-1), and whatever lies beyond what a string or a block of memory can hold
// here (4 GiB and more, or 2 to 4 GiB beyond the largest block, on the 32-bit
// build; beyond 2^62 bytes for a string on the 64-bit one).
inline std::vector<int64_t> SizesBeyondMemory(bool forString) {
  std::vector<int64_t> sizes{-1};
  if (sizeof(size_t) < sizeof(int64_t)) {
    sizes.push_back((int64_t{1} << 32) + 5);
    sizes.push_back(int64_t{3} << 30);
  } else if (forString) {
    sizes.push_back((int64_t{1} << 62) + 5);
  }
  return sizes;
}

}  // namespace orlo::testing_support
