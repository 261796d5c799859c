#include "cli/convert_args.h"

#include <array>

#include "foundation/ansi_to_wide.h"

namespace bitvane::cli {

namespace {

constexpr std::array<std::string_view, kViewCount> kViewNames{
    "byte0", "byte1",   "byte2",    "byte3",    "byte4",      "byte5",       "byte6",
    "byte7", "low-int", "high-int", "huge-int", "low-single", "high-single", "double"};

const ValueView* FindView(std::string_view name) {
  for (const ValueView& view : ViewTable()) {
    if (CliViewName(view) == name) return &view;
  }
  return nullptr;
}

struct SwapName {
  SwapId swap;
  std::string_view name;
};

constexpr std::array<SwapName, 7> kSwapNames{{
    {SwapId::HighWords, "high-w"},
    {SwapId::HighBytes, "high-b"},
    {SwapId::LowWords, "low-w"},
    {SwapId::LowBytes, "low-b"},
    {SwapId::Halves, "dw"},
    {SwapId::HugeWords, "huge-w"},
    {SwapId::HugeBytes, "huge-b"},
}};

std::optional<SwapId> FindSwap(std::string_view name) {
  for (const SwapName& swap : kSwapNames) {
    if (swap.name == name) return swap.swap;
  }
  return std::nullopt;
}

// 1 to 16 hexadecimal digits, most significant first; "0x" in front is allowed.
bool ParseHexValue(std::string_view text, std::uint64_t& out) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  if (text.empty() || text.size() > 16) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    value = value << 4 | static_cast<unsigned>(digit);
  }
  out = value;
  return true;
}

// The value of "--name VALUE" or "--name=VALUE" at args[i]; advances i past it.
bool OptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                 std::string& value) {
  const std::string_view arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
  }
  value = arg.substr(name.size() + 1);
  return true;
}

bool IsOption(std::string_view arg, std::string_view name) {
  return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                         arg[name.size()] == '=');
}

}  // namespace

std::string_view CliViewName(const ValueView& view) noexcept {
  return kViewNames[static_cast<std::size_t>(view.id)];
}

bool ParseConvertArgs(const std::vector<std::string>& args, ConvertArgs& out, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    std::string value;
    if (arg == "--help" || arg == "-h") {
      out.help = true;
    } else if (arg == "--json") {
      out.json = true;
    } else if (arg == "--explain") {
      out.explain = true;
    } else if (IsOption(arg, "--value")) {
      if (!OptionValue(args, i, "--value", value) || !ParseHexValue(value, out.value)) {
        error = "--value wants 1 to 16 hexadecimal digits, most significant first";
        return false;
      }
    } else if (IsOption(arg, "--swap")) {
      const std::optional<SwapId> swap =
          OptionValue(args, i, "--swap", value) ? FindSwap(value) : std::nullopt;
      if (!swap) {
        error = "unknown swap '" + value + "'";
        return false;
      }
      out.steps.push_back({nullptr, {}, swap});
    } else if (IsOption(arg, "--as")) {
      out.copyAs = OptionValue(args, i, "--as", value) ? CopyFormatNamed(value) : std::nullopt;
      if (!out.copyAs) {
        error = "--as wants c, hex-float, bytes, bytes-be or python";
        return false;
      }
    } else if (IsOption(arg, "--flip")) {
      unsigned bit = 64;
      if (OptionValue(args, i, "--flip", value) && !value.empty() && value.size() <= 2 &&
          value.find_first_not_of("0123456789") == std::string::npos)
        bit = static_cast<unsigned>(std::stoul(value));
      if (bit > 63) {
        error = "--flip wants a bit number from 0 to 63";
        return false;
      }
      out.steps.push_back({nullptr, {}, std::nullopt, bit});
    } else if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
      const ValueView* view = FindView(arg.substr(0, equals));
      if (view == nullptr) {
        error = "unknown view '" + std::string(arg.substr(0, equals)) + "'";
        return false;
      }
      // The whole text after the first '=', blanks included.
      const std::string_view text = arg.substr(equals + 1);
      out.steps.push_back(
          {view, AnsiToWide(text.data(), static_cast<std::ptrdiff_t>(text.size())), std::nullopt});
    } else {
      error = "unexpected argument '" + std::string(arg) + "'";
      return false;
    }
  }
  if (out.help && out.json) {
    error = "--help has no JSON form";
    return false;
  }
  return true;
}

std::string ConvertUsage() {
  return R"(Usage: bitvane-cli [--value HEX] [--json] [--explain | --as FORMAT]
                   [VIEW=TEXT | --swap NAME | --flip N]...
       bitvane-cli describe FILE [--template TEXT]
       bitvane-cli --version
       bitvane-cli settings [--reset]

Starts from the value 0 (or --value, 1 to 16 hex digits, most significant first),
then types each TEXT into the input line of its VIEW, runs each swap and flips
each bit, in the order given, exactly as the window does: an accepted text
rewrites every other view, a rejected one changes nothing and sets the status
message; a flipped bit rewrites every view and clears the status. Prints the
status line, the value, every view's input and information text, and each 16-bit
word read as a half (IEEE binary16) and as a bfloat16.

Views:  byte0 ... byte7 (byte0 is the least significant), low-int, high-int,
        huge-int, low-single, high-single, double
Swaps:  high-w, high-b, low-w, low-b, dw, huge-w, huge-b
        (W swaps words, B reverses bytes, dw exchanges the two 32-bit halves)

What the integer views accept:
  decimal          255   -1   -9223372036854775808
  hexadecimal      0xFF  0XdeadBEEF
  binary           0b1010
  octal            0377  (a leading zero)
  bare binary      exactly 8, 32 or 64 digits for a byte, a 32-bit or the 64-bit
                   view, underscores anywhere: 0100_0001
  character        'AB' (first character most significant)  "AB" (as in memory)
  literals         escapes: \x41  \101  \n (the letter n)  \\  \'  \"
What the float views accept:
  numbers          1.5  -2e-3  1e3  (anything after the number is ignored)
  keywords         [+] [-] { SNaN | QNaN | Inf }, any case; NaN is SNaN

Options:
  --value HEX      start from this value instead of 0
  --flip N         flip bit N of the value, 0 (least significant) to 63
  --json           print one JSON object instead of the readable layout
  --explain        also tell what the double and both singles are exactly: class,
                   NaN payload, unbiased exponent, every decimal digit, and the
                   neighbours one unit in the last place down and up
  --as FORMAT      print every view as code instead: c (a C/C++ literal of the
                   view's type), hex-float, bytes (an initialiser in memory order),
                   bytes-be (most significant byte first) or python (struct.pack)
  --help           this text (it has no JSON form)

Examples:
  bitvane-cli double=1.5
  bitvane-cli --value 0123456789ABCDEF --swap huge-b
  bitvane-cli "low-int='ABCD'" --json
  bitvane-cli byte0=0x41 byte1=66 low-single=-qnan
  bitvane-cli double=1 --flip 63

Other modes:
  describe FILE    prints the version resource of an executable through a template
                   whose placeholders are those of the About box; FILE may hold
                   %NAME% environment variables and * and ? in its file name, and
                   must name one file. "bitvane-cli describe --help" tells more.
  --version        prints the companion's own About text
  settings         prints each value the program keeps between runs (name, type,
                   value), or "none stored"; --reset deletes them, so that the
                   next start uses the defaults

The readable layout shows control characters escaped (\n, \u001B, ...) and bytes
that are not UTF-8 as \xHH; --json writes the texts as JSON strings.

Exit status: 0 when every text was accepted, 1 when any was rejected (each
message also goes to standard error) or when describe or settings cannot read what
they show, 2 for a usage error.
)";
}

}  // namespace bitvane::cli
