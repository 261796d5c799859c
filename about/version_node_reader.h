#pragma once
// The parser behind NVersionInfo::ParseNode and the root search: reads one node's
// header, key and value, and a whole subtree with an explicit stack instead of
// recursion. Internal to the about library.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "about/version_info.h"

namespace bitvane {

// Little-endian words of a version resource or an executable header.
inline std::uint16_t ReadLe16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t ReadLe32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(ReadLe16(p)) | static_cast<std::uint32_t>(ReadLe16(p + 2))
                                                       << 16;
}
inline std::size_t RoundUp4(std::size_t position) noexcept {
  return (position + 3) & ~std::size_t{3};
}

struct VersionNodeReader {
  using Item = NVersionInfo::NVIItem;

  // Where one node's own fields end and what may follow them.
  struct NodeBounds {
    std::size_t m_end = 0;       // the node's end in the block
    std::size_t m_cursor = 0;    // where its children may begin
    bool m_hasChildren = false;  // false when the value start lies at or beyond the end
  };

  // ParseNode; when the node's own fields read but its subtree does not, `failedEnd`
  // is the node's end (else 0), so that a search can pass over it.
  [[nodiscard]] static std::unique_ptr<Item> ParseTree(const std::uint8_t* bytes, std::size_t size,
                                                       std::size_t& position,
                                                       const char16_t* expectedKey,
                                                       std::size_t& failedEnd);

  // Reads the header, key and value of the node at `position` of a block of `size`
  // bytes; the children are left to the caller. The new item, which the caller takes
  // at once (a raw result keeps this hot path of the root search cheap), or null when
  // any rule fails.
  [[nodiscard]] static Item* ParseOwnFields(const std::uint8_t* block, std::size_t size,
                                            std::size_t position, const char16_t* expectedKey,
                                            NodeBounds& bounds);
};

}  // namespace bitvane
