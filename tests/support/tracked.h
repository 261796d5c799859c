#pragma once
// Instrumented elements for container tests: Tracked logs every destruction in
// order, so a test sees which owned objects a container deleted and when;
// Counted counts its live non-default values, so a test sees values a container
// failed to destroy.

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

// Logs -id before its base logs id: deleted through a Tracked*, this proves the
// deletion went through the virtual destructor.
class TrackedDerived : public Tracked {
 public:
  using Tracked::Tracked;
  ~TrackedDerived() override { Log().push_back(-Id()); }
};

struct Counted {
  Counted(int value = 0) : id(value) { Live() += id != 0; }  // NOLINT: implicit on purpose
  Counted(const Counted& other) : Counted(other.id) {}
  Counted& operator=(const Counted& other) {
    Live() += (other.id != 0) - (id != 0);
    id = other.id;
    return *this;
  }
  ~Counted() { Live() -= id != 0; }
  bool operator==(const Counted& other) const { return id == other.id; }
  static int& Live() {
    static int live = 0;
    return live;
  }
  int id;
};

// An address in the lowest page: never an object. Member calls on it are
// deliberate undefined behaviour, made in functions marked BITVANE_WILD_CALL so
// that the sanitizer lets the defensive checks inside the callee answer.
template <class C>
C* WildPointer() {
  return reinterpret_cast<C*>(static_cast<std::uintptr_t>(0x40));
}
#define BITVANE_WILD_CALL __attribute__((no_sanitize("undefined"), noinline))

}  // namespace bitvane::test
