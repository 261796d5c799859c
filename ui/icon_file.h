#pragma once
// Icon files (.ico): the directory of an icon group and the decoding of one of its
// images. Every image lies wholly inside the file and is checked before it is decoded,
// so a damaged file gives fewer images, never a read outside it or a huge allocation.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bitvane {

// One directory entry: width and height bytes as stored (0 stands for 256), and where
// the image's bytes lie in the file.
struct IconDirEntry {
  std::uint8_t width = 0;
  std::uint8_t height = 0;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// Pixels from a width or height byte: 0 stands for 256.
[[nodiscard]] constexpr int IconPixels(std::uint8_t stored) noexcept {
  return stored == 0 ? 256 : stored;
}

// The directory of `file`: true when the header reads reserved 0, type 1 (icon) and a
// count above 0 and the file holds at least one whole entry. `entries` receives, in
// file order, the entries that lie wholly inside the file; a count that claims more
// entries than the file holds is cut to those present. False leaves `entries` empty.
[[nodiscard]] bool ReadIconDirectory(std::span<const std::uint8_t> file,
                                     std::vector<IconDirEntry>& entries);

// The image `entry` points at, as a premultiplied ARGB image of the entry's own size:
// a PNG image, or a 32-bit uncompressed bitmap with its mask (a bitmap whose alpha is
// all 0 takes its transparency from the mask). A null image when the bytes lie outside
// the file, the format is another, or the image's own size differs from the entry's.
[[nodiscard]] QImage DecodeIconImage(std::span<const std::uint8_t> file, const IconDirEntry& entry);

}  // namespace bitvane
