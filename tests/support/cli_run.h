#pragma once
// Runs one mode of bitvane-cli in the test's process, with its exit status and both
// output streams captured.

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace bitvane::test {

struct CliOutcome {
  int status;
  std::string out, err;
  friend bool operator==(const CliOutcome&, const CliOutcome&) = default;
};

inline void PrintTo(const CliOutcome& outcome, std::ostream* os) {
  *os << "{status " << outcome.status << ", out " << ::testing::PrintToString(outcome.out)
      << ", err " << ::testing::PrintToString(outcome.err) << "}";
}

// `mode` is RunConvert, RunDescribe or RunSettings.
template <typename Mode>
CliOutcome RunCli(Mode mode, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = mode(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace bitvane::test
