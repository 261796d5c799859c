// Fuzzes the comma-separated reader and writer of the string list: any text must read
// without fault, and any list must come back unchanged from ToCsv through the reader.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/str_list.h"

using bitvane::NSTRList;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), data, text.size() * 2);

  // Any text reads; what it reads writes and reads back the same.
  NSTRList read(text);
  std::vector<std::u16string> elements(read.begin(), read.end());
  NSTRList again(read.ToCsv());
  if (std::vector<std::u16string>(again.begin(), again.end()) != elements) std::abort();

  // A list built from the input, cut at U+0001 (NULs included), writes and reads back
  // the same.
  std::vector<std::u16string> built(1);
  for (char16_t c : text) {
    if (c == 1) {
      built.emplace_back();
    } else {
      built.back() += c;
    }
  }
  NSTRList list(u"", true);
  for (const auto& e : built) list.Add(e);
  NSTRList back(list.ToCsv());
  if (std::vector<std::u16string>(back.begin(), back.end()) != built) std::abort();
  return 0;
}
