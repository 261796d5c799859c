#pragma once
// An instrumented object for ownership tests: every destruction is recorded in order,
// so a test can tell exactly which objects a container deleted, and when.

#include <cstdint>
#include <vector>

namespace bitvane::test {

class Tracked {
 public:
  explicit Tracked(int id) : m_id(id) {}
  virtual ~Tracked() { Log().push_back(m_id); }
  [[nodiscard]] int Id() const { return m_id; }

  // Ids of destroyed objects, in order of destruction.
  static std::vector<int>& Log() {
    static std::vector<int> log;
    return log;
  }

 private:
  int m_id;
};

// Deleted through a Tracked*: proves deletion goes through the virtual destructor.
class TrackedDerived : public Tracked {
 public:
  TrackedDerived(int id, int* derivedDestroyed) : Tracked(id), m_flag(derivedDestroyed) {}
  ~TrackedDerived() override { ++*m_flag; }

 private:
  int* m_flag;
};

// An address in the lowest page: never an object. Member calls on it are deliberate
// undefined behaviour, made in functions marked BITVANE_WILD_CALL so that the
// sanitizer lets the defensive checks inside the callee answer.
template <class C>
C* WildPointer() {
  return reinterpret_cast<C*>(static_cast<std::uintptr_t>(0x40));
}
#define BITVANE_WILD_CALL __attribute__((no_sanitize("undefined"), noinline))

}  // namespace bitvane::test
