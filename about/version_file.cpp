// Loading a version resource from a file: the executable's headers, the CRC-32, the
// root search over the file's bytes, and the reads of a named file or the program's
// own.

#include "about/version_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "about/version_info.h"
#include "about/version_node_reader.h"
#include "foundation/ansi_to_wide.h"
#include "foundation/crc32.h"
#include "foundation/file_paths.h"
#include "foundation/read_whole_file.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace bitvane {

NExecutableHeaders NExecutableHeaders::Read(const std::uint8_t* data, std::size_t size) noexcept {
  NExecutableHeaders headers;
  if (size > 64 && data[0] == 0x4D && data[1] == 0x5A) {
    const auto peOffset = static_cast<std::int32_t>(ReadLe32(data + 60));
    if (peOffset > 0 && static_cast<std::size_t>(peOffset) + kPeHeadersSize < size &&
        ReadLe32(data + peOffset) == 0x00004550u) {
      std::memcpy(headers.m_pe.data(), data + peOffset, kPeHeadersSize);
    }
  }
  if (size >= 20 && data[0] == 0x7F && data[1] == 'E' && data[2] == 'L' && data[3] == 'F' &&
      (data[5] == 1 || data[5] == 2)) {
    headers.m_isElf = true;
    headers.m_elfMachine =
        data[5] == 1 ? ReadLe16(data + 18) : static_cast<std::uint16_t>(data[18] << 8 | data[19]);
  }
  return headers;
}

bool NExecutableHeaders::HasPe() const noexcept {
  return ReadLe32(m_pe.data()) == 0x00004550u;
}

std::uint16_t NExecutableHeaders::PeMachine() const noexcept {
  return ReadLe16(m_pe.data() + 4);
}

namespace {

using Item = NVersionInfo::NVIItem;

// The first node keyed as the root at a multiple of 4 whose whole tree reads. A
// candidate whose own fields read but whose tree does not is passed over whole:
// trying the nodes inside it would read their subtrees once more each, quadratic in a
// file of nested nodes. A resource does not lie inside another node.
std::unique_ptr<Item> FindRoot(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<Item> root;
  for (std::size_t offset = 0; offset < size && root == nullptr;) {
    std::size_t position = offset;
    std::size_t failedEnd = 0;
    root = VersionNodeReader::ParseTree(data, size, position, NVersionInfo::RootKey(), failedEnd);
    offset = failedEnd > offset ? RoundUp4(failedEnd) : offset + 4;
  }
  return root;
}

// Why a scan of `path` listed no file: a name with wildcards matched none; a plain
// name may name a folder, device or pipe rather than nothing.
ErrorCode NothingListed(const std::u16string& path) {
  const std::u16string_view name = std::u16string_view(path).substr(path.rfind(u'/') + 1);
  std::string system;
  FileEntryInfo info;
  if (name.find_first_of(u"*?") != std::u16string_view::npos || !ToSystemPath(path, system)) {
    return ERROR_FILE_NOT_FOUND;
  }
  if (!StatEntry(system, std::string(), info)) return GetLastError();
  return (info.m_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_BAD_FILE_TYPE
                                                             : ERROR_FILE_NOT_FOUND;
}

// The name that /proc/self/exe links to; false with the thread's last error set.
bool OwnFileName(std::string& name) {
  constexpr std::size_t kFirstSize = 65536;
  constexpr std::size_t kLargestSize = 268435456;
  for (std::size_t capacity = kFirstSize;; capacity *= 2) {
    if (capacity > kLargestSize) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    std::string buffer(capacity, '\0');
    errno = 0;
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), capacity);
    if (length <= 0) {
      SetLastError(length == 0 || errno == 0 ? ERROR_INVALID_HANDLE : ErrorFromErrno(errno));
      return false;
    }
    if (static_cast<std::size_t>(length) < capacity) {
      name.assign(buffer.data(), static_cast<std::size_t>(length));
      return true;
    }
  }
}

}  // namespace

bool NVersionInfo::LoadBlock(const void* bytes, std::size_t size) {
  Reset();
  if ((bytes == nullptr && size != 0) || size > 0xFFFFFFFFu) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (size == 0) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  const auto* data = static_cast<const std::uint8_t*>(bytes);
  m_headers = NExecutableHeaders::Read(data, size);
  m_fileCrc = Crc32(data, size);
  std::unique_ptr<NVIItem> root = FindRoot(data, size);
  if (root == nullptr || !AdoptRoot(std::move(root))) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool NVersionInfo::LoadResolved(const std::u16string& fullPath, std::u16string_view readPath,
                                std::string_view name) {
  std::size_t size = 0;
  FileEntryInfo entry;
  TNAutoFreePtrTo<std::uint8_t> bytes(ReadNamedFile(readPath, size, &entry));
  if (!bytes) return false;
  if (!name.empty()) entry.m_name = name;
  if (size == 0) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (!LoadBlock(bytes.Get(), size)) return false;
  m_path = fullPath;
  m_findData = NFindData::FromEntry(entry);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool NVersionInfo::LoadFile(std::u16string_view path) {
  Reset();
  NScanFind scan(path);
  if (!scan.Scan()) return false;
  // The path must name exactly one file.
  if (scan.Count() != 1) {
    SetLastError(scan.Count() == 0 ? NothingListed(scan.Path()) : ERROR_INVALID_PARAMETER);
    return false;
  }
  // The scan's path is expanded and full already: the file is read by exactly this
  // name, and its record taken from the opened file.
  const std::u16string& pattern = scan.Path();
  const std::size_t slash = pattern.rfind(u'/');
  const std::u16string fullPath = pattern.substr(0, slash == std::u16string::npos ? 0 : slash + 1) +
                                  std::u16string(scan.First().FileName());
  return LoadResolved(fullPath, fullPath, {});
}

bool NVersionInfo::LoadSelf() {
  Reset();
  std::string name;
  if (!OwnFileName(name)) return false;
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // The link names the file; its contents are read through the link itself, which
  // still reaches the running file after it was replaced or deleted.
  const std::u16string fullPath = AnsiToWide(name.data(), static_cast<std::ptrdiff_t>(name.size()));
  return LoadResolved(fullPath, u"/proc/self/exe", std::filesystem::path(name).filename().string());
}

}  // namespace bitvane
