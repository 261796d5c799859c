#include "foundation/text_builder.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "platform/safe_memory.h"

namespace bitvane {

struct TextBuilder::Chunk {
  char16_t* buffer;      // capacity + 1 characters; a NUL follows the used ones
  std::size_t capacity;  // characters, a whole multiple of kChunkGranularity
  std::size_t used = 0;
  Chunk* next = nullptr;
};

namespace {

// memmove rather than memcpy: a piece may come from the builder's own text.
void CopyCharacters(char16_t* target, const char16_t* source, std::size_t count) noexcept {
  std::memmove(target, source, count * sizeof(char16_t));
}

}  // namespace

TextBuilder::Chunk* TextBuilder::NewChunk(std::size_t minimumCapacity) {
  // Rounding up and the room for the NUL must not overflow the byte count.
  constexpr std::size_t kLargest =
      std::numeric_limits<std::size_t>::max() / sizeof(char16_t) - kChunkGranularity;
  if (minimumCapacity > kLargest) throw std::bad_alloc();
  const std::size_t capacity =
      (minimumCapacity + kChunkGranularity - 1) / kChunkGranularity * kChunkGranularity;
  std::unique_ptr<char16_t[]> buffer(new char16_t[capacity + 1]);
  buffer[0] = u'\0';
  Chunk* chunk = new Chunk{buffer.get(), capacity};
  buffer.release();
  return chunk;
}

void TextBuilder::FreeChunk(Chunk* chunk) const noexcept {
  if (m_wipe) WipeMemory(chunk->buffer, chunk->used * sizeof(char16_t));
  delete[] chunk->buffer;
  delete chunk;
}

void TextBuilder::Append(const char16_t* piece, std::size_t length) {
  if (!IsPlausibleAddress(this) || piece == nullptr || length == 0) return;
  const std::size_t room = m_last != nullptr ? m_last->capacity - m_last->used : 0;
  // Allocate before copying anything, so that a failure leaves the text as it was.
  Chunk* extra = length > room ? NewChunk(length - room) : nullptr;

  const std::size_t head = length < room ? length : room;
  if (head != 0) {
    CopyCharacters(m_last->buffer + m_last->used, piece, head);
    m_last->used += head;
    m_last->buffer[m_last->used] = u'\0';
  }
  if (extra != nullptr) {
    CopyCharacters(extra->buffer, piece + head, length - head);
    extra->used = length - head;
    extra->buffer[extra->used] = u'\0';
    if (m_last != nullptr) {
      m_last->next = extra;
    } else {
      m_first = extra;
    }
    m_last = extra;
  }
  m_length += length;
}

const char16_t* TextBuilder::Get() {
  if (!IsPlausibleAddress(this) || m_first == nullptr) return u"";
  if (m_first == m_last) return m_first->buffer;

  Chunk* joined = NewChunk(m_length);
  char16_t* out = joined->buffer;
  for (const Chunk* chunk = m_first; chunk != nullptr; chunk = chunk->next) {
    std::memcpy(out, chunk->buffer, chunk->used * sizeof(char16_t));
    out += chunk->used;
  }
  *out = u'\0';
  joined->used = m_length;

  const std::size_t length = m_length;
  Release();
  m_first = m_last = joined;
  m_length = length;
  return joined->buffer;
}

std::u16string TextBuilder::Text() const {
  std::u16string text;
  if (!IsPlausibleAddress(this)) return text;
  text.reserve(m_length);
  for (const Chunk* chunk = m_first; chunk != nullptr; chunk = chunk->next) {
    text.append(chunk->buffer, chunk->used);
  }
  return text;
}

void TextBuilder::Release() noexcept {
  if (!IsPlausibleAddress(this)) return;
  Chunk* chunk = m_first;
  while (chunk != nullptr) {
    Chunk* next = chunk->next;
    FreeChunk(chunk);
    chunk = next;
  }
  m_first = m_last = nullptr;
  m_length = 0;
}

}  // namespace bitvane
