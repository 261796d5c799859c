#pragma once
// Registry names: how key and value names compare, and how they are kept as bytes.

#include <string>
#include <string_view>

namespace bitvane {

// The name with every letter in upper case, so that two names are the same registry
// name exactly when their folds are equal. Folds the letters of ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic and the full-width Latin letters; every other
// character stays as it is, so the fold never depends on the process locale.
[[nodiscard]] std::u16string FoldRegistryName(std::u16string_view name);

// The UTF-16LE bytes of a name, and the name of such bytes (an odd last byte is dropped).
[[nodiscard]] std::string NameToBytes(std::u16string_view name);
[[nodiscard]] std::u16string NameFromBytes(const void* bytes, std::size_t size);

}  // namespace bitvane
