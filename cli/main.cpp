// bitvane-cli: the value views from a terminal or a script, the version resources of
// executables, and the program's stored settings.

#include <iostream>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "cli/describe_command.h"
#include "cli/settings_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "describe") {
    args.erase(args.begin());
    return bitvane::cli::RunDescribe(args, std::cout, std::cerr);
  }
  if (!args.empty() && args.front() == "settings") {
    args.erase(args.begin());
    return bitvane::cli::RunSettings(args, std::cout, std::cerr);
  }
  if (args.size() == 1 && args.front() == "--version") {
    return bitvane::cli::RunVersion(std::cout, std::cerr);
  }
  return bitvane::cli::RunConvert(args, std::cout, std::cerr);
}
