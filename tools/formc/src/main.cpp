// formc: the window description compiler (build-time host tool).
#include <iostream>

#include "driver.h"

int main(int argc, char** argv) { return formc::runFormc(argc, argv, std::cerr); }
