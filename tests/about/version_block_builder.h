#pragma once
// Version-resource bytes for tests: the sample product and a PE header to put before it.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "res/version/version_block.h"

namespace bitvane::testing {

using Bytes = VersionBytes;
using TestNode = VersionNode;

inline Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

inline Bytes Patched(Bytes bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
  return bytes;
}

inline TestNode Folder(const std::u16string& key, std::vector<TestNode> children = {}) {
  return TestNode{key, {}, 0, true, std::move(children)};
}

inline Bytes VersionTree(std::uint32_t productMS, std::uint32_t productLS, std::uint32_t flags,
                         std::vector<TestNode> tables, std::uint64_t date = 0x01D0000012345678u) {
  return BuildVersionNode(
      VersionResourceTree(FixedInfoBytes(productMS, productLS, flags, date), std::move(tables)));
}

inline std::vector<TestNode> SampleStrings() {
  return {VersionStringNode(u"Comments", u"Sample comments"),
          VersionStringNode(u"CompanyName", u"Sample Maker"),
          VersionStringNode(u"FileDescription", u"Sample description"),
          VersionStringNode(u"FileVersion", u"1.2.3.4"),
          VersionStringNode(u"InternalName", u"sample"),
          VersionStringNode(u"LegalCopyright", u"Copyright (C) Sample Maker"),
          VersionStringNode(u"OriginalFilename", u"sample.exe"),
          VersionStringNode(u"ProductName", u"Sample Product")};
}

inline Bytes SampleBlock(std::uint32_t productMS = 0x00010002, std::uint32_t productLS = 0x00030004,
                         std::uint32_t flags = 0, std::uint64_t date = 0x01D0000012345678u) {
  return VersionTree(productMS, productLS, flags, {Folder(u"040904b0", SampleStrings())}, date);
}

// A 64-bit ELF header of byte order `order` (1 little-, 2 big-endian) with machine bytes
// 62, 0, then `tail`.
inline Bytes ElfImage(std::uint8_t order, const Bytes& tail) {
  return Joined({{0x7F, 'E', 'L', 'F', 2, order}, Bytes(12, 0), {62, 0}, Bytes(44, 0), tail});
}

// A DOS header pointing at 264 bytes of PE headers (signature, machine, link time), `tail`.
inline Bytes PeImage(std::uint16_t machine, const Bytes& tail = {}, std::uint32_t linkTime = 0) {
  Bytes image(0x40, 0);
  image[0] = 'M', image[1] = 'Z', image[60] = 0x40;
  for (std::uint32_t field : {0x4550u, std::uint32_t{machine}, linkTime}) AppendU32(image, field);
  image.resize(0x40 + 264, 0);
  image.insert(image.end(), tail.begin(), tail.end());
  return image;
}

}  // namespace bitvane::testing
