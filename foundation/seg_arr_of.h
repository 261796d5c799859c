#pragma once
// A segmented array: elements live in segments of 2^Bits elements each, reached
// through a table of segment pointers. Element i lies in segment i >> Bits at slot
// i & (2^Bits - 1), and an element never moves once placed, so pointers to elements
// stay valid while the array grows.

#include <cstdint>
#include <new>
#include <utility>

#include "foundation/arr_of.h"
#include "foundation/non_copyable.h"
#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

template <class T, unsigned Bits>
class TNSegArrOf : private NNonCopyable {
  static_assert(Bits >= 1 && Bits <= 20, "segments of 2 to 1M elements");

 public:
  static constexpr std::uint32_t kSegmentSize = 1u << Bits;

  TNSegArrOf() noexcept : m_segments(16) {}
  virtual ~TNSegArrOf() { RemoveAll(); }

  [[nodiscard]] std::uint32_t Count() const noexcept {
    return IsPlausibleAddress(this) ? m_count : 0;
  }
  [[nodiscard]] std::uint32_t SegmentCount() const noexcept {
    return IsPlausibleAddress(this) ? m_segments.Count() : 0;
  }

  // Appends a value; its stable address, or null when storage cannot be had.
  template <class V>
  T* Add(V&& value) {
    if (!IsPlausibleAddress(this)) return nullptr;
    const std::uint32_t segment = m_count >> Bits;
    if (segment == m_segments.Count()) {
      void* storage = ::operator new(sizeof(T) * kSegmentSize, std::nothrow);
      if (storage == nullptr || !m_segments.Add(static_cast<T*>(storage))) {
        ::operator delete(storage);
        SetLastError(ERROR_OUTOFMEMORY);
        return nullptr;
      }
    }
    T* place = m_segments.Get(segment) + (m_count & (kSegmentSize - 1));
    new (place) T(std::forward<V>(value));
    ++m_count;
    return place;
  }

  // The element at index, or null beyond the end.
  [[nodiscard]] T* At(std::uint32_t index) noexcept {
    if (!IsPlausibleAddress(this) || index >= m_count) return nullptr;
    return m_segments.Get(index >> Bits) + (index & (kSegmentSize - 1));
  }
  [[nodiscard]] const T* At(std::uint32_t index) const noexcept {
    if (!IsPlausibleAddress(this) || index >= m_count) return nullptr;
    return m_segments.Get(index >> Bits) + (index & (kSegmentSize - 1));
  }

  // Destroys every element, last first, and frees the segments.
  void RemoveAll() noexcept {
    if (!IsPlausibleAddress(this)) return;
    for (std::uint32_t i = m_count; i-- > 0;) At(i)->~T();
    for (T* segment : m_segments) ::operator delete(segment);
    m_segments.RemoveAll();
    m_count = 0;
  }

 private:
  TNArrOfPtrTo<T> m_segments;
  std::uint32_t m_count = 0;
};

}  // namespace bitvane
