#pragma once
// The report's exact readings of the value: the 16-bit words as half and bfloat16
// floats (always), and with --explain what each single and the double mean exactly.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>

namespace bitvane::cli {

// [{"word": "word3", "bits": "3FF8", "half": "1.9921875", "bfloat16": "1.9375"}, ...],
// the most significant word first.
[[nodiscard]] nlohmann::json WordsJson(std::uint64_t value);
// {"double": {...}, "high-single": {...}, "low-single": {...}}, each with "class",
// "payload" (NaNs), "exponent" (finite non-zero values), "exact", "down", "up".
[[nodiscard]] nlohmann::json ExplainJson(std::uint64_t value);

// The same as readable lines.
void WriteWords(std::uint64_t value, std::ostream& out);
void WriteExplain(std::uint64_t value, std::ostream& out);

}  // namespace bitvane::cli
