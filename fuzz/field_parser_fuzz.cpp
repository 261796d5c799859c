// Random texts into every view's input line, starting from a random value: no crash, an
// accepted text changes only its view's bytes and a rejected one nothing. The quick
// decimal path must agree with the C library wherever it answers, the readers keep
// their contracts on output and last-error code, and the 32-bit and 64-bit integer
// readers agree.
//
// Input: 8 bytes of starting value, a mode byte, then the text, read by the mode as
// UTF-16 units, as bytes widened to one unit each, or as indexes into the characters of
// the notations (two alphabets), so that most texts come close to readable ones.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/field_parser.h"
#include "core/float_readers.h"
#include "core/raw_value.h"
#include "core/view_table.h"
#include "foundation/number_readers.h"
#include "platform/last_error.h"

namespace {

using namespace bitvane;

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::u16string_view kNotation =
    u"0123456789abcdefABCDEFxXbB+-._ \t'\"\\nNaAiIqQsSeE,\u00E9\u3000\u00A0\xD800\xDC00\U0001F600";
constexpr std::u16string_view kDecimal = u"0123456789.eE+-";

std::u16string MakeText(unsigned mode, const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  if (mode == 0) {
    for (std::size_t i = 0; i + 1 < size; i += 2)
      text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    return text;
  }
  const std::u16string_view alphabet = mode == 2 ? kNotation : kDecimal;
  for (std::size_t i = 0; i < size; ++i) {
    text += mode == 1 ? static_cast<char16_t>(data[i]) : alphabet[data[i] % alphabet.size()];
  }
  return text;
}

void CheckViews(std::u16string_view text, std::uint64_t start) {
  for (const ValueView& view : ViewTable()) {
    RawValue value = RawValue::FromU64(start);
    std::u16string message = u"stale";
    const std::u16string name(view.name);
    if (ReadFieldText(text, view, value, message)) {
      const std::uint64_t mask = (view.size == 8 ? ~0ull : (1ull << (8 * view.size)) - 1)
                                 << (8 * view.firstByte);
      Check(message.empty());
      Check(((value.ToU64() ^ start) & ~mask) == 0);
    } else {
      Check(value.ToU64() == start);
      Check(message == u"Empty " + name || message == u"Invalid " + name + u" value" ||
            message == name + u" out of range");
    }
  }
}

void CheckReaders(std::u16string_view text) {
  double fast = 0.0;
  double slow = 0.0;
  if (ReadPlainDecimal(text, fast)) {
    Check(ScanDouble(text, slow));
    Check(std::bit_cast<std::uint64_t>(fast) == std::bit_cast<std::uint64_t>(slow));
  }

  SetLastError(1234);
  std::uint64_t bytes = 0x5A5A5A5A5A5A5A5Aull;
  const int count = ParseCharLiteral(text, bytes);
  Check(GetLastError() == 1234);
  Check(count >= -1 && count <= 8);
  Check(count == -1 ? bytes == 0x5A5A5A5A5A5A5A5Aull : count == 8 || bytes >> (8 * count) == 0);

  std::uint64_t unsignedOut = 77;
  const bool unsignedOk = ParseUnsigned64(text, unsignedOut);
  const ErrorCode unsignedError = GetLastError();
  Check(unsignedOk ? unsignedError == 0
                   : unsignedOut == 77 && (unsignedError == ERROR_INVALID_DATA ||
                                           unsignedError == ERROR_ARITHMETIC_OVERFLOW));
  std::int64_t signedOut = 77;
  const bool signedOk = ParseSigned64(text, signedOut);
  const ErrorCode signedError = GetLastError();
  Check(signedOk ? signedError == 0
                 : signedOut == 77 && (signedError == ERROR_INVALID_DATA ||
                                       signedError == ERROR_ARITHMETIC_OVERFLOW));
  // Where both read the text, they read the same number.
  Check(!(unsignedOk && signedOk) || static_cast<std::uint64_t>(signedOut) == unsignedOut);
}

// The foundation's 32-bit reader reads what ParseRadixU64 reads up to 2^32 - 1; only
// where its digits pass 32 bits does it fail at once, with a character out of place
// still ahead for the wider reader to find.
void CompareWidths(const std::u16string& text) {
  constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
  std::uint64_t wideOut = 77;
  const bool wideOk = ParseRadixU64(text, wideOut, kMax32);
  const ErrorCode wideError = GetLastError();
  std::uint32_t out = 77;
  const bool ok = ParseUnsigned32(text.c_str(), 1, true, kMax32, out);
  const ErrorCode error = GetLastError();
  Check(ok == wideOk && (ok ? out == wideOut : out == 77 && wideOut == 77));
  Check(error == wideError ||
        (error == ERROR_ARITHMETIC_OVERFLOW && wideError == ERROR_INVALID_DATA));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 9) return 0;
  std::uint64_t start = 0;
  std::memcpy(&start, data, 8);
  const std::u16string text = MakeText(data[8] % 4, data + 9, size - 9);
  CheckViews(text, start);
  CheckReaders(text);
  CompareWidths(text);
  return 0;
}
