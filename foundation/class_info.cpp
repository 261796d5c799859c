#include "foundation/class_info.h"

#include <cstddef>

#include "platform/safe_memory.h"

namespace bitvane {

NClassInfo::~NClassInfo() {
  // A destroyed object must no longer pass for a live one.
  volatile std::uint32_t* signature = &m_signature;
  *signature = 0;
}

const NClassRecord& NClassInfo::StaticRecord() noexcept {
  static const NClassRecord record{sizeof(NClassInfo), "NClassInfo", nullptr};
  return record;
}

const NClassRecord& NClassInfo::ClassRecord() const noexcept {
  return StaticRecord();
}

bool NClassInfo::IsLive(const NClassInfo* object) noexcept {
  if (!IsPlausibleAddress(object)) return false;
  // Where the signature lies inside the object, taken from a real object once, so that
  // finding it in `object` is arithmetic only and never touches `object` itself.
  static const std::ptrdiff_t offset = [] {
    const NClassInfo probe;
    return reinterpret_cast<const char*>(&probe.m_signature) -
           reinterpret_cast<const char*>(&probe);
  }();
  std::uint32_t signature = 0;
  const void* where = reinterpret_cast<const char*>(object) + offset;
  return SafeReadMemory(&signature, where, sizeof signature) && signature == kLiveSignature;
}

bool NClassInfo::IsKindOf(const NClassInfo* object, const NClassRecord& record) noexcept {
  if (!IsLive(object)) return false;
  for (const NClassRecord* r = &object->ClassRecord(); r != nullptr; r = r->base) {
    if (r == &record) return true;
  }
  return false;
}

}  // namespace bitvane
