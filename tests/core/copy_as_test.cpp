// Every copied text gives back the view's bits: the C forms compiled by the compiler
// that built this test, the Python form run by python3 where it is installed.
#include "core/copy_as.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace bitvane {
namespace {

constexpr std::uint64_t kSamples[] = {
    0x3FF8000000000000,  // 1.5 as a double, 0 and 1.9375 as singles
    0x8000000000000001,  // the least negative subnormal double
    0x7FF8000000000001,  // a quiet NaN with payload 1
    0xFFF4000000000000,  // a negative signalling NaN
    0xFFF0000000000000,  // minus infinity
    0x7F7FFFFF00800000,  // the largest single, the least normal single
    0x7FA000017F800000,  // a signalling single NaN, single infinity
    0x0123456789ABCDEF,
    0x3FB999999999999A,  // 0.1
};

// The view's bytes in memory order as hexadecimal digits.
std::string Expected(const ValueView& view, RawValue value) {
  std::string hex;
  char byte[3];
  for (unsigned i = 0; i < view.size; ++i) {
    std::snprintf(byte, sizeof byte, "%02X", value.Byte(view.firstByte + i));
    hex += byte;
  }
  return hex;
}

const char* TypeOf(const ValueView& view) {
  if (view.kind == ViewKind::Float) return view.size == 4 ? "float" : "double";
  return view.size == 1 ? "std::uint8_t" : view.size == 4 ? "std::uint32_t" : "std::uint64_t";
}

// Runs `command`; its standard output, or "(failed)".
std::string Output(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "(failed)";
  std::string out;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, got);
  return ::pclose(pipe) == 0 ? out : "(failed)";
}

// The forms as a reader meets them (names are tested through bitvane-cli --as).
TEST(CopyAs, Examples) {
  const struct {
    CopyFormat format;
    ViewId view;
    std::uint64_t value;
    const char* text;
  } rows[] = {
      {CopyFormat::CLiteral, ViewId::HugeInt64, 0x3FF8000000000000, "0x3FF8000000000000ULL"},
      {CopyFormat::CLiteral, ViewId::Double64, 0x3FF8000000000000, "1.5"},
      {CopyFormat::HexFloat, ViewId::Double64, 0x3FF8000000000000, "0x1.8p+0"},
      {CopyFormat::HexFloat, ViewId::Double64, 0x8000000000000001, "-0x1p-1074"},
      {CopyFormat::BytesMemoryOrder, ViewId::Double64, 0x3FF8000000000000,
       "{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F}"},
      {CopyFormat::BytesBigEndian, ViewId::HighInt32, 0x3FF8000000000000,
       "{0x3F, 0xF8, 0x00, 0x00}"},
      {CopyFormat::PythonPack, ViewId::Double64, 0x3FF8000000000000,
       "struct.pack('<d', float.fromhex('0x1.8p+0'))"}};
  for (const auto& row : rows)
    EXPECT_EQ(CopyAsText(row.format, ViewOf(row.view), RawValue::FromU64(row.value)), row.text);
}

TEST(CopyAs, CompiledOrEvaluatedTheTextsGiveBackTheBits) {
  std::ostringstream cpp, python;
  cpp << "#include <cmath>\n#include <cstdint>\n#include <cstdio>\n#include <cstring>\n"
         "template <class T> void Put(const char* id, const T& v) {\n"
         "  unsigned char b[sizeof v]; std::memcpy(b, &v, sizeof v); std::printf(\"%s \", id);\n"
         "  for (unsigned char c : b) std::printf(\"%02X\", c);\n  std::printf(\"\\n\");\n}\n"
         "int main() {\n";
  python << "import struct\n";
  std::map<std::string, std::string> expected;
  int id = 0;
  for (const std::uint64_t sample : kSamples) {
    const RawValue value = RawValue::FromU64(sample);
    for (const ValueView& view : ViewTable()) {
      const std::string bytes = Expected(view, value), type = TypeOf(view);
      for (const auto format : {CopyFormat::CLiteral, CopyFormat::HexFloat}) {
        const std::string name = std::to_string(++id);
        cpp << "  { const " << type << " v = " << CopyAsText(format, view, value) << "; Put(\""
            << name << "\", v); }\n";
        expected[name] = bytes;
      }
      for (const auto format : {CopyFormat::BytesMemoryOrder, CopyFormat::BytesBigEndian}) {
        const std::string name = std::to_string(++id);
        cpp << "  { const unsigned char a[] = " << CopyAsText(format, view, value) << "; Put(\""
            << name << "\", a); }\n";
        std::string order = bytes;
        if (format == CopyFormat::BytesBigEndian)
          for (std::size_t i = 0; i < bytes.size(); i += 2)
            order.replace(i, 2, bytes.substr(bytes.size() - 2 - i, 2));
        expected[name] = order;
      }
      const std::string name = "p" + std::to_string(++id);
      python << "print('" << name << "', " << CopyAsText(CopyFormat::PythonPack, view, value)
             << ".hex().upper())\n";
      expected[name] = bytes;
    }
  }
  cpp << "}\n";
  const test::TempDir dir;
  const std::string source = dir.Write("copied.cpp", cpp.str());
  const std::string program = dir.Join("copied");
  ASSERT_EQ(
      std::system((std::string(BITVANE_CXX) + " -std=c++20 -o " + program + " " + source).c_str()),
      0)
      << cpp.str();
  std::string got = Output(program);
  const bool hasPython = std::system("python3 -c '' 2>/dev/null") == 0;
  if (hasPython) got += Output("python3 " + dir.Write("copied.py", python.str()));
  std::istringstream lines(got);
  std::string name, bytes;
  std::size_t checked = 0;
  while (lines >> name >> bytes) {
    EXPECT_EQ(bytes, expected[name]) << name;
    ++checked;
  }
  EXPECT_EQ(checked,
            hasPython ? expected.size() : expected.size() - std::size(kSamples) * kViewCount);
}

}  // namespace
}  // namespace bitvane
