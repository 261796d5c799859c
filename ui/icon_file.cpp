#include "ui/icon_file.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <climits>
#include <cstring>

namespace bitvane {
namespace {

constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kBitmapHeaderBytes = 40;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint16_t Le16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t Le32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint32_t Be32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// A PNG whose header chunk gives the expected size; the size is checked before decoding
// so that a crafted header cannot make the decoder allocate for a giant image.
QImage DecodePng(std::span<const std::uint8_t> image, int width, int height) {
  constexpr std::size_t kSizeEnd = 24;  // signature, chunk length, "IHDR", width, height
  if (image.size() < kSizeEnd || image.size() > static_cast<std::size_t>(INT_MAX) ||
      std::memcmp(image.data() + 12, "IHDR", 4) != 0 ||
      Be32(image.data() + 16) != static_cast<std::uint32_t>(width) ||
      Be32(image.data() + 20) != static_cast<std::uint32_t>(height)) {
    return {};
  }
  // Read as PNG only: detecting the format would load and ask every image plugin first.
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(image.data()),
                                             static_cast<qsizetype>(image.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, QByteArrayLiteral("png"));
  reader.setAutoDetectImageFormat(false);
  QImage decoded = reader.read();
  if (decoded.width() != width || decoded.height() != height) return {};
  return decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A bottom-up 32-bit BGRA bitmap of width x 2·height (colour rows, then the mask rows).
QImage DecodeBitmap(std::span<const std::uint8_t> image, int width, int height) {
  if (image.size() < kBitmapHeaderBytes) return {};
  const std::uint8_t* header = image.data();
  const bool shape = Le32(header) == kBitmapHeaderBytes &&
                     Le32(header + 4) == static_cast<std::uint32_t>(width) &&
                     Le32(header + 8) == static_cast<std::uint32_t>(2 * height) &&
                     Le16(header + 12) == 1 && Le16(header + 14) == 32 && Le32(header + 16) == 0;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  const std::size_t maskRowBytes = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  const std::size_t colourBytes = rowBytes * static_cast<std::size_t>(height);
  if (!shape || image.size() - kBitmapHeaderBytes < colourBytes) return {};

  QImage decoded(width, height, QImage::Format_ARGB32);
  if (decoded.isNull()) return {};
  const std::uint8_t* pixels = header + kBitmapHeaderBytes;
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + rowBytes * static_cast<std::size_t>(height - 1 - y);
    auto* line = reinterpret_cast<QRgb*>(decoded.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* bgra = row + 4 * static_cast<std::size_t>(x);
      line[x] = qRgba(bgra[2], bgra[1], bgra[0], bgra[3]);
      anyAlpha = anyAlpha || bgra[3] != 0;
    }
  }
  if (!anyAlpha) {
    // An older icon: opaque wherever the mask's bit is 0 (all opaque without a mask).
    const bool hasMask = image.size() - kBitmapHeaderBytes - colourBytes >= maskRowBytes * height;
    const std::uint8_t* mask = pixels + colourBytes;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* maskRow = mask + maskRowBytes * static_cast<std::size_t>(height - 1 - y);
      auto* line = reinterpret_cast<QRgb*>(decoded.scanLine(y));
      for (int x = 0; x < width; ++x) {
        const bool transparent = hasMask && (maskRow[x / 8] & (0x80 >> (x % 8))) != 0;
        line[x] = transparent ? 0 : (line[x] | 0xFF000000u);
      }
    }
  }
  return decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

bool ReadIconDirectory(std::span<const std::uint8_t> file, std::vector<IconDirEntry>& entries) {
  entries.clear();
  if (file.size() < kHeaderBytes + kEntryBytes) return false;
  const std::uint8_t* header = file.data();
  const std::uint16_t count = Le16(header + 4);
  if (Le16(header) != 0 || Le16(header + 2) != 1 || count == 0) return false;
  const std::size_t present =
      std::min<std::size_t>(count, (file.size() - kHeaderBytes) / kEntryBytes);
  entries.reserve(present);
  for (std::size_t i = 0; i < present; ++i) {
    const std::uint8_t* entry = header + kHeaderBytes + i * kEntryBytes;
    entries.push_back({entry[0], entry[1], Le32(entry + 12), Le32(entry + 8)});
  }
  return true;
}

QImage DecodeIconImage(std::span<const std::uint8_t> file, const IconDirEntry& entry) {
  if (entry.offset > file.size() || entry.size > file.size() - entry.offset) return {};
  const auto image = file.subspan(entry.offset, entry.size);
  const int width = IconPixels(entry.width);
  const int height = IconPixels(entry.height);
  if (image.size() >= sizeof kPngSignature &&
      std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0) {
    return DecodePng(image, width, height);
  }
  return DecodeBitmap(image, width, height);
}

}  // namespace bitvane
