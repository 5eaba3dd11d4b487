// Source positions and the one error type every stage of formc reports.
#pragma once

#include <stdexcept>
#include <string>

namespace formc {

// 1-based line and column; columns count characters (code points), a tab counts as one.
struct SourceLoc {
    int line = 0;
    int col = 0;
};

// An error in the description text, tied to the place that caused it.
class CompileError : public std::runtime_error {
public:
    CompileError(SourceLoc where, const std::string& message)
        : std::runtime_error(message), loc(where) {}

    SourceLoc loc;
};

}  // namespace formc
