#pragma once
// The version modes of the command-line companion: describing any executable's
// version resource, and the companion's own About text.

#include <iosfwd>
#include <string>
#include <vector>

namespace bitvane::cli {

// `describe FILE [--template TEXT]`: prints the file's version resource through the
// template (the About box's by default). Returns 0, 1 when the file cannot be read or
// has no version resource (a one-line message with the reason and its error number),
// or 2 for a usage error.
int RunDescribe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// `--version`: the About text of the companion's own executable.
int RunVersion(std::ostream& out, std::ostream& err);

}  // namespace bitvane::cli
