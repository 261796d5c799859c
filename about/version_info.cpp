#include "about/version_info.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "foundation/ansi_to_wide.h"
#include "foundation/crc32.h"
#include "foundation/file_paths.h"
#include "foundation/number_text.h"
#include "foundation/read_whole_file.h"
#include "foundation/wide_to_utf8.h"
#include "platform/file_system.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

using NVIItem = NVersionInfo::NVIItem;

std::uint16_t ReadU16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t ReadU32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(ReadU16(p)) | static_cast<std::uint32_t>(ReadU16(p + 2)) << 16;
}
std::size_t RoundUp4(std::size_t position) noexcept {
  return (position + 3) & ~std::size_t{3};
}

char16_t AsciiLower(char16_t c) noexcept {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

const NVIItem* FindDirectChild(const NVIItem& item, std::u16string_view key) {
  for (std::uint32_t i = 0; i < item.ChildCount(); ++i) {
    const NVIItem* child = item.Child(i);
    if (child == nullptr) return nullptr;
    if (EqualsIgnoringCase(child->Key(), key)) return child;
  }
  return nullptr;
}

}  // namespace

struct VersionNodeReader {
  // Where one node's own fields end and what may follow them.
  struct NodeBounds {
    std::size_t m_end = 0;       // the node's end in the block
    std::size_t m_cursor = 0;    // where its children may begin
    bool m_hasChildren = false;  // false when the value start lies at or beyond the end
  };

  // ParseNode; when the node's own fields read but its subtree does not, `failedEnd`
  // is the node's end (else 0), so that a search can pass over it.
  static NVIItem* ParseTree(const std::uint8_t* bytes, std::size_t size, std::size_t& position,
                            const char16_t* expectedKey, std::size_t& failedEnd);

  // Reads the header, key and value of the node at `position` of a block of `size`
  // bytes; the children are left to the caller. Null when any rule fails.
  static NVIItem* ParseOwnFields(const std::uint8_t* block, std::size_t size, std::size_t position,
                                 const char16_t* expectedKey, NodeBounds& bounds) {
    if (block == nullptr || size < 2 || position > size - 2) return nullptr;
    const std::size_t length = ReadU16(block + position);
    if (length < 3 || length > size - position) return nullptr;
    const std::size_t end = position + length;
    if (position + 2 > end - 2) return nullptr;
    const std::uint16_t valueLength = ReadU16(block + position + 2);
    if (position + 4 > end - 2) return nullptr;
    const std::uint16_t type = ReadU16(block + position + 4);
    if (type > 1) return nullptr;

    const std::size_t keyStart = position + 6;
    const auto room = static_cast<std::uint16_t>((end - keyStart) / 2);
    if (room < 1) return nullptr;
    // The key's text within room - 1 characters, then its 0. An expected key is
    // compared in place first: the root search tries every fourth offset of a file.
    std::size_t keyLength = 0;
    if (expectedKey != nullptr) {
      while (expectedKey[keyLength] != 0 && keyLength < room - 1u &&
             ReadU16(block + keyStart + 2 * keyLength) == expectedKey[keyLength]) {
        ++keyLength;
      }
      if (expectedKey[keyLength] != 0) return nullptr;
    } else {
      while (keyLength < room - 1u && ReadU16(block + keyStart + 2 * keyLength) != 0) ++keyLength;
    }
    if (ReadU16(block + keyStart + 2 * keyLength) != 0) return nullptr;
    std::u16string key(keyLength, u'\0');
    for (std::size_t i = 0; i < keyLength; ++i) key[i] = ReadU16(block + keyStart + 2 * i);

    const std::size_t valueStart = RoundUp4(keyStart + 2 * keyLength + 2);
    const std::size_t valueBytes = std::size_t{valueLength} << type;
    bounds.m_end = end;
    if (valueStart < end) {
      if (valueBytes > end - valueStart) return nullptr;
      bounds.m_cursor = valueStart + valueBytes;
      bounds.m_hasChildren = true;
    } else {
      if (valueLength != 0) return nullptr;
      bounds.m_cursor = end;
      bounds.m_hasChildren = false;
    }

    auto* item = new NVIItem;
    if (valueBytes != 0) {
      if (!item->m_value.Allocate(valueBytes)) {
        delete item;
        return nullptr;
      }
      std::memcpy(item->m_value.Get(), block + valueStart, valueBytes);
    }
    item->m_offset = static_cast<std::uint32_t>(position);
    item->m_length = static_cast<std::uint32_t>(length);
    item->m_valueLength = valueLength;
    item->m_valueOffset = valueStart < end ? static_cast<std::uint32_t>(valueStart - position) : 0;
    item->m_isText = type == 1;
    item->m_key = std::move(key);
    return item;
  }
};

namespace {

// Takes the last child out of `item`'s array without deleting it.
NVIItem* DetachLastChild(TNArrOfADPtrTo<NVIItem>& children) {
  const std::uint32_t count = children.Count();
  NVIItem** place = children.At(count - 1);
  NVIItem* child = *place;
  *place = nullptr;  // bypasses the release, so shrinking deletes nothing
  (void)children.Resize(count - 1);
  return child;
}

void CopyFixedInfo(const std::uint8_t* bytes, NFixedFileInfo& info) {
  std::uint32_t words[13];
  for (std::size_t i = 0; i < 13; ++i) words[i] = ReadU32(bytes + 4 * i);
  info = NFixedFileInfo{words[0], words[1], words[2], words[3],  words[4],  words[5], words[6],
                        words[7], words[8], words[9], words[10], words[11], words[12]};
}

}  // namespace

// --- NVIItem -------------------------------------------------------------------------

NVIItem::~NVIItem() {
  // Every grandchild moves up into this item's own array before its parent goes, so
  // each delete meets a leaf and a deep tree never recurses.
  m_children.SetGrowStep(64);
  while (m_children.Count() > 0) {
    NVIItem* child = DetachLastChild(m_children);
    while (child->m_children.Count() > 0) {
      NVIItem* grandchild = DetachLastChild(child->m_children);
      if (!m_children.Add(grandchild)) delete grandchild;  // out of memory: recurse instead
    }
    delete child;
  }
}

const NVIItem* NVIItem::FindChild(std::u16string_view key, bool recursive) const {
  if (const NVIItem* hit = FindDirectChild(*this, key)) return hit;
  if (!recursive) return nullptr;
  // Depth-first over the subtrees: entering an item checks its direct children first.
  std::vector<std::pair<const NVIItem*, std::uint32_t>> stack{{this, 0}};
  while (!stack.empty()) {
    auto& [item, next] = stack.back();
    if (next >= item->ChildCount()) {
      stack.pop_back();
      continue;
    }
    const NVIItem* child = item->Child(next++);
    if (child == nullptr) {
      stack.pop_back();
      continue;
    }
    if (const NVIItem* hit = FindDirectChild(*child, key)) return hit;
    stack.emplace_back(child, 0);
  }
  return nullptr;
}

// --- Parsing -------------------------------------------------------------------------

NVIItem* NVersionInfo::ParseNode(const void* block, std::size_t size, std::size_t& position,
                                 const char16_t* expectedKey) {
  std::size_t failedEnd = 0;
  return VersionNodeReader::ParseTree(static_cast<const std::uint8_t*>(block), size, position,
                                      expectedKey, failedEnd);
}

NVIItem* VersionNodeReader::ParseTree(const std::uint8_t* bytes, std::size_t size,
                                      std::size_t& position, const char16_t* expectedKey,
                                      std::size_t& failedEnd) {
  failedEnd = 0;
  NodeBounds bounds;
  NVIItem* root = ParseOwnFields(bytes, size, position, expectedKey, bounds);
  if (root == nullptr) return nullptr;
  if (!bounds.m_hasChildren) {
    position = bounds.m_end;
    return root;
  }
  // An explicit stack of the nodes whose children are being read: nesting is bounded
  // only by the 16-bit length, far deeper than the call stack should go.
  struct Frame {
    NVIItem* m_item;
    std::size_t m_end;
    std::size_t m_cursor;
  };
  std::vector<Frame> stack{{root, bounds.m_end, bounds.m_cursor}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const std::size_t next = RoundUp4(frame.m_cursor);
    if (next >= frame.m_end) {
      const std::size_t end = frame.m_end;
      stack.pop_back();
      if (!stack.empty()) stack.back().m_cursor = end;
      continue;
    }
    NodeBounds childBounds;
    NVIItem* child = ParseOwnFields(bytes, frame.m_end, next, nullptr, childBounds);
    if (child == nullptr || !frame.m_item->m_children.Add(child)) {
      delete child;
      delete root;  // the whole subtree read so far hangs from the root
      failedEnd = bounds.m_end;
      return nullptr;
    }
    if (childBounds.m_hasChildren) {
      stack.push_back({child, childBounds.m_end, childBounds.m_cursor});
    } else {
      frame.m_cursor = childBounds.m_end;
    }
  }
  position = bounds.m_end;
  return root;
}

const char16_t* NVersionInfo::RootKey() {
  // Kept reversed, so that the program's own file holds the root key only where its
  // own version resource lies and the root search meets no stray copy of it.
  static const std::u16string key = [] {
    std::u16string text = u"OFNI_NOISREV_SV";
    return std::u16string(text.rbegin(), text.rend());
  }();
  return key.c_str();
}

// --- Loading -------------------------------------------------------------------------

NVersionInfo::~NVersionInfo() {
  Reset();
}

void NVersionInfo::Reset() noexcept {
  m_stringTable = nullptr;
  m_hasFixedInfo = false;
  m_fixedInfo = NFixedFileInfo{};
  (void)m_root.Set(nullptr);
  m_fileCrc = kNotLoaded;
  m_translation = kDefaultTranslation;
  m_resourceOffset = kNotLoaded;
  m_path.clear();
  m_findData = NFindData::Empty();
  m_peHeaders.fill(0);
  m_isElf = false;
  m_elfMachine = 0;
}

bool NVersionInfo::HasPeHeaders() const noexcept {
  return ReadU32(m_peHeaders.data()) == 0x00004550u;
}

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

  if (size > 64 && data[0] == 0x4D && data[1] == 0x5A) {
    const auto peOffset = static_cast<std::int32_t>(ReadU32(data + 60));
    if (peOffset > 0 && static_cast<std::size_t>(peOffset) + kPeHeadersSize < size &&
        ReadU32(data + peOffset) == 0x00004550u) {
      std::memcpy(m_peHeaders.data(), data + peOffset, kPeHeadersSize);
    }
  }
  // ELF: the machine field at offset 18, in the byte order that EI_DATA names.
  if (size >= 20 && data[0] == 0x7F && data[1] == 'E' && data[2] == 'L' && data[3] == 'F' &&
      (data[5] == 1 || data[5] == 2)) {
    m_isElf = true;
    m_elfMachine =
        data[5] == 1 ? ReadU16(data + 18) : static_cast<std::uint16_t>(data[18] << 8 | data[19]);
  }

  m_fileCrc = Crc32(data, size);

  // A candidate whose own fields read but whose tree does not is passed over whole:
  // trying the nodes inside it would read their subtrees once more each, quadratic in
  // a file of nested nodes. A resource does not lie inside another node.
  NVIItem* root = nullptr;
  for (std::size_t offset = 0; offset < size && root == nullptr;) {
    std::size_t position = offset;
    std::size_t failedEnd = 0;
    root = VersionNodeReader::ParseTree(data, size, position, RootKey(), failedEnd);
    offset = failedEnd > offset ? RoundUp4(failedEnd) : offset + 4;
  }
  if (root == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  (void)m_root.Set(root);
  m_resourceOffset = root->Offset();
  if (!root->IsText() && root->ValueLength() == kFixedInfoSize) {
    CopyFixedInfo(root->Value(), m_fixedInfo);
    m_hasFixedInfo = true;
  }
  if (!SelectTranslation(m_translation)) {
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

namespace {

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

}  // namespace

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
  constexpr std::size_t kFirstSize = 65536;
  constexpr std::size_t kLargestSize = 268435456;
  std::string name;
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
      break;
    }
  }
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // The link names the file; its contents are read through the link itself, which
  // still reaches the running file after it was replaced or deleted.
  const std::u16string fullPath = AnsiToWide(name.data(), static_cast<std::ptrdiff_t>(name.size()));
  return LoadResolved(fullPath, u"/proc/self/exe", std::filesystem::path(name).filename().string());
}

// --- Queries -------------------------------------------------------------------------

bool NVersionInfo::SelectTranslation(std::uint32_t translation) {
  m_translation = 0;
  m_stringTable = nullptr;
  const NVIItem* root = m_root.Get();
  if (root == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  std::u16string key = Unsigned64ToText(translation, 16, 8, u'0');
  for (char16_t& c : key) c = AsciiLower(c);

  const NVIItem* strings = root->FindChild(u"StringFileInfo", true);
  const NVIItem* table = strings != nullptr ? strings->FindChild(key, false) : nullptr;
  if (strings != nullptr && table == nullptr && strings->ChildCount() == 1) {
    const NVIItem* only = strings->Child(0);
    const std::u16string& onlyKey = only->Key();
    bool hex = onlyKey.size() == 8;
    for (char16_t c : onlyKey) {
      hex =
          hex && ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
    }
    if (hex) table = only;
  }
  if (table == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  m_translation = translation;
  m_stringTable = table;
  return true;
}

std::u16string NVersionInfo::GetString(std::u16string_view key) const {
  const NVIItem* root = m_root.Get();
  if (root == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  const NVIItem* node =
      m_stringTable != nullptr ? m_stringTable->FindChild(key, false) : root->FindChild(key, true);
  if (node == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  if (!node->IsText()) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  std::u16string text;
  const std::uint8_t* value = node->Value();
  for (std::uint32_t i = 0; i < node->ValueLength(); ++i) {
    const char16_t c = ReadU16(value + 2 * i);
    if (c == 0) break;
    text += c;
  }
  SetLastError(ERROR_SUCCESS);
  return text;
}

}  // namespace bitvane
