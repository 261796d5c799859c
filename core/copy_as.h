#pragma once
// A view's bits as code to paste into a program: a C/C++ literal of the view's type, a
// hexadecimal float, a byte array initialiser in memory order or in big-endian order,
// and a Python struct.pack call. Each gives back exactly the view's bits when compiled
// or evaluated. Pure functions of the value.

#include <optional>
#include <string>
#include <string_view>

#include "core/raw_value.h"
#include "core/view_table.h"

namespace bitvane {

enum class CopyFormat { CLiteral, HexFloat, BytesMemoryOrder, BytesBigEndian, PythonPack };

// The formats' names: "c", "hex-float", "bytes", "bytes-be", "python".
[[nodiscard]] std::string_view CopyFormatName(CopyFormat format) noexcept;
[[nodiscard]] std::optional<CopyFormat> CopyFormatNamed(std::string_view name) noexcept;

// The view's bits in `format`:
// - C literal: integers in hexadecimal with their type's suffix (0x41, 0x3FF80000U,
//   0x3FF8000000000000ULL); floats as their shortest decimal (1.5, 1.5f), infinities
//   as HUGE_VAL / HUGE_VALF, NaNs through the compilers' __builtin_nan(s) with the
//   payload;
// - hexadecimal float: a float view's value (0x1.8p+0, -0x1p-1074); an integer view's
//   as an integer (0x41); infinities and NaNs as for the C literal;
// - bytes: "{0x00, ..., 0x3F}", the view's bytes as they lie in memory (least
//   significant first) or most significant first;
// - Python: struct.pack of the view's bits as an unsigned integer of its size ('<B',
//   '<I', '<Q'), or of a finite float through float.fromhex ('<f', '<d').
[[nodiscard]] std::string CopyAsText(CopyFormat format, const ValueView& view, RawValue value);

}  // namespace bitvane
