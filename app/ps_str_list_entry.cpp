#include "app/ps_str_list_entry.h"

#include "foundation/crc32.h"
#include "platform/safe_memory.h"

namespace bitvane {

namespace {

void AppendUnitsLE(std::string& bytes, std::u16string_view text) {
  for (const char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
}

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
  const std::uint32_t count = m_target ? m_target->Count() : 0;
  const std::uint8_t countBytes[4] = {std::uint8_t(count), std::uint8_t(count >> 8),
                                      std::uint8_t(count >> 16), std::uint8_t(count >> 24)};
  std::uint32_t crc = Crc32(countBytes, sizeof countBytes);
  if (!m_target) return crc;
  std::string units;
  WipeOnExit wipe{units};
  for (const std::u16string& text : *m_target) {
    units.clear();
    AppendUnitsLE(units, text);
    crc = Crc32(units.data(), units.size(), crc);
  }
  return crc;
}

std::string NPSSTRListEntry::MultiStringBytes(const NSTRList& list) {
  std::string bytes;
  for (const std::u16string& text : list) {
    AppendUnitsLE(bytes, text.empty() ? kEmptyMarker : std::u16string_view(text));
    AppendUnitsLE(bytes, std::u16string_view(u"\0", 1));
  }
  AppendUnitsLE(bytes, std::u16string_view(u"\0", 1));
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
      std::u16string block(value.Size() / 2, u'\0');
      for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char16_t>(value.Data()[2 * i] | (value.Data()[2 * i + 1] << 8));
      }
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
  const ErrorCode error =
      RegSetValue(key.Handle(), Name().c_str(), REG_MULTI_SZ,
                  reinterpret_cast<const std::uint8_t*>(bytes.data()),
                  static_cast<std::uint32_t>(bytes.size()));
  key.StoreError(error);
  if (error != ERROR_SUCCESS) return false;
  MarkStored();
  return true;
}

}  // namespace bitvane
