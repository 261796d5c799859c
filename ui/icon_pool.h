#pragma once
// NIconPool: every icon the program shows, by resource number and pixel size, loaded
// once from the icon groups of the program's resource module and kept for the run.

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "foundation/hash_tab_of.h"
#include "foundation/non_copyable.h"
#include "ui/icon_file.h"

namespace bitvane {

// The program's own resource module: the resource folder its icon groups are compiled
// into. Icon group n of a module is the file "n.ico" in it.
[[nodiscard]] QString ProgramResourceModule();

class NIconPool : private NNonCopyable {
 public:
  static constexpr unsigned kFirstBucketBits = 12;
  static constexpr unsigned kEmptiedBucketBits = 6;
  // Larger files are not taken for icon groups, and a group's images beyond this many
  // distinct sizes are not loaded: a damaged group costs bounded time.
  static constexpr qint64 kMaxGroupBytes = 4 << 20;
  static constexpr std::size_t kMaxGroupImages = 64;

  // Icon `number` (1..65535) at `width` x `height` pixels (1..256 each), or a null
  // image. A miss loads every size the group holds, and then, if the size is not among
  // them, the closest larger image (else the largest) scaled smoothly; each is loaded
  // once. Failures, with the last error: ERROR_INVALID_PARAMETER for a number or size out
  // of range (nothing is loaded), ERROR_RESOURCE_NAME_NOT_FOUND for a group the module
  // lacks, ERROR_INVALID_DATA for a group that is damaged or has no image that decodes.
  // Images are shared: one handed out stays valid when the pool is emptied.
  [[nodiscard]] static QImage GetIcon(int number, int width, int height);

  // Binds the pool to `module` (a resource folder such as ":/icons", or any folder);
  // another module than the one remembered empties the pool first. Until the first
  // Rebind the pool has no module and takes the program's at its first miss.
  static void Rebind(const QString& module);

  // What the pool holds and what it has read, for tests.
  struct Loads {
    unsigned groups = 0;  // group files looked for
    unsigned images = 0;  // images decoded
  };
  [[nodiscard]] static QString Module();
  [[nodiscard]] static std::uint32_t Count();
  [[nodiscard]] static unsigned BucketBits();
  [[nodiscard]] static Loads LoadsSoFar();

 private:
  struct NIPEntry {
    QImage icon;
    std::uint16_t number = 0;
    std::uint8_t width = 0;  // 0 stands for 256
    std::uint8_t height = 0;
  };

  NIconPool();
  static NIconPool s_pool;

  QImage Get(int number, int width, int height);
  [[nodiscard]] QByteArray ReadGroup(int number);
  [[nodiscard]] bool PreloadGroup(int number, std::span<const std::uint8_t> group,
                                  const std::vector<IconDirEntry>& entries);
  void Add(int number, std::uint8_t width, std::uint8_t height, const QImage& icon);

  QString m_module;
  TNHashTabOf<NIPEntry> m_table;
  Loads m_loads;
};

}  // namespace bitvane
