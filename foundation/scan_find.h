#pragma once
// NScanFind: the regular files that match a path, or a pattern with `*` and `?` in its
// last component, as directory-entry records in the order the system lists them.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/auto_ptr.h"
#include "foundation/non_copyable.h"
#include "foundation/seg_arr_of.h"
#include "platform/file_system.h"

namespace bitvane {

// A file time: 100-nanosecond ticks since 1601-01-01 UTC, as two 32-bit halves.
struct NFileTime {
  std::uint32_t m_lowDateTime = 0;
  std::uint32_t m_highDateTime = 0;

  [[nodiscard]] std::uint64_t Ticks() const noexcept {
    return static_cast<std::uint64_t>(m_highDateTime) << 32 | m_lowDateTime;
  }
  [[nodiscard]] static NFileTime FromTicks(std::uint64_t ticks) noexcept {
    return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
  }
};

// A directory entry, laid out as the conventional 592-byte find record. The names are
// zero-terminated; there are no short names here, so m_alternateFileName stays empty.
struct NFindData {
  std::uint32_t m_fileAttributes = 0;  // FILE_ATTRIBUTE_* bits
  NFileTime m_creationTime;
  NFileTime m_lastAccessTime;
  NFileTime m_lastWriteTime;
  std::uint32_t m_fileSizeHigh = 0;
  std::uint32_t m_fileSizeLow = 0;
  std::uint32_t m_reserved0 = 0;
  std::uint32_t m_reserved1 = 0;
  char16_t m_fileName[260] = {};
  char16_t m_alternateFileName[14] = {};

  [[nodiscard]] std::uint64_t FileSize() const noexcept {
    return static_cast<std::uint64_t>(m_fileSizeHigh) << 32 | m_fileSizeLow;
  }
  [[nodiscard]] std::u16string_view FileName() const noexcept;

  // The record of `entry`; a name too long for the record is cut at 259 characters.
  [[nodiscard]] static NFindData FromEntry(const FileEntryInfo& entry);
  // The shared all-zero record.
  [[nodiscard]] static const NFindData& Empty() noexcept;
};
static_assert(sizeof(NFindData) == 592, "the find record keeps its conventional size");

class NScanFind : private NNonCopyable {
 public:
  using Results = TNSegArrOf<NFindData, 10>;

  NScanFind() noexcept = default;
  explicit NScanFind(std::u16string_view path) { SetPath(path); }
  virtual ~NScanFind() = default;

  // Drops earlier results and keeps `path` normalised (environment expanded, made
  // full); an empty path, or one that cannot be normalised, is kept as the empty path,
  // and the normalisation's code is kept for Scan.
  void SetPath(std::u16string_view path);
  [[nodiscard]] const std::u16string& Path() const noexcept { return m_path; }

  // Lists the regular files matching the path; directories, devices and pipes are
  // passed over. Nothing matching is success with no records. Failures drop the
  // results: an empty path (ERROR_INVALID_DATA), one that could not be normalised (its
  // code, e.g. ERROR_FILENAME_EXCED_RANGE), no memory for the records
  // (ERROR_NOT_ENOUGH_MEMORY), a missing directory (ERROR_PATH_NOT_FOUND), or the
  // look-up's own code.
  [[nodiscard]] bool Scan();

  [[nodiscard]] std::uint32_t Count() const noexcept;
  // The record at `index`; the shared empty record beyond the end.
  [[nodiscard]] const NFindData& At(std::uint32_t index) const noexcept;
  [[nodiscard]] const NFindData& First() const noexcept { return At(0); }

 private:
  [[nodiscard]] bool ScanInto(Results& results);

  std::u16string m_path;
  ErrorCode m_pathError = ERROR_INVALID_DATA;  // why m_path is empty
  TNAutoDelPtrTo<Results> m_results;           // null when there are no results
};

}  // namespace bitvane
