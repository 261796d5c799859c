#pragma once
// Doubles that exercise decimal conversion: random bit patterns of doubles (every exponent,
// infinities and NaNs) and of finite singles widened exactly, and the powers of ten with their
// neighbours.

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

namespace bitvane::test {

// The double whose bits are `bits`.
inline double Double(std::uint64_t bits) {
  return std::bit_cast<double>(bits);
}

inline std::vector<double> SampleDoubles() {
  std::vector<double> values = {0.0, -0.0, DBL_MAX, DBL_TRUE_MIN, 0.1 + 0.2, 1.0 / 3};
  for (int power = -324; power <= 308; ++power) {
    const double ten = std::pow(10.0, power);
    values.insert(values.end(), {ten, std::nextafter(ten, 0.0), std::nextafter(ten, HUGE_VAL)});
  }
  std::uint64_t x = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 4000; ++i) {
    x ^= x << 13;  // xorshift64
    x ^= x >> 7;
    x ^= x << 17;
    values.push_back(std::bit_cast<double>(x));
    const auto single = static_cast<std::uint32_t>(x);
    if ((single & 0x7F800000u) != 0x7F800000u) {
      values.push_back(static_cast<double>(std::bit_cast<float>(single)));
    }
  }
  return values;
}

}  // namespace bitvane::test
