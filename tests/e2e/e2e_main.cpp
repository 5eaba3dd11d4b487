// Entry of an end-to-end test program: "--program=PATH" names the program
// under test (a Linux path is taken as Wine shows it, on drive Z:).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver.h"
#include "e2e_support.h"

namespace orlo::e2e {
std::string& ProgramUnderTest() {
  static std::string path;
  return path;
}
}  // namespace orlo::e2e

int main(int argc, char** argv) {
  orlo::e2e::SeeRealPixels();
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--program=", 10) == 0)
      orlo::e2e::ProgramUnderTest() = orlo::e2e::WindowsPath(argv[i] + 10);
  return RUN_ALL_TESTS();
}
