#include "core/view_texts.h"

#include <bit>

#include "core/float_texts.h"
#include "core/integer_texts.h"

namespace bitvane {

namespace {

// The text makers of one shape of view: a byte, a 32-bit or a 64-bit integer, a
// single or a double.
enum class Shape { Byte, Int32, Int64, Single, Double };

Shape ShapeOf(const ValueView& view) noexcept {
  if (view.size == 1) return Shape::Byte;
  const bool isFloat = view.kind == ViewKind::Float;
  if (view.size == 4) return isFloat ? Shape::Single : Shape::Int32;
  return isFloat ? Shape::Double : Shape::Int64;
}

}  // namespace

std::u16string ViewInputText(const ValueView& view, const RawValue& value) {
  const std::uint64_t bits = value.Bytes(view.firstByte, view.size);
  switch (ShapeOf(view)) {
    case Shape::Byte:
      return ByteInputText(static_cast<std::uint8_t>(bits));
    case Shape::Int32:
      return Int32InputText(static_cast<std::uint32_t>(bits));
    case Shape::Int64:
      return Int64InputText(bits);
    case Shape::Single:
      return FloatInputText(WidenSingle(static_cast<std::uint32_t>(bits)));
    case Shape::Double:
      return FloatInputText(std::bit_cast<double>(bits));
  }
  return {};
}

std::u16string ViewInfoText(const ValueView& view, const RawValue& value) {
  const std::uint64_t bits = value.Bytes(view.firstByte, view.size);
  switch (ShapeOf(view)) {
    case Shape::Byte:
      return ByteInfoText(static_cast<std::uint8_t>(bits));
    case Shape::Int32:
      return Int32InfoText(static_cast<std::uint32_t>(bits));
    case Shape::Int64:
      return Int64InfoText(bits);
    case Shape::Single:
      return SingleInfoText(static_cast<std::uint32_t>(bits));
    case Shape::Double:
      return DoubleInfoText(bits);
  }
  return {};
}

}  // namespace bitvane
