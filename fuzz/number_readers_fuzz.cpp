// Random bytes, read as 8-bit and as UTF-16 text, through the number readers, the
// white-space counter and the comma-separated field splitter.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/ansi_to_wide.h"
#include "foundation/csv_field.h"
#include "foundation/number_readers.h"
#include "foundation/white_space.h"
#include "platform/last_error.h"

namespace {

using namespace bitvane;

void Check(bool condition) {
  if (!condition) std::abort();
}

void ReadUnsigned(const void* text, bool wide) {
  constexpr std::uint32_t kRadixes[] = {1, 2, 3, 8, 10, 16, 36, 0, 37};
  constexpr std::uint32_t kMaxima[] = {0xFFFFFFFFu, 255, 0};
  for (std::uint32_t radix : kRadixes) {
    for (std::uint32_t maximum : kMaxima) {
      std::uint32_t out = 0xDEADBEEFu;
      if (ParseUnsigned32(text, radix, wide, maximum, out)) {
        Check(out <= maximum && GetLastError() == ERROR_SUCCESS && radix >= 1 && radix <= 36);
      } else {
        const ErrorCode error = GetLastError();
        Check(out == 0xDEADBEEFu);
        Check(error == ERROR_INVALID_DATA || error == ERROR_ARITHMETIC_OVERFLOW ||
              (error == ERROR_INVALID_PARAMETER && (radix == 0 || radix > 36)));
      }
    }
  }
}

// The shared integer reader: a sign it may read changes nothing of a text without
// one, and 7-bit text reads the same narrow and wide.
void ReadInteger(const char* narrow, const char16_t* widened) {
  const std::string_view bytes(narrow);
  const std::u16string_view wide(widened);
  IntegerText plain{77, true};
  IntegerText sign{77, true};
  const bool plainOk = ReadIntegerText(wide, IntegerForm{}, plain);
  const ErrorCode plainError = GetLastError();
  const bool signOk = ReadIntegerText(wide, IntegerForm{.sign = true}, sign);
  Check(!plainOk || (signOk && sign.magnitude == plain.magnitude && !sign.negative));
  Check(plainOk ? plainError == ERROR_SUCCESS : plain.magnitude == 77 && plain.negative);
  if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) return;
  IntegerText fromBytes{77, true};
  Check(ReadIntegerText(bytes, IntegerForm{}, fromBytes) == plainOk);
  Check(GetLastError() == plainError && fromBytes.magnitude == plain.magnitude);
}

void SplitFields(char16_t* text, std::size_t length) {
  char16_t* const end = text + length;  // the terminating 0
  char16_t* cursor = text;
  for (;;) {
    char16_t* const before = cursor;
    char16_t* field = nullptr;
    const int code = NextCsvField(&cursor, &field);
    Check(code >= 1 && code <= 5);
    Check(field >= before && field <= end && cursor <= end);
    if (code == kCsvEndOfText) {
      Check(cursor == end);
      break;
    }
    Check(cursor > before);
    Check(field + std::char_traits<char16_t>::length(field) < cursor);
  }
}

// Checks an accepted text against the C library's correctly rounded strtod, given the
// same number in its own notation: the text's digits, points, signs and exponent mark,
// with a 0 before the mantissa and the exponent digits so that neither is empty.
void CompareWithStrtod(const char16_t* text, double value) {
  std::string mantissa;
  std::string exponent;
  char sign = '+';
  char exponentSign = '+';
  bool inExponent = false;
  for (; *text != 0; ++text) {
    const char16_t c = *text;
    if (c == u'e' || c == u'E' || c == u'd' || c == u'D') {
      inExponent = true;
    } else if (c == u'+' || c == u'-') {
      (inExponent ? exponentSign : sign) = static_cast<char>(c);
    } else if ((c >= u'0' && c <= u'9') || c == u'.') {
      (inExponent ? exponent : mantissa) += static_cast<char>(c);
    }
  }
  const std::string plain =
      std::string(1, sign) + "0" + mantissa + "e" + exponentSign + "0" + exponent;
  const double expected = std::strtod(plain.c_str(), nullptr);
  Check(std::memcmp(&expected, &value, sizeof value) == 0);
}

void ReadDouble(const char16_t* text) {
  const ErrorCode before = GetLastError();
  double value = 0.0;
  if (ParseDouble(text, value)) CompareWithStrtod(text, value);
  Check(GetLastError() == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes as zero-terminated 8-bit text (cut at the first 0, as a reader sees it).
  const auto narrow = std::make_unique<char[]>(size + 1);
  std::memcpy(narrow.get(), data, size);
  narrow[size] = 0;
  ReadUnsigned(narrow.get(), false);

  // The bytes as zero-terminated UTF-16 text, in units of two bytes.
  const std::size_t units = size / 2;
  const auto wide = std::make_unique<char16_t[]>(units + 1);
  std::memcpy(wide.get(), data, units * 2);
  wide[units] = 0;
  const std::size_t length = std::char_traits<char16_t>::length(wide.get());
  ReadUnsigned(wide.get(), true);

  ReadDouble(wide.get());
  Check(CountLeadingSpace(wide.get()) <= length);
  SplitFields(wide.get(), length);

  // The bytes, each widened to one unit: text dense in digits, signs and separators.
  const auto widened = std::make_unique<char16_t[]>(size + 1);
  for (std::size_t i = 0; i < size; ++i) widened[i] = data[i];
  widened[size] = 0;
  const std::size_t widenedLength = std::char_traits<char16_t>::length(widened.get());
  ReadInteger(narrow.get(), widened.get());
  ReadDouble(widened.get());
  Check(CountLeadingSpace(widened.get()) <= widenedLength);
  SplitFields(widened.get(), widenedLength);

  const std::u16string converted =
      AnsiToWide(reinterpret_cast<const char*>(data), static_cast<std::ptrdiff_t>(size));
  Check(converted.size() <= size);
  return 0;
}
