#include "ui/icon_pool.h"

#include <QFile>
#include <bitset>
#include <memory>

#include "platform/last_error.h"

namespace bitvane {
namespace {

// (number << 16) | (width byte << 8) | height byte, a size of 256 stored as 0.
std::uint32_t KeyValue(int number, int width, int height) noexcept {
  return static_cast<std::uint32_t>(number) << 16 | static_cast<std::uint32_t>(width & 0xFF) << 8 |
         static_cast<std::uint32_t>(height & 0xFF);
}

// The image to scale for a size the group lacks: the smallest that covers it, else the
// largest; the first of equals.
const IconDirEntry& ClosestLarger(const std::vector<IconDirEntry>& entries, int width, int height) {
  const auto area = [](const IconDirEntry& e) {
    return IconPixels(e.width) * IconPixels(e.height);
  };
  const IconDirEntry* covering = nullptr;
  const IconDirEntry* largest = &entries.front();
  for (const IconDirEntry& entry : entries) {
    if (IconPixels(entry.width) >= width && IconPixels(entry.height) >= height &&
        (covering == nullptr || area(entry) < area(*covering))) {
      covering = &entry;
    }
    if (area(entry) > area(*largest)) largest = &entry;
  }
  return covering != nullptr ? *covering : *largest;
}

}  // namespace

QString ProgramResourceModule() {
  return QStringLiteral(":/icons");
}

NIconPool NIconPool::s_pool;

NIconPool::NIconPool() : m_table(kFirstBucketBits) {}

QImage NIconPool::GetIcon(int number, int width, int height) {
  if (number < 1 || number > 0xFFFF || width < 1 || width > 256 || height < 1 || height > 256) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  return s_pool.Get(number, width, height);
}

void NIconPool::Rebind(const QString& module) {
  if (module == s_pool.m_module) return;
  (void)s_pool.m_table.RemoveAll(kEmptiedBucketBits);
  s_pool.m_module = module;
}

QString NIconPool::Module() {
  return s_pool.m_module;
}
std::uint32_t NIconPool::Count() {
  return s_pool.m_table.Count();
}
unsigned NIconPool::BucketBits() {
  return s_pool.m_table.BucketBits();
}
NIconPool::Loads NIconPool::LoadsSoFar() {
  return s_pool.m_loads;
}

QImage NIconPool::Get(int number, int width, int height) {
  const NHTKey key = NHTKey::FromUInt32(KeyValue(number, width, height));
  if (const NIPEntry* hit = m_table.Find(key)) return hit->icon;
  if (GetLastError() != ERROR_NOT_FOUND) return {};

  if (m_module.isEmpty()) m_module = ProgramResourceModule();
  const QByteArray file = ReadGroup(number);
  if (file.isEmpty()) return {};
  const std::span group(reinterpret_cast<const std::uint8_t*>(file.constData()),
                        static_cast<std::size_t>(file.size()));
  std::vector<IconDirEntry> entries;
  if (!ReadIconDirectory(group, entries) || !PreloadGroup(number, group, entries)) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  if (const NIPEntry* hit = m_table.Find(key)) return hit->icon;

  ++m_loads.images;
  QImage icon = DecodeIconImage(group, ClosestLarger(entries, width, height));
  if (icon.isNull()) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  icon = icon.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  Add(number, static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(height), icon);
  return icon;
}

QByteArray NIconPool::ReadGroup(int number) {
  ++m_loads.groups;
  QFile file(m_module + '/' + QString::number(number) + QStringLiteral(".ico"));
  if (!file.open(QIODevice::ReadOnly)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return {};
  }
  QByteArray bytes = file.read(kMaxGroupBytes + 1);
  if (bytes.isEmpty() || bytes.size() > kMaxGroupBytes) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  return bytes;
}

bool NIconPool::PreloadGroup(int number, std::span<const std::uint8_t> group,
                             const std::vector<IconDirEntry>& entries) {
  // Sizes already seen in this group, by width byte and height byte.
  const auto seen = std::make_unique<std::bitset<65536>>();
  std::size_t distinct = 0;
  bool any = false;
  for (const IconDirEntry& entry : entries) {
    const std::size_t size = std::size_t{entry.width} << 8 | entry.height;
    if (seen->test(size)) continue;
    if (++distinct > kMaxGroupImages) break;
    seen->set(size);
    if (m_table.Find(NHTKey::FromUInt32(KeyValue(number, entry.width, entry.height)))) {
      any = true;  // kept from an earlier miss of this group
      continue;
    }
    ++m_loads.images;
    const QImage icon = DecodeIconImage(group, entry);
    if (icon.isNull()) continue;
    Add(number, entry.width, entry.height, icon);
    any = true;
  }
  return any;
}

void NIconPool::Add(int number, std::uint8_t width, std::uint8_t height, const QImage& icon) {
  // Without memory for the entry the icon is still handed out, only not kept.
  (void)m_table.Insert(NHTKey::FromUInt32(KeyValue(number, width, height)),
                       NIPEntry{icon, static_cast<std::uint16_t>(number), width, height});
}

}  // namespace bitvane
