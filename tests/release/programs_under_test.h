// The built programs a release test looks into, named on its command line
// (Linux paths are taken as Wine names them).
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

namespace orlo::release {

inline std::vector<std::string>& Programs() {
  static std::vector<std::string> list;
  return list;
}

inline std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline int RunTestsOnPrograms(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) Programs().push_back(orlo::e2e::WindowsPath(argv[i]));
  return RUN_ALL_TESTS();
}

}  // namespace orlo::release
