#pragma once
// Owning single pointers: TNAutoFreePtrTo<T> releases with free (untyped memory,
// bytes, wide characters), TNAutoDelPtrTo<T> with delete (through the object's
// virtual destructor). Assigning a new pointer releases the old one first.

#include <cstddef>
#include <cstdlib>
#include <type_traits>

#include "foundation/non_copyable.h"
#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

template <class T>
class TNAutoFreePtrTo : private NNonCopyable {
 public:
  TNAutoFreePtrTo() noexcept = default;
  explicit TNAutoFreePtrTo(T* pointer) noexcept : m_pointer(pointer) {}
  ~TNAutoFreePtrTo() { std::free(m_pointer); }

  TNAutoFreePtrTo& operator=(T* pointer) noexcept {
    (void)Set(pointer);
    return *this;
  }
  // Takes `pointer` (memory from malloc), freeing the one held before.
  bool Set(T* pointer) noexcept {
    if (!IsPlausibleAddress(this)) return false;
    if (pointer != m_pointer) std::free(m_pointer);
    m_pointer = pointer;
    return true;
  }
  // Replaces the held memory with `count` zeroed elements (bytes for void).
  // False (ERROR_OUTOFMEMORY) keeps what was held.
  [[nodiscard]] bool Allocate(std::size_t count) noexcept {
    if (!IsPlausibleAddress(this)) return false;
    constexpr std::size_t size = ElementSize();
    void* memory = count == 0 ? nullptr : std::calloc(count, size);
    if (count != 0 && memory == nullptr) {
      SetLastError(ERROR_OUTOFMEMORY);
      return false;
    }
    return Set(static_cast<T*>(memory));
  }
  // Gives up ownership without freeing.
  [[nodiscard]] T* Detach() noexcept {
    if (!IsPlausibleAddress(this)) return nullptr;
    T* pointer = m_pointer;
    m_pointer = nullptr;
    return pointer;
  }

  [[nodiscard]] T* Get() const noexcept { return IsPlausibleAddress(this) ? m_pointer : nullptr; }
  explicit operator bool() const noexcept { return Get() != nullptr; }

 private:
  static constexpr std::size_t ElementSize() noexcept {
    if constexpr (std::is_void_v<T>) {
      return 1;
    } else {
      return sizeof(T);
    }
  }

  T* m_pointer = nullptr;
};

template <class T>
class TNAutoDelPtrTo : private NNonCopyable {
 public:
  TNAutoDelPtrTo() noexcept = default;
  explicit TNAutoDelPtrTo(T* pointer) noexcept : m_pointer(pointer) {}
  ~TNAutoDelPtrTo() { delete m_pointer; }

  TNAutoDelPtrTo& operator=(T* pointer) {
    (void)Set(pointer);
    return *this;
  }
  // Takes `pointer` (from new), deleting the object held before.
  bool Set(T* pointer) {
    if (!IsPlausibleAddress(this)) return false;
    if (pointer != m_pointer) delete m_pointer;
    m_pointer = pointer;
    return true;
  }
  [[nodiscard]] T* Detach() noexcept {
    if (!IsPlausibleAddress(this)) return nullptr;
    T* pointer = m_pointer;
    m_pointer = nullptr;
    return pointer;
  }

  [[nodiscard]] T* Get() const noexcept { return IsPlausibleAddress(this) ? m_pointer : nullptr; }
  T* operator->() const noexcept { return Get(); }
  T& operator*() const noexcept { return *Get(); }
  explicit operator bool() const noexcept { return Get() != nullptr; }

 private:
  T* m_pointer = nullptr;
};

}  // namespace bitvane
