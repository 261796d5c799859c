#pragma once
// The settings mode of the command-line companion: showing and resetting what the
// program keeps between runs.

#include <iosfwd>
#include <string>
#include <vector>

namespace bitvane::cli {

// `settings [--reset]`: prints each stored value of the program's settings key (name,
// type, value), or "none stored"; with --reset deletes the key so that the next start
// uses the defaults. Returns 0, 1 when the store cannot be read or changed (a message
// with the reason and error number), or 2 for a usage error.
int RunSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace bitvane::cli
