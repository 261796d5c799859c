#pragma once
// The conversion mode of the command-line companion.

#include <iosfwd>
#include <string>
#include <vector>

namespace bitvane::cli {

// Runs the conversion mode over `args` (without the program name), writing the
// report to `out` and messages to `err`. Returns the exit status: 0 when every
// text was accepted, 1 when any was rejected, 2 for a usage error.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace bitvane::cli
