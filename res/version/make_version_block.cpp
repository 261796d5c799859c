// Writes a C++ source that embeds a version resource in the program: the standard node
// tree (fixed file information, a string table 040904b0 and the translation), as
// bytes in read-only data, 4-byte aligned, where the program's own reader finds it.
//
//   make_version_block OUT.cpp MAJOR.MINOR.PATCH[.BUILD] DEBUG(0|1) UNIX_SECONDS FILE_NAME

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Word(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void DWord(Bytes& out, std::uint32_t value) {
  Word(out, static_cast<std::uint16_t>(value));
  Word(out, static_cast<std::uint16_t>(value >> 16));
}
void Align4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}
// ASCII text as UTF-16 with its terminating 0.
void Text(Bytes& out, const std::string& text) {
  for (unsigned char c : text) Word(out, c);
  Word(out, 0);
}

// One node: wLength, wValueLength, wType, key, padding, value, padding, children.
// `valueLength` counts characters for text values and bytes for binary ones.
Bytes Node(const std::string& key, const Bytes& value, std::uint16_t valueLength, bool text,
           const std::vector<Bytes>& children) {
  Bytes out;
  Word(out, 0);  // wLength, patched below
  Word(out, valueLength);
  Word(out, text ? 1 : 0);
  Text(out, key);
  Align4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Align4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  out[0] = static_cast<std::uint8_t>(out.size());
  out[1] = static_cast<std::uint8_t>(out.size() >> 8);
  return out;
}

Bytes StringNode(const std::string& key, const std::string& value) {
  Bytes text;
  Text(text, value);
  return Node(key, text, static_cast<std::uint16_t>(value.size() + 1), true, {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s OUT.cpp VERSION DEBUG UNIX_SECONDS FILE_NAME\n", argv[0]);
    return 2;
  }
  unsigned v[4] = {0, 0, 0, 0};
  std::sscanf(argv[2], "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]);
  const bool debug = std::string(argv[3]) == "1";
  const long long seconds = std::atoll(argv[4]);
  const std::string fileName = argv[5];
  const std::string version = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                              std::to_string(v[2]) + "." + std::to_string(v[3]);

  // 100-nanosecond ticks since 1601-01-01 UTC.
  const std::uint64_t fileTime =
      (static_cast<std::uint64_t>(seconds) + 11644473600ull) * 10000000ull;

  Bytes fixed;
  DWord(fixed, 0xFEEF04BDu);          // signature
  DWord(fixed, 0x00010000u);          // structure version
  DWord(fixed, v[0] << 16 | v[1]);    // file version
  DWord(fixed, v[2] << 16 | v[3]);
  DWord(fixed, v[0] << 16 | v[1]);    // product version
  DWord(fixed, v[2] << 16 | v[3]);
  DWord(fixed, 0x3Fu);                // flags mask
  DWord(fixed, debug ? 1u : 0u);      // flags: debug
  DWord(fixed, 0x00040004u);          // operating system
  DWord(fixed, 1u);                   // file type: application
  DWord(fixed, 0u);                   // subtype
  DWord(fixed, static_cast<std::uint32_t>(fileTime >> 32));  // file date
  DWord(fixed, static_cast<std::uint32_t>(fileTime));

  const Bytes table = Node(
      "040904b0", {}, 0, true,
      {StringNode("Comments", "One 64-bit value shown as bytes, integers, singles and a double"),
       StringNode("CompanyName", "Kelmo"),
       StringNode("FileDescription", "Float, integer and text encoder, decoder and examiner"),
       StringNode("FileVersion", version), StringNode("InternalName", "Bitvane"),
       StringNode("LegalCopyright", "Copyright (C) 2026 Kelmo"),
       StringNode("OriginalFilename", fileName), StringNode("ProductName", "Bitvane"),
       StringNode("ProductVersion", version)});
  const Bytes strings = Node("StringFileInfo", {}, 0, true, {table});
  Bytes translation;
  Word(translation, 0x0409);  // US English
  Word(translation, 0x04B0);  // Unicode
  const Bytes var = Node("Translation", translation, 4, false, {});
  const Bytes vars = Node("VarFileInfo", {}, 0, true, {var});
  const Bytes root = Node("VS_VERSION_INFO", fixed, 52, false, {strings, vars});

  std::ofstream out(argv[1], std::ios::trunc);
  out << "// Generated at build time: the program's version resource.\n\n"
         "extern \"C\" {\n"
         "extern const unsigned char kBitvaneVersionResource[];\n"
         "__attribute__((used, aligned(4))) const unsigned char kBitvaneVersionResource[] = {";
  for (std::size_t i = 0; i < root.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(root[i]) << ",";
  }
  out << "\n};\n}\n";
  return out ? 0 : 1;
}
