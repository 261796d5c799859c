// bitvane_stamp FILE: writes the integrity stamp into a freshly linked executable, as
// the last step that changes the file.

#include <cstdio>
#include <string>

#include "app/integrity.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: bitvane_stamp EXECUTABLE\n", stderr);
    return 2;
  }
  std::string error;
  if (!bitvane::StampFileIntegrity(argv[1], error)) {
    std::fprintf(stderr, "bitvane_stamp: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
