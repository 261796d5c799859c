#include "foundation/scan_find.h"

#include <algorithm>
#include <new>

#include "foundation/ansi_to_wide.h"
#include "foundation/file_paths.h"
#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

std::u16string_view NFindData::FileName() const noexcept {
  const char16_t* end = std::find(std::begin(m_fileName), std::end(m_fileName), u'\0');
  return {m_fileName, static_cast<std::size_t>(end - m_fileName)};
}

NFindData NFindData::FromEntry(const FileEntryInfo& entry) {
  NFindData record;
  record.m_fileAttributes = entry.m_attributes;
  record.m_creationTime = NFileTime::FromTicks(entry.m_creationTicks);
  record.m_lastAccessTime = NFileTime::FromTicks(entry.m_lastAccessTicks);
  record.m_lastWriteTime = NFileTime::FromTicks(entry.m_lastWriteTicks);
  record.m_fileSizeHigh = static_cast<std::uint32_t>(entry.m_size >> 32);
  record.m_fileSizeLow = static_cast<std::uint32_t>(entry.m_size);
  const std::u16string name =
      AnsiToWide(entry.m_name.data(), static_cast<std::ptrdiff_t>(entry.m_name.size()));
  const std::size_t length = std::min(name.size(), std::size(record.m_fileName) - 1);
  std::copy_n(name.begin(), length, record.m_fileName);
  return record;
}

const NFindData& NFindData::Empty() noexcept {
  static const NFindData empty;
  return empty;
}

void NScanFind::SetPath(std::u16string_view path) {
  if (!IsPlausibleAddress(this)) return;
  m_results = nullptr;
  m_path = path.empty() ? std::u16string() : NormalisePath(path);
  m_pathError = m_path.empty() && !path.empty() ? GetLastError() : ERROR_INVALID_DATA;
}

bool NScanFind::Scan() {
  if (!IsPlausibleAddress(this)) return false;
  if (m_path.empty()) {
    m_results = nullptr;
    SetLastError(m_pathError);
    return false;
  }
  if (m_results) {
    m_results->RemoveAll();
  } else {
    auto* results = new (std::nothrow) Results;
    if (results == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    m_results = results;
  }
  if (ScanInto(*m_results)) return true;
  const ErrorCode code = GetLastError();
  m_results = nullptr;
  SetLastError(code);
  return false;
}

bool NScanFind::ScanInto(Results& results) {
  std::string pattern;
  if (!ToSystemPath(m_path, pattern)) return false;
  FileFinder finder;
  FileEntryInfo entry;
  if (!finder.FindFirst(pattern, entry)) {
    // A name without wildcards may name a device or pipe: passed over, as in a listing.
    const ErrorCode code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_BAD_FILE_TYPE;
  }
  bool listed = true;
  do {
    if ((entry.m_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if (results.Add(NFindData::FromEntry(entry)) == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      listed = false;
      break;
    }
  } while (finder.FindNext(entry));
  if (listed && GetLastError() != ERROR_NO_MORE_FILES) listed = false;
  if (!finder.Close()) return false;
  return listed;
}

std::uint32_t NScanFind::Count() const noexcept {
  if (!IsPlausibleAddress(this) || !m_results) return 0;
  return m_results->Count();
}

const NFindData& NScanFind::At(std::uint32_t index) const noexcept {
  if (!IsPlausibleAddress(this) || !m_results) return NFindData::Empty();
  const NFindData* record = m_results->At(index);
  return record != nullptr ? *record : NFindData::Empty();
}

}  // namespace bitvane
