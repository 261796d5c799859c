#pragma once
// Growable arrays: TNArrOf<T> holds values, TNArrOfPtrTo<T> pointers it does not own,
// TNArrOfADPtrTo<T> pointers it owns and deletes.
//
// Growth: storage grows to the needed count rounded up to a multiple of the growth
// step (a step of 0 counts as 1). Indexes are signed; a negative index counts from
// the end (-1 is the last element). Reading beyond the end gives a shared default
// element and never grows the array; the write form At() grows it.
//
// Each public operation checks its own address before anything else, including
// calls to other members, so that a wild pointer fails instead of faulting.
//
// Every element that leaves the array or is overwritten goes through the virtual
// ReleaseElement(place, newValue), so owning and wiping variants only override that.

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "foundation/non_copyable.h"
#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

template <class T>
class TNArrOf : private NNonCopyable {
 public:
  explicit TNArrOf(std::uint32_t growStep = 0) noexcept : m_growStep(growStep) {}
  virtual ~TNArrOf() { Destroy(); }

  // Gives `place` its new value, releasing the old one. Owning variants delete the
  // object the place points to; wiping variants clear the old text first.
  virtual void ReleaseElement(T& place, const T& newValue) { place = newValue; }

  // Called on a temporary copy of an element before it is destroyed; wiping
  // variants clear it, so that no copy of sensitive text outlives its use.
  virtual void WipeTemporary(T& /*temporary*/) {}

  [[nodiscard]] std::uint32_t Count() const noexcept {
    return IsPlausibleAddress(this) ? m_count : 0;
  }
  [[nodiscard]] std::uint32_t Capacity() const noexcept {
    return IsPlausibleAddress(this) ? m_capacity : 0;
  }
  [[nodiscard]] std::uint32_t GrowStep() const noexcept {
    return IsPlausibleAddress(this) ? m_growStep : 0;
  }
  void SetGrowStep(std::uint32_t step) noexcept {
    if (IsPlausibleAddress(this)) m_growStep = step;
  }

  // Sets the count to n: surplus elements are released last first with a default
  // value; new ones start as default values. False (ERROR_OUTOFMEMORY) leaves the
  // array as it was when storage cannot be had.
  [[nodiscard]] bool Resize(std::uint32_t n) {
    if (!IsPlausibleAddress(this)) return false;
    if (n == m_count) return true;
    if (n < m_count) {
      for (std::uint32_t i = m_count; i-- > n;) {
        ReleaseElement(m_data[i], DefaultElement());
        m_data[i].~T();
        m_count = i;
      }
      return true;
    }
    if (n > m_capacity && !Reserve(n)) return false;
    for (; m_count < n; ++m_count) new (&m_data[m_count]) T();
    return true;
  }

  // Appends a value; false when storage cannot be had.
  [[nodiscard]] bool Add(const T& value) {
    return IsPlausibleAddress(this) && InsertAt(static_cast<std::int64_t>(m_count), value);
  }

  // Inserts at index (0..Count(); negative counts from the end), moving the
  // elements from there on up by one. A failure leaves the array as it was.
  [[nodiscard]] bool InsertAt(std::int64_t index, const T& value) {
    if (!IsPlausibleAddress(this)) return false;
    if (index < 0) index += m_count;
    if (index < 0 || index > static_cast<std::int64_t>(m_count)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    T fresh(value);  // first: the value may live inside this array, and may fail to copy
    if (m_count == m_capacity && !Reserve(m_count + 1)) {
      WipeTemporary(fresh);
      return false;
    }
    // From here on only moves, which do not fail.
    if (index == static_cast<std::int64_t>(m_count)) {
      new (&m_data[m_count]) T(std::move(fresh));
    } else {
      new (&m_data[m_count]) T(std::move(m_data[m_count - 1]));
      for (std::int64_t i = m_count - 1; i > index; --i) m_data[i] = std::move(m_data[i - 1]);
      m_data[index] = std::move(fresh);
    }
    ++m_count;
    return true;
  }

  // Removes the element at index (negative counts from the end), releasing it.
  [[nodiscard]] bool RemoveAt(std::int64_t index) {
    if (!IsPlausibleAddress(this)) return false;
    if (index < 0) index += m_count;
    if (index < 0 || index >= static_cast<std::int64_t>(m_count)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    ReleaseElement(m_data[index], DefaultElement());
    for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < m_count; ++i) {
      m_data[i] = std::move(m_data[i + 1]);
    }
    m_data[m_count - 1].~T();
    --m_count;
    return true;
  }

  // Releases every element, last first. The storage is kept.
  void RemoveAll() {
    if (IsPlausibleAddress(this)) (void)Resize(0);
  }

  // Read access: the element, or the shared default element beyond either end.
  [[nodiscard]] const T& Get(std::int64_t index) const noexcept {
    if (!IsPlausibleAddress(this)) return DefaultElement();
    if (index < 0) index += m_count;
    if (index < 0 || index >= static_cast<std::int64_t>(m_count)) return DefaultElement();
    return m_data[index];
  }
  [[nodiscard]] const T& operator[](std::int64_t index) const noexcept { return Get(index); }

  // Write access: grows the array to index + 1 when the index lies beyond the end.
  // Null when the index lies before the start or storage cannot be had. Writing
  // through the pointer bypasses ReleaseElement: use SetAt to replace a value.
  [[nodiscard]] T* At(std::int64_t index) {
    if (!IsPlausibleAddress(this)) return nullptr;
    if (index < 0) index += m_count;
    if (index < 0 || index >= INT32_MAX) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (index >= static_cast<std::int64_t>(m_count) &&
        !Resize(static_cast<std::uint32_t>(index) + 1)) {
      return nullptr;
    }
    return &m_data[index];
  }

  // Stores a value at index through ReleaseElement, growing as At() does.
  [[nodiscard]] bool SetAt(std::int64_t index, const T& value) {
    if (!IsPlausibleAddress(this)) return false;
    // A value inside this array would move if the array grows: take a copy then.
    const bool inside = m_count != 0 && &value >= m_data && &value < m_data + m_count;
    if (!inside) {
      T* place = At(index);
      if (place != nullptr) ReleaseElement(*place, value);
      return place != nullptr;
    }
    T copy(value);
    T* place = At(index);
    if (place != nullptr) ReleaseElement(*place, copy);
    WipeTemporary(copy);
    return place != nullptr;
  }

  T* begin() noexcept { return IsPlausibleAddress(this) ? m_data : nullptr; }
  T* end() noexcept { return IsPlausibleAddress(this) ? m_data + m_count : nullptr; }
  const T* begin() const noexcept { return IsPlausibleAddress(this) ? m_data : nullptr; }
  const T* end() const noexcept { return IsPlausibleAddress(this) ? m_data + m_count : nullptr; }

  // The one default element that reads beyond the end return.
  static const T& DefaultElement() noexcept {
    static const T value{};
    return value;
  }

 protected:
  // Frees storage without releasing; derived destructors release first.
  void Destroy() noexcept {
    if (!IsPlausibleAddress(this)) return;
    for (std::uint32_t i = m_count; i-- > 0;) m_data[i].~T();
    WipeMemory(m_data, std::size_t{m_capacity} * sizeof(T));
    ::operator delete(m_data);
    m_data = nullptr;
    m_count = m_capacity = 0;
  }

 private:
  // Grows the storage to hold at least n elements, by the rounding rule.
  bool Reserve(std::uint32_t n) {
    const std::uint64_t step = m_growStep == 0 ? 1 : m_growStep;
    const std::uint64_t capacity = (n + step - 1) / step * step;
    if (capacity > UINT32_MAX || capacity > SIZE_MAX / sizeof(T)) {
      SetLastError(ERROR_OUTOFMEMORY);
      return false;
    }
    auto* data = static_cast<T*>(::operator new(capacity * sizeof(T), std::nothrow));
    if (data == nullptr) {
      SetLastError(ERROR_OUTOFMEMORY);
      return false;
    }
    for (std::uint32_t i = 0; i < m_count; ++i) {
      new (&data[i]) T(std::move(m_data[i]));
      m_data[i].~T();
    }
    std::memset(static_cast<void*>(data + m_count), 0, (capacity - m_count) * sizeof(T));
    // Moved-from elements may keep remnants of their values; none reach freed memory.
    WipeMemory(m_data, std::size_t{m_capacity} * sizeof(T));
    ::operator delete(m_data);
    m_data = data;
    m_capacity = static_cast<std::uint32_t>(capacity);
    return true;
  }

  T* m_data = nullptr;
  std::uint32_t m_count = 0;
  std::uint32_t m_capacity = 0;
  std::uint32_t m_growStep = 0;
};

// Pointers kept without owning them.
template <class T>
class TNArrOfPtrTo : public TNArrOf<T*> {
 public:
  using TNArrOf<T*>::TNArrOf;
};

// Pointers owned: releasing a place deletes the object it points to (through the
// object's virtual destructor) before the new pointer is stored.
template <class T>
class TNArrOfADPtrTo : public TNArrOfPtrTo<T> {
 public:
  using TNArrOfPtrTo<T>::TNArrOfPtrTo;
  ~TNArrOfADPtrTo() override { this->RemoveAll(); }

  void ReleaseElement(T*& place, T* const& newValue) override {
    if (place != newValue) delete place;
    place = newValue;
  }
};

}  // namespace bitvane
