#pragma once
// Conversion of text in the system's 8-bit encoding to UTF-16. On this platform the
// system's 8-bit encoding is the desktop's UTF-8.

#include <cstddef>
#include <string>

namespace bitvane {

// Decodes `length` bytes of UTF-8 at `bytes` to UTF-16; length -1 reads up to the
// first 0 byte, which is not part of the result. Characters above U+FFFF become
// surrogate pairs. Each ill-formed piece (a stray or invalid byte, an overlong form,
// an encoded surrogate, a value above U+10FFFF, a sequence cut short) becomes one
// U+FFFD, and decoding goes on at the first byte that cannot continue it. No byte
// beyond `length` is read. Null `bytes`, or length below -1, give the empty string
// and ERROR_INVALID_PARAMETER.
[[nodiscard]] std::u16string AnsiToWide(const char* bytes, std::ptrdiff_t length);

}  // namespace bitvane
