#include "settings/ps_str_list_entry.h"

#include "foundation/crc32.h"
#include "platform/registry_names.h"
#include "platform/safe_memory.h"

namespace bitvane {

namespace {

// Wipes a temporary copy of stored text before it is freed.
struct WipeOnExit {
  std::string& bytes;
  ~WipeOnExit() { WipeMemory(bytes.data(), bytes.size()); }
};

}  // namespace

NPSSTRListEntry::NPSSTRListEntry(std::u16string name, NSTRList* target)
    : NPSEntry(std::move(name)), m_target(target) {
  SetModified(false);
}

std::u16string NPSSTRListEntry::ToString() const {
  const std::string count = std::to_string(m_target ? m_target->Count() : 0);
  return u"List of " + std::u16string(count.begin(), count.end()) + u" strings";
}

std::uint32_t NPSSTRListEntry::CurrentFingerprint() const {
  const auto count = DwordBytes(m_target ? m_target->Count() : 0);
  std::uint32_t crc = Crc32(count.data(), count.size());
  if (!m_target) return crc;
  for (const std::u16string& text : *m_target) {
    // Each string's length first, so that ["ab", "c"] and ["a", "bc"] differ.
    const auto length = DwordBytes(static_cast<std::uint32_t>(text.size()));
    crc = Crc32(length.data(), length.size(), crc);
    std::string units = Utf16LeBytes(text);
    WipeOnExit wipe{units};
    crc = Crc32(units.data(), units.size(), crc);
  }
  return crc;
}

std::string NPSSTRListEntry::MultiStringBytes(const NSTRList& list) {
  std::u16string block;
  for (const std::u16string& text : list) {
    block.append(text.empty() ? kEmptyMarker : std::u16string_view(text));
    block.push_back(u'\0');
  }
  block.push_back(u'\0');
  std::string bytes = Utf16LeBytes(block);
  NSTRCont::WipeString(block);
  return bytes;
}

bool NPSSTRListEntry::Load(NRegKey& key, bool required) {
  NRegKey::Value value;
  if (!key.QueryValue(value, Name())) {
    MarkNotLoaded();
    return !required;
  }
  if (value.Type() != REG_MULTI_SZ) {
    SetLastError(ERROR_INVALID_DATATYPE);
    MarkNotLoaded();
    return !required;
  }
  if (m_target) {
    m_target->RemoveAll();
    if (value.Size() != 0) {
      std::u16string block = Utf16FromLeBytes(value.Data(), value.Size());
      m_target->SetFromMultiString(block.data(), block.size());
      NSTRCont::WipeString(block);
    }
    for (auto* node = m_target->Head(); node; node = node->next) {
      if (node->value == kEmptyMarker) (void)m_target->SetValue(node, std::u16string());
    }
  }
  MarkStored();
  return true;
}

bool NPSSTRListEntry::Save(NRegKey& key, bool force) {
  if (MaySkip(force)) return true;
  if (!m_target) {
    key.StoreError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string bytes = MultiStringBytes(*m_target);
  WipeOnExit wipe{bytes};
  const ErrorCode error = RegSetValue(key.Handle(), Name().c_str(), REG_MULTI_SZ,
                                      reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      static_cast<std::uint32_t>(bytes.size()));
  key.StoreError(error);
  if (error != ERROR_SUCCESS) return false;
  MarkStored();
  return true;
}

}  // namespace bitvane
