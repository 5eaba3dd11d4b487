// What every end-to-end test shares: the program under test.
#pragma once
#include <string>

namespace orlo::e2e {
// The Windows path of the program named by "--program=" on the command line.
std::string& ProgramUnderTest();
}  // namespace orlo::e2e
