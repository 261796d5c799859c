// bitvane-cli: the value views from a terminal or a script.

#include <iostream>
#include <string>
#include <vector>

#include "cli/convert_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return bitvane::cli::RunConvert(args, std::cout, std::cerr);
}
