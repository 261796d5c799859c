#include "about/version_node_reader.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace bitvane {

namespace {

using Item = VersionNodeReader::Item;

// The key's text within room - 1 characters, then its 0. An expected key is compared
// in place first: the root search tries every fourth offset of a file.
bool ReadKey(const std::uint8_t* block, std::size_t keyStart, std::uint16_t room,
             const char16_t* expectedKey, std::u16string& key) {
  std::size_t keyLength = 0;
  if (expectedKey != nullptr) {
    while (expectedKey[keyLength] != 0 && keyLength < room - 1u &&
           ReadLe16(block + keyStart + 2 * keyLength) == expectedKey[keyLength]) {
      ++keyLength;
    }
    if (expectedKey[keyLength] != 0) return false;
  } else {
    while (keyLength < room - 1u && ReadLe16(block + keyStart + 2 * keyLength) != 0) ++keyLength;
  }
  if (ReadLe16(block + keyStart + 2 * keyLength) != 0) return false;
  key.assign(keyLength, u'\0');
  for (std::size_t i = 0; i < keyLength; ++i) key[i] = ReadLe16(block + keyStart + 2 * i);
  return true;
}

}  // namespace

Item* VersionNodeReader::ParseOwnFields(const std::uint8_t* block, std::size_t size,
                                        std::size_t position, const char16_t* expectedKey,
                                        NodeBounds& bounds) {
  if (block == nullptr || size < 2 || position > size - 2) return nullptr;
  const std::size_t length = ReadLe16(block + position);
  if (length < 3 || length > size - position) return nullptr;
  const std::size_t end = position + length;
  if (position + 2 > end - 2) return nullptr;
  const std::uint16_t valueLength = ReadLe16(block + position + 2);
  if (position + 4 > end - 2) return nullptr;
  const std::uint16_t type = ReadLe16(block + position + 4);
  if (type > 1) return nullptr;

  const std::size_t keyStart = position + 6;
  const auto room = static_cast<std::uint16_t>((end - keyStart) / 2);
  std::u16string key;
  if (room < 1 || !ReadKey(block, keyStart, room, expectedKey, key)) return nullptr;

  const std::size_t valueStart = RoundUp4(keyStart + 2 * key.size() + 2);
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

  std::unique_ptr<Item> item(new Item);  // default-initialized, as the fields follow
  if (valueBytes != 0) {
    if (!item->m_value.Allocate(valueBytes)) return nullptr;
    std::memcpy(item->m_value.Get(), block + valueStart, valueBytes);
  }
  item->m_offset = static_cast<std::uint32_t>(position);
  item->m_length = static_cast<std::uint32_t>(length);
  item->m_valueLength = valueLength;
  item->m_valueOffset = valueStart < end ? static_cast<std::uint32_t>(valueStart - position) : 0;
  item->m_isText = type == 1;
  item->m_key = std::move(key);
  return item.release();
}

std::unique_ptr<Item> VersionNodeReader::ParseTree(const std::uint8_t* bytes, std::size_t size,
                                                   std::size_t& position,
                                                   const char16_t* expectedKey,
                                                   std::size_t& failedEnd) {
  failedEnd = 0;
  NodeBounds bounds;
  std::unique_ptr<Item> root(ParseOwnFields(bytes, size, position, expectedKey, bounds));
  if (root == nullptr) return nullptr;
  if (!bounds.m_hasChildren) {
    position = bounds.m_end;
    return root;
  }
  // An explicit stack of the nodes whose children are being read: nesting is bounded
  // only by the 16-bit length, far deeper than the call stack should go.
  struct Frame {
    Item* m_item;
    std::size_t m_end;
    std::size_t m_cursor;
  };
  std::vector<Frame> stack{{root.get(), bounds.m_end, bounds.m_cursor}};
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
    std::unique_ptr<Item> child(ParseOwnFields(bytes, frame.m_end, next, nullptr, childBounds));
    // On failure the whole subtree read so far goes with the root.
    if (child == nullptr || !frame.m_item->m_children.Add(child.get())) {
      failedEnd = bounds.m_end;
      return nullptr;
    }
    Item* added = child.release();  // owned by its parent now
    if (childBounds.m_hasChildren) {
      stack.push_back({added, childBounds.m_end, childBounds.m_cursor});
    } else {
      frame.m_cursor = childBounds.m_end;
    }
  }
  position = bounds.m_end;
  return root;
}

std::unique_ptr<Item> NVersionInfo::ParseNode(const void* block, std::size_t size,
                                              std::size_t& position, const char16_t* expectedKey) {
  std::size_t failedEnd = 0;
  return VersionNodeReader::ParseTree(static_cast<const std::uint8_t*>(block), size, position,
                                      expectedKey, failedEnd);
}

}  // namespace bitvane
