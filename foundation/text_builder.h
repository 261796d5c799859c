#pragma once
// TextBuilder accumulates a text piece by piece without moving what it already
// holds: pieces go into a chain of chunks, and only Get() joins them. With the wipe
// option on, every character the builder stored is overwritten with zeros before
// its memory is freed, for texts that must not linger on the heap. Like every
// object of the library, a builder at an implausible address does nothing.

#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/non_copyable.h"
#include "platform/safe_memory.h"

namespace bitvane {

class TextBuilder : public NNonCopyable {
 public:
  // Chunk capacities are whole multiples of this many characters.
  static constexpr std::size_t kChunkGranularity = 65536;

  explicit TextBuilder(bool wipe = false) noexcept : m_wipe(wipe) {}
  ~TextBuilder() { Release(); }

  // Appends `length` characters from `piece`. A null or empty piece adds nothing.
  // The piece may lie inside this builder's own text. Throws std::bad_alloc when
  // memory runs out, and then leaves the builder as it was.
  void Append(const char16_t* piece, std::size_t length);
  void Append(std::u16string_view piece) { Append(piece.data(), piece.size()); }

  // The whole text, NUL-terminated; an empty text when nothing was appended.
  // Joins several chunks into one first. The pointer stays valid until the
  // builder next changes. Throws std::bad_alloc only while joining, and then
  // leaves the builder as it was.
  [[nodiscard]] const char16_t* Get();

  // A copy of the whole text. It is an ordinary string: the wipe option does
  // not follow it.
  [[nodiscard]] std::u16string Text() const;

  // Characters appended since construction or the last Release().
  [[nodiscard]] std::size_t Length() const noexcept {
    return IsPlausibleAddress(this) ? m_length : 0;
  }

  [[nodiscard]] bool Wipes() const noexcept { return IsPlausibleAddress(this) && m_wipe; }

  // Frees every chunk (wiping it first when the option is on) and leaves the
  // builder empty and ready for new pieces.
  void Release() noexcept;

 private:
  struct Chunk;

  static Chunk* NewChunk(std::size_t minimumCapacity);
  void FreeChunk(Chunk* chunk) const noexcept;

  Chunk* m_first = nullptr;
  Chunk* m_last = nullptr;
  std::size_t m_length = 0;
  bool m_wipe;
};

}  // namespace bitvane
