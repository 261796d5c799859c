#pragma once
// The tests' words for version-resource bytes (res/version/version_block.h), with the
// field benders and the sample product that the tests share.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "res/version/version_block.h"

namespace bitvane::testing {

using Bytes = VersionBytes;
using TestNode = VersionNode;

inline void SetU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline std::uint16_t GetU16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline Bytes BuildNode(const TestNode& node, std::size_t base = 0) {
  return BuildVersionNode(node, base);
}
inline TestNode StringNode(const std::u16string& key, const std::u16string& value) {
  return VersionStringNode(key, value);
}
inline TestNode StringTableNode(const std::u16string& key, std::vector<TestNode> strings) {
  return TestNode{key, {}, 0, true, std::move(strings)};
}

// A whole tree: fixed information of version productMS.productLS, dated
// 0x01D0000012345678, one StringFileInfo holding `tables`, and the translation.
inline TestNode VersionTree(std::uint32_t productMS, std::uint32_t productLS, std::uint32_t flags,
                            std::vector<TestNode> tables) {
  return VersionResourceTree(FixedInfoBytes(productMS, productLS, flags, 0x01D0000012345678u),
                             std::move(tables));
}

// The usual strings of a sample product.
inline std::vector<TestNode> SampleStrings() {
  return {StringNode(u"Comments", u"Sample comments"),
          StringNode(u"CompanyName", u"Sample Maker"),
          StringNode(u"FileDescription", u"Sample description"),
          StringNode(u"FileVersion", u"1.2.3.4"),
          StringNode(u"InternalName", u"sample"),
          StringNode(u"LegalCopyright", u"Copyright (C) Sample Maker"),
          StringNode(u"OriginalFilename", u"sample.exe"),
          StringNode(u"ProductName", u"Sample Product")};
}

inline Bytes SampleBlock(std::uint32_t productMS = 0x00010002, std::uint32_t productLS = 0x00030004,
                         std::uint32_t flags = 0) {
  return BuildNode(
      VersionTree(productMS, productLS, flags, {StringTableNode(u"040904b0", SampleStrings())}));
}

}  // namespace bitvane::testing
