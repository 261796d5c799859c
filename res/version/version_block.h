#pragma once
// Writes version-resource node trees as bytes, in the standard layout: wLength,
// wValueLength, wType, the key with its 0, padding to 4, the value, and each child
// padded to 4. The build writes every program's own resource with it; tests and fuzz
// targets state trees as data with it and bend single fields afterwards. It needs the
// standard library only, so that the build-time generator links nothing else.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bitvane {

using VersionBytes = std::vector<std::uint8_t>;

// One node as data. The value length is written as given, even when it disagrees
// with the value's bytes, so that tests can state broken nodes too.
struct VersionNode {
  std::u16string m_key;
  VersionBytes m_value;
  std::uint16_t m_valueLength = 0;  // characters for text, bytes for binary
  bool m_text = false;
  std::vector<VersionNode> m_children;
};

// Little-endian words at the end of `out`.
void AppendU16(VersionBytes& out, std::uint16_t value);
void AppendU32(VersionBytes& out, std::uint32_t value);

// The node's bytes, wLength its size cut to 16 bits. `base` is where the node will
// lie in its block: padding is counted from the block's start.
[[nodiscard]] VersionBytes BuildVersionNode(const VersionNode& node, std::size_t base = 0);

// A text node: the value with its terminating 0, its length in characters.
[[nodiscard]] VersionNode VersionStringNode(std::u16string key, std::u16string_view value);

// The 52-byte fixed file information of an application: file and product version
// both `versionMS`.`versionLS`, flags mask 0x3F with `flags`, `fileDate` in
// 100-nanosecond ticks since 1601-01-01 UTC.
[[nodiscard]] VersionBytes FixedInfoBytes(std::uint32_t versionMS, std::uint32_t versionLS,
                                          std::uint32_t flags, std::uint64_t fileDate);

// A whole resource: the root with `fixedInfo` as its value (declared 52 bytes long),
// a StringFileInfo holding `tables`, and a VarFileInfo with the translation US
// English, Unicode.
[[nodiscard]] VersionNode VersionResourceTree(VersionBytes fixedInfo,
                                              std::vector<VersionNode> tables);

// The key the root node carries.
[[nodiscard]] const std::u16string& VersionRootKey();

}  // namespace bitvane
