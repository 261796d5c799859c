#pragma once
// Builds version-resource node trees as bytes, in the standard layout: wLength,
// wValueLength, wType, the key with its 0, padding to 4, the value, and each child
// padded to 4. Tests state trees as data and bend single fields afterwards.

#include <cstdint>
#include <string>
#include <vector>

#include "about/version_info.h"

namespace bitvane::testing {

using Bytes = std::vector<std::uint8_t>;

struct TestNode {
  std::u16string m_key;
  Bytes m_value;
  std::uint16_t m_valueLength = 0;  // characters for text, bytes for binary
  bool m_text = false;
  std::vector<TestNode> m_children;
};

inline void PutU16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, static_cast<std::uint16_t>(value));
  PutU16(out, static_cast<std::uint16_t>(value >> 16));
}
inline void SetU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline std::uint16_t GetU16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
inline void PadTo4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// The node's bytes; `base` is where the node will lie in its block (padding is
// counted from the block's start).
inline Bytes BuildNode(const TestNode& node, std::size_t base = 0) {
  Bytes out;
  auto pad = [&] {
    while ((base + out.size()) % 4 != 0) out.push_back(0);
  };
  PutU16(out, 0);
  PutU16(out, node.m_valueLength);
  PutU16(out, node.m_text ? 1 : 0);
  for (char16_t c : node.m_key) PutU16(out, c);
  PutU16(out, 0);
  pad();
  out.insert(out.end(), node.m_value.begin(), node.m_value.end());
  for (const TestNode& child : node.m_children) {
    pad();
    const Bytes bytes = BuildNode(child, base + out.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  SetU16(out, 0, static_cast<std::uint16_t>(out.size()));
  return out;
}

// A text node: the value with its terminating 0, its length in characters.
inline TestNode StringNode(const std::u16string& key, const std::u16string& value) {
  TestNode node{key, {}, static_cast<std::uint16_t>(value.size() + 1), true, {}};
  for (char16_t c : value) PutU16(node.m_value, c);
  PutU16(node.m_value, 0);
  return node;
}

inline Bytes FixedInfoBytes(std::uint32_t productMS, std::uint32_t productLS,
                            std::uint32_t flags = 0) {
  Bytes out;
  for (std::uint32_t word : {0xFEEF04BDu, 0x00010000u, productMS, productLS, productMS, productLS,
                             0x3Fu, flags, 0x00040004u, 1u, 0u, 0x01D00000u, 0x12345678u}) {
    PutU32(out, word);
  }
  return out;
}

inline TestNode StringTableNode(const std::u16string& key, std::vector<TestNode> strings) {
  return TestNode{key, {}, 0, true, std::move(strings)};
}

// A whole tree: fixed information, one StringFileInfo holding `tables`, and
// VarFileInfo with the translation.
inline TestNode VersionTree(std::uint32_t productMS, std::uint32_t productLS, std::uint32_t flags,
                            std::vector<TestNode> tables) {
  Bytes translation;
  PutU16(translation, 0x0409);
  PutU16(translation, 0x04B0);
  TestNode vars{u"VarFileInfo", {}, 0, true, {TestNode{u"Translation", translation, 4, false, {}}}};
  TestNode strings{u"StringFileInfo", {}, 0, true, std::move(tables)};
  return TestNode{NVersionInfo::RootKey(),
                  FixedInfoBytes(productMS, productLS, flags),
                  52,
                  false,
                  {std::move(strings), std::move(vars)}};
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
