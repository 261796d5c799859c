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

// What the two owning pointers share; `Release` frees what they hold.
template <class T, class Release>
class TNOwningPtr : private NNonCopyable {
 public:
  TNOwningPtr() noexcept = default;
  explicit TNOwningPtr(T* pointer) noexcept : m_pointer(pointer) {}
  ~TNOwningPtr() { Release()(m_pointer); }

  // Takes `pointer`, releasing the one held before (unless it is the same).
  bool Set(T* pointer) {
    if (!IsPlausibleAddress(this)) return false;
    if (pointer != m_pointer) Release()(m_pointer);
    m_pointer = pointer;
    return true;
  }
  // Gives up ownership without releasing.
  [[nodiscard]] T* Detach() noexcept {
    if (!IsPlausibleAddress(this)) return nullptr;
    T* pointer = m_pointer;
    m_pointer = nullptr;
    return pointer;
  }

  [[nodiscard]] T* Get() const noexcept { return IsPlausibleAddress(this) ? m_pointer : nullptr; }
  explicit operator bool() const noexcept { return Get() != nullptr; }

 private:
  T* m_pointer = nullptr;
};

struct FreeRelease {
  void operator()(void* pointer) const noexcept { std::free(pointer); }
};

struct DeleteRelease {
  template <class T>
  void operator()(T* pointer) const {
    delete pointer;
  }
};

template <class T>
class TNAutoFreePtrTo : public TNOwningPtr<T, FreeRelease> {
 public:
  using TNOwningPtr<T, FreeRelease>::TNOwningPtr;

  // Takes `pointer` (memory from malloc), freeing the one held before.
  TNAutoFreePtrTo& operator=(T* pointer) noexcept {
    (void)this->Set(pointer);
    return *this;
  }
  // Replaces the held memory with `count` zeroed elements (bytes for void).
  // False (ERROR_OUTOFMEMORY) keeps what was held.
  [[nodiscard]] bool Allocate(std::size_t count) noexcept {
    if (!IsPlausibleAddress(this)) return false;
    void* memory = count == 0 ? nullptr : std::calloc(count, ElementSize());
    if (count != 0 && memory == nullptr) {
      SetLastError(ERROR_OUTOFMEMORY);
      return false;
    }
    return this->Set(static_cast<T*>(memory));
  }

 private:
  static constexpr std::size_t ElementSize() noexcept {
    if constexpr (std::is_void_v<T>) {
      return 1;
    } else {
      return sizeof(T);
    }
  }
};

template <class T>
class TNAutoDelPtrTo : public TNOwningPtr<T, DeleteRelease> {
 public:
  using TNOwningPtr<T, DeleteRelease>::TNOwningPtr;

  // Takes `pointer` (from new), deleting the object held before.
  TNAutoDelPtrTo& operator=(T* pointer) {
    (void)this->Set(pointer);
    return *this;
  }
  T* operator->() const noexcept { return this->Get(); }
  T& operator*() const noexcept { return *this->Get(); }
};

}  // namespace bitvane
