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
#include <string_view>
#include <vector>

#include "res/version/version_block.h"

namespace {

using namespace bitvane;

// Each byte as one UTF-16 unit.
std::u16string Widen(std::string_view text) {
  std::u16string out;
  for (unsigned char c : text) out += static_cast<char16_t>(c);
  return out;
}

// The whole resource of program `fileName`, version v[0].v[1].v[2].v[3].
VersionBytes ProgramResource(const unsigned (&v)[4], bool debug, long long seconds,
                             const std::string& fileName) {
  const std::u16string version = Widen(std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                                       std::to_string(v[2]) + "." + std::to_string(v[3]));
  // 100-nanosecond ticks since 1601-01-01 UTC.
  const std::uint64_t fileTime =
      (static_cast<std::uint64_t>(seconds) + 11644473600ull) * 10000000ull;
  const VersionBytes fixed =
      FixedInfoBytes(v[0] << 16 | v[1], v[2] << 16 | v[3], debug ? 1u : 0u, fileTime);
  VersionNode table{
      u"040904b0",
      {},
      0,
      true,
      {VersionStringNode(u"Comments",
                         u"One 64-bit value shown as bytes, integers, singles and a double"),
       VersionStringNode(u"CompanyName", u"Kelmo"),
       VersionStringNode(u"FileDescription",
                         u"Float, integer and text encoder, decoder and examiner"),
       VersionStringNode(u"FileVersion", version), VersionStringNode(u"InternalName", u"Bitvane"),
       VersionStringNode(u"LegalCopyright", u"Copyright (C) 2026 Kelmo"),
       VersionStringNode(u"OriginalFilename", Widen(fileName)),
       VersionStringNode(u"ProductName", u"Bitvane"),
       VersionStringNode(u"ProductVersion", version)}};
  return BuildVersionNode(VersionResourceTree(fixed, {std::move(table)}));
}

bool WriteSource(const char* path, const VersionBytes& block) {
  std::ofstream out(path, std::ios::trunc);
  out << "// Generated at build time: the program's version resource.\n\n"
         "extern \"C\" {\n"
         "extern const unsigned char kBitvaneVersionResource[];\n"
         "__attribute__((used, aligned(4))) const unsigned char kBitvaneVersionResource[] = {";
  for (std::size_t i = 0; i < block.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(block[i]) << ",";
  }
  out << "\n};\n}\n";
  return static_cast<bool>(out);
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
  return WriteSource(argv[1], ProgramResource(v, debug, seconds, argv[5])) ? 0 : 1;
}
