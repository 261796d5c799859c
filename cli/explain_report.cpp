#include "cli/explain_report.h"

#include <string>

#include "core/float_explain.h"
#include "foundation/number_text.h"
#include "foundation/wide_to_utf8.h"

namespace bitvane::cli {

namespace {

std::string Hex(std::uint64_t bits, int digits) {
  return WideToUtf8(Unsigned64ToText(bits, 16, digits, u'0'));
}

std::uint16_t Word(std::uint64_t value, int index) {
  return static_cast<std::uint16_t>(value >> (16 * index));
}

struct Explained {
  const char* name;
  FloatExplanation explanation;
};

nlohmann::json ToJson(const FloatExplanation& e) {
  nlohmann::json out{{"class", FloatClassName(e.kind)}, {"exact", e.exact}};
  if (e.kind == FloatClass::QuietNaN || e.kind == FloatClass::SignallingNaN)
    out["payload"] = Hex(e.payload, 13);
  if (e.exponent) out["exponent"] = *e.exponent;
  out["down"] = e.down;
  out["up"] = e.up;
  return out;
}

}  // namespace

nlohmann::json WordsJson(std::uint64_t value) {
  nlohmann::json words = nlohmann::json::array();
  for (int index = 3; index >= 0; --index) {
    const std::uint16_t bits = Word(value, index);
    words.push_back({{"word", "word" + std::to_string(index)},
                     {"bits", Hex(bits, 4)},
                     {"half", ShortestText(HalfToDouble(bits))},
                     {"bfloat16", ShortestText(BFloat16ToFloat(bits))}});
  }
  return words;
}

nlohmann::json ExplainJson(std::uint64_t value) {
  return {{"double", ToJson(ExplainDouble(value))},
          {"high-single", ToJson(ExplainSingle(static_cast<std::uint32_t>(value >> 32)))},
          {"low-single", ToJson(ExplainSingle(static_cast<std::uint32_t>(value)))}};
}

void WriteWords(std::uint64_t value, std::ostream& out) {
  out << '\n';
  for (const nlohmann::json& word : WordsJson(value)) {
    out << word["word"].get<std::string>() << "  " << word["bits"].get<std::string>() << "  half "
        << word["half"].get<std::string>() << "  bfloat16 " << word["bfloat16"].get<std::string>()
        << '\n';
  }
}

void WriteExplain(std::uint64_t value, std::ostream& out) {
  const nlohmann::json explained = ExplainJson(value);
  for (const char* name : {"double", "high-single", "low-single"}) {
    const nlohmann::json& e = explained[name];
    out << '\n' << name << "  " << e["class"].get<std::string>();
    if (e.contains("payload")) out << ", payload 0x" << e["payload"].get<std::string>();
    if (e.contains("exponent")) out << ", exponent " << e["exponent"].get<int>();
    out << "\n  exact  " << e["exact"].get<std::string>() << '\n';
    if (!e["down"].get<std::string>().empty())
      out << "  down   " << e["down"].get<std::string>() << '\n';
    if (!e["up"].get<std::string>().empty())
      out << "  up     " << e["up"].get<std::string>() << '\n';
  }
}

}  // namespace bitvane::cli
