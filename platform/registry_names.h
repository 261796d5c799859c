#pragma once
// Registry names: how key and value names compare, and how they and string data are
// kept as bytes.

#include <string>
#include <string_view>

namespace bitvane {

// The name with every letter in upper case, so that two names are the same registry
// name exactly when their folds are equal. Folds the letters of ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic and the full-width Latin letters; every other
// character stays as it is, so the fold never depends on the process locale.
[[nodiscard]] std::u16string FoldRegistryName(std::u16string_view name);

// The UTF-16LE bytes of a text, and the text of such bytes (an odd last byte is dropped),
// whatever the host's byte order.
[[nodiscard]] std::string Utf16LeBytes(std::u16string_view name);
[[nodiscard]] std::u16string Utf16FromLeBytes(const void* bytes, std::size_t size);

}  // namespace bitvane
