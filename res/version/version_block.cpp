#include "res/version/version_block.h"

#include <utility>

namespace bitvane {

void AppendU16(VersionBytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(VersionBytes& out, std::uint32_t value) {
  AppendU16(out, static_cast<std::uint16_t>(value));
  AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

VersionBytes BuildVersionNode(const VersionNode& node, std::size_t base) {
  VersionBytes out;
  const auto pad = [&] {
    while ((base + out.size()) % 4 != 0) out.push_back(0);
  };
  AppendU16(out, 0);  // wLength, set at the end
  AppendU16(out, node.m_valueLength);
  AppendU16(out, node.m_text ? 1 : 0);
  for (char16_t c : node.m_key) AppendU16(out, c);
  AppendU16(out, 0);
  pad();
  out.insert(out.end(), node.m_value.begin(), node.m_value.end());
  for (const VersionNode& child : node.m_children) {
    pad();
    const VersionBytes bytes = BuildVersionNode(child, base + out.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  out[0] = static_cast<std::uint8_t>(out.size());
  out[1] = static_cast<std::uint8_t>(out.size() >> 8);
  return out;
}

VersionNode VersionStringNode(std::u16string key, std::u16string_view value) {
  VersionNode node{std::move(key), {}, static_cast<std::uint16_t>(value.size() + 1), true, {}};
  for (char16_t c : value) AppendU16(node.m_value, c);
  AppendU16(node.m_value, 0);
  return node;
}

VersionBytes FixedInfoBytes(std::uint32_t versionMS, std::uint32_t versionLS, std::uint32_t flags,
                            std::uint64_t fileDate) {
  VersionBytes out;
  for (std::uint32_t word :
       {0xFEEF04BDu,           // signature
        0x00010000u,           // structure version
        versionMS, versionLS,  // file version
        versionMS, versionLS,  // product version
        0x3Fu, flags,
        0x00040004u,  // operating system
        1u,           // file type: application
        0u,           // subtype
        static_cast<std::uint32_t>(fileDate >> 32), static_cast<std::uint32_t>(fileDate)}) {
    AppendU32(out, word);
  }
  return out;
}

VersionNode VersionResourceTree(VersionBytes fixedInfo, std::vector<VersionNode> tables) {
  VersionBytes translation;
  AppendU16(translation, 0x0409);  // US English
  AppendU16(translation, 0x04B0);  // Unicode
  VersionNode vars{
      u"VarFileInfo", {}, 0, true, {VersionNode{u"Translation", translation, 4, false, {}}}};
  VersionNode strings{u"StringFileInfo", {}, 0, true, std::move(tables)};
  return VersionNode{
      VersionRootKey(), std::move(fixedInfo), 52, false, {std::move(strings), std::move(vars)}};
}

const std::u16string& VersionRootKey() {
  // Held as 8-bit text: a program that links this carries no UTF-16 copy of the key
  // for the root search over its own file to meet.
  static const std::u16string key = [] {
    const std::string_view text = "VS_VERSION_INFO";
    return std::u16string(text.begin(), text.end());
  }();
  return key;
}

}  // namespace bitvane
