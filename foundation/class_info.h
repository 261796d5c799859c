#pragma once
// Run-time identity for library objects that are reached through untrusted pointers
// (callbacks, window data): a signature word that marks a live object, and a chain of
// per-class records for a kind-of test.

#include <cstddef>
#include <cstdint>

namespace bitvane {

// One record per class: its size, its name and the record of its base class.
struct NClassRecord {
  std::size_t objectSize;
  const char* typeName;
  const NClassRecord* base;
};

class NClassInfo {
 public:
  static constexpr std::uint32_t kLiveSignature = 0xC1A551F0u;

  NClassInfo() noexcept = default;
  // A copy is a live object of its own.
  NClassInfo(const NClassInfo&) noexcept {}
  NClassInfo& operator=(const NClassInfo&) noexcept { return *this; }
  virtual ~NClassInfo();

  // The record of the object's own class; derived classes override it.
  [[nodiscard]] virtual const NClassRecord& ClassRecord() const noexcept;
  [[nodiscard]] static const NClassRecord& StaticRecord() noexcept;

  // True when `object` is at a plausible address and its signature marks it live;
  // the signature is read under a guard, so a stale or wild pointer gives false.
  [[nodiscard]] static bool IsLive(const NClassInfo* object) noexcept;

  // True when the object is live and its class is `record` or derives from it.
  [[nodiscard]] static bool IsKindOf(const NClassInfo* object, const NClassRecord& record) noexcept;

 private:
  std::uint32_t m_signature = kLiveSignature;
};

}  // namespace bitvane
