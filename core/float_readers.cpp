#include "core/float_readers.h"

#include <locale.h>

#include <charconv>
#include <cstdio>
#include <cwchar>
#include <string>
#include <system_error>

#include "core/nul_end.h"
#include "foundation/wide_to_utf8.h"

namespace bitvane {

namespace {

// The "C" locale, made once; null only if the C library could not make it.
locale_t ClassicLocale() noexcept {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
  return classic;
}

}  // namespace

bool ScanDouble(std::u16string_view text, double& out) {
  const locale_t classic = ClassicLocale();
  if (classic == locale_t{}) return false;  // no "C" locale: read nothing rather than misread

  text = UpToNul(text);
  std::wstring wide;
  wide.reserve(text.size());
  for (std::size_t i = 0; i < text.size();)
    wide.push_back(static_cast<wchar_t>(NextCodePoint(text, i)));

  double number = 0.0;
  const locale_t previous = uselocale(classic);
  const int converted = std::swscanf(wide.c_str(), L"%lf", &number);
  if (previous != locale_t{}) uselocale(previous);
  if (converted != 1) return false;
  out = number;
  return true;
}

bool ReadPlainDecimal(std::u16string_view text, double& out) noexcept {
  constexpr std::size_t kMaxLength = 64;  // longer texts take the C library's path
  text = UpToNul(text);
  if (text.size() > kMaxLength) return false;

  char ascii[kMaxLength];
  std::size_t length = 0;
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
      ascii[length++] = static_cast<char>(text[i++]);
    return i - start;
  };
  const auto take = [&](char16_t a, char16_t b) {
    if (i == text.size() || (text[i] != a && text[i] != b)) return false;
    ascii[length++] = static_cast<char>(text[i++]);
    return true;
  };

  if (i < text.size() && text[i] == u'+') {
    ++i;  // from_chars takes no "+"
  } else {
    take(u'-', u'-');
  }
  std::size_t mantissaDigits = digits();
  if (take(u'.', u'.')) mantissaDigits += digits();
  if (mantissaDigits == 0) return false;
  if (take(u'e', u'E')) {
    take(u'+', u'-');
    if (digits() == 0) return false;
  }
  if (i != text.size()) return false;

  double number = 0.0;
  const std::from_chars_result result = std::from_chars(ascii, ascii + length, number);
  if (result.ec != std::errc{} || result.ptr != ascii + length) return false;
  out = number;
  return true;
}

}  // namespace bitvane
