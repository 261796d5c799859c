// Random and mutated .ico files into the icon reader: no crash, no sanitizer report, no
// giant allocation, and every image that decodes has the size its entry declares.
// Seed it with the program's own icons (res/icons/*.ico).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "ui/icon_file.h"
#include "ui/icon_pool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bitvane;
  const std::span file(data, size);
  std::vector<IconDirEntry> entries;
  if (!ReadIconDirectory(file, entries)) return 0;
  if (entries.empty() || entries.size() * 16 + 6 > size) std::abort();
  std::size_t decoded = 0;
  for (const IconDirEntry& entry : entries) {
    if (++decoded > NIconPool::kMaxGroupImages) break;  // as the pool bounds a group
    const QImage image = DecodeIconImage(file, entry);
    if (!image.isNull() &&
        (image.width() != IconPixels(entry.width) || image.height() != IconPixels(entry.height))) {
      std::abort();
    }
  }
  return 0;
}
