#pragma once
// The command line of the conversion mode: a starting value, then texts typed into
// named views and swaps, in the order given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/copy_as.h"
#include "core/swaps.h"
#include "core/view_table.h"

namespace bitvane::cli {

struct ConvertStep {
  const ValueView* view = nullptr;  // a text typed into this view's input line...
  std::u16string text;
  std::optional<SwapId> swap;      // ...or a swap...
  std::optional<unsigned> flip{};  // ...or a bit of the value flipped (0 to 63)
};

struct ConvertArgs {
  std::uint64_t value = 0;
  bool json = false;
  bool explain = false;
  std::optional<CopyFormat> copyAs;  // print every view as code instead of the report
  bool help = false;
  std::vector<ConvertStep> steps;
};

// The view and swap names of the command line.
[[nodiscard]] std::string_view CliViewName(const ValueView& view) noexcept;

// Reads the arguments (without the program name). False with `error` set for an
// unknown view or swap, a bad --value or --flip, an unknown option, or --help with --json. The
// error may quote arguments as they are: escape it before it reaches a terminal.
[[nodiscard]] bool ParseConvertArgs(const std::vector<std::string>& args, ConvertArgs& out,
                                    std::string& error);

// The usage text, with the notations the views accept.
[[nodiscard]] std::string ConvertUsage();

}  // namespace bitvane::cli
