#pragma once
// Container elements that log their destruction (Tracked) or count live values and copies.

#include <cstdint>
#include <vector>

namespace bitvane::test {

struct Tracked {
  explicit Tracked(int id) : id(id) {}
  virtual ~Tracked() { log.push_back(id); }
  static inline std::vector<int> log;  // ids of destroyed objects, in order
  const int id;
};

// Logs -id before its base logs id: proof of deletion through the virtual destructor.
struct TrackedDerived : Tracked {
  using Tracked::Tracked;
  ~TrackedDerived() override { log.push_back(-id); }
};

struct Counted {
  Counted(int value = 0) : id(value) { live += id != 0; }  // NOLINT: implicit on purpose
  Counted(const Counted& other) : Counted(other.id) { ++copies; }
  Counted& operator=(const Counted& other) {
    live += (other.id != 0) - (id != 0);
    id = other.id;
    return *this;
  }
  ~Counted() { live -= id != 0; }
  bool operator==(const Counted& other) const { return id == other.id; }
  static inline int live = 0, copies = 0;
  int id;
};

// An address in the lowest page, never an object. Calls through it are deliberate undefined
// behaviour, in functions the sanitizer leaves to the callee's own checks.
template <class C>
C* const kWildPointer = reinterpret_cast<C*>(std::uintptr_t{0x40});
#define BITVANE_WILD_CALL __attribute__((no_sanitize("undefined"), noinline))

}  // namespace bitvane::test
