// A fresh folder under the Wine prefix's temp folder for one test, emptied
// and removed afterwards, with small raw file helpers that bypass the code
// under test.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace orlo::testing_support {

class ScratchFolder {
public:
  explicit ScratchFolder(const std::string& tag) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "orlo_" + tag + "_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter_) + "\\";
    // Wine gives out process ids again: a folder that a killed run of the
    // same id left behind goes first.
    RemoveAll(path_);
    created_ = CreateDirectoryA(path_.c_str(), nullptr) != 0;
  }
  ~ScratchFolder() { RemoveAll(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Created() const { return created_; }
  // The folder, with its trailing backslash.
  const std::string& Path() const { return path_; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path_ + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string n = fd.cFileName;
      if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
  }

  // Removes a folder (ending with a backslash) with everything in it.
  static void RemoveAll(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        const std::string p = folder + n;
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveAll(p + "\\");
        else DeleteFileA(p.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
  }

  static bool Put(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    return done == bytes.size();
  }
  // The file's bytes, or "<missing>" when it cannot be opened.
  static std::string Bytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s(1 << 16, '\0');
    DWORD done = 0;
    ReadFile(h, &s[0], static_cast<DWORD>(s.size()), &done, nullptr);
    CloseHandle(h);
    s.resize(done);
    return s;
  }

private:
  static inline int counter_ = 0;
  std::string path_;
  bool created_ = false;
};

// The message of the exception of class E that f raises, or "<no exception>".
template <class E, class F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

// A test with its own scratch folder: dir_ is the folder, with its
// trailing backslash.
class ScratchTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Created());
    dir_ = scratch_.Path();
  }
  std::vector<std::string> Names() const { return scratch_.Names(); }
  static void Put(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(ScratchFolder::Put(path, bytes));
  }
  static std::string Bytes(const std::string& path) { return ScratchFolder::Bytes(path); }

  ScratchFolder scratch_{"files"};
  std::string dir_;
};

}  // namespace orlo::testing_support
