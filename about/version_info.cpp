// The version tree: its items, their teardown and search, and the queries over a
// loaded resource (translation, strings).

#include "about/version_info.h"

#include <utility>
#include <vector>

#include "about/version_node_reader.h"
#include "foundation/number_text.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

using NVIItem = NVersionInfo::NVIItem;

char16_t AsciiLower(char16_t c) noexcept {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

const NVIItem* FindDirectChild(const NVIItem& item, std::u16string_view key) {
  for (std::uint32_t i = 0; i < item.ChildCount(); ++i) {
    const NVIItem* child = item.Child(i);
    if (child == nullptr) return nullptr;
    if (EqualsIgnoringCase(child->Key(), key)) return child;
  }
  return nullptr;
}

// Takes the last child out of `item`'s array without deleting it.
NVIItem* DetachLastChild(TNArrOfADPtrTo<NVIItem>& children) {
  const std::uint32_t count = children.Count();
  NVIItem** place = children.At(count - 1);
  NVIItem* child = *place;
  *place = nullptr;  // bypasses the release, so shrinking deletes nothing
  (void)children.Resize(count - 1);
  return child;
}

void CopyFixedInfo(const std::uint8_t* bytes, NFixedFileInfo& info) {
  std::uint32_t words[13];
  for (std::size_t i = 0; i < 13; ++i) words[i] = ReadLe32(bytes + 4 * i);
  info = NFixedFileInfo{words[0], words[1], words[2], words[3],  words[4],  words[5], words[6],
                        words[7], words[8], words[9], words[10], words[11], words[12]};
}

}  // namespace

// --- NVIItem -------------------------------------------------------------------------

NVIItem::~NVIItem() {
  // Every grandchild moves up into this item's own array before its parent goes, so
  // each delete meets a leaf and a deep tree never recurses.
  m_children.SetGrowStep(64);
  while (m_children.Count() > 0) {
    NVIItem* child = DetachLastChild(m_children);
    while (child->m_children.Count() > 0) {
      NVIItem* grandchild = DetachLastChild(child->m_children);
      if (!m_children.Add(grandchild)) delete grandchild;  // out of memory: recurse instead
    }
    delete child;
  }
}

const NVIItem* NVIItem::FindChild(std::u16string_view key, bool recursive) const {
  if (const NVIItem* hit = FindDirectChild(*this, key)) return hit;
  if (!recursive) return nullptr;
  // Depth-first over the subtrees: entering an item checks its direct children first.
  std::vector<std::pair<const NVIItem*, std::uint32_t>> stack{{this, 0}};
  while (!stack.empty()) {
    auto& [item, next] = stack.back();
    if (next >= item->ChildCount()) {
      stack.pop_back();
      continue;
    }
    const NVIItem* child = item->Child(next++);
    if (child == nullptr) {
      stack.pop_back();
      continue;
    }
    if (const NVIItem* hit = FindDirectChild(*child, key)) return hit;
    stack.emplace_back(child, 0);
  }
  return nullptr;
}

const char16_t* NVersionInfo::RootKey() {
  // Kept reversed, so that the program's own file holds the root key only where its
  // own version resource lies and the root search meets no stray copy of it.
  static const std::u16string key = [] {
    std::u16string text = u"OFNI_NOISREV_SV";
    return std::u16string(text.rbegin(), text.rend());
  }();
  return key.c_str();
}

// --- NVersionInfo --------------------------------------------------------------------

NVersionInfo::~NVersionInfo() {
  Reset();
}

void NVersionInfo::Reset() noexcept {
  m_stringTable = nullptr;
  m_hasFixedInfo = false;
  m_fixedInfo = NFixedFileInfo{};
  m_root.reset();
  m_fileCrc = kNotLoaded;
  m_translation = kDefaultTranslation;
  m_resourceOffset = kNotLoaded;
  m_path.clear();
  m_findData = NFindData::Empty();
  m_headers = NExecutableHeaders{};
}

bool NVersionInfo::AdoptRoot(std::unique_ptr<NVIItem> root) {
  m_root = std::move(root);
  m_resourceOffset = m_root->Offset();
  if (!m_root->IsText() && m_root->ValueLength() == kFixedInfoSize) {
    CopyFixedInfo(m_root->Value(), m_fixedInfo);
    m_hasFixedInfo = true;
  }
  return SelectTranslation(m_translation);
}

// --- Queries -------------------------------------------------------------------------

bool NVersionInfo::SelectTranslation(std::uint32_t translation) {
  m_translation = 0;
  m_stringTable = nullptr;
  const NVIItem* root = m_root.get();
  if (root == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  std::u16string key = Unsigned64ToText(translation, 16, 8, u'0');
  for (char16_t& c : key) c = AsciiLower(c);

  const NVIItem* strings = root->FindChild(u"StringFileInfo", true);
  const NVIItem* table = strings != nullptr ? strings->FindChild(key, false) : nullptr;
  if (strings != nullptr && table == nullptr && strings->ChildCount() == 1) {
    const NVIItem* only = strings->Child(0);
    const std::u16string& onlyKey = only->Key();
    bool hex = onlyKey.size() == 8;
    for (char16_t c : onlyKey) {
      hex =
          hex && ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
    }
    if (hex) table = only;
  }
  if (table == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  m_translation = translation;
  m_stringTable = table;
  return true;
}

std::u16string NVersionInfo::GetString(std::u16string_view key) const {
  const NVIItem* root = m_root.get();
  if (root == nullptr) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  const NVIItem* node =
      m_stringTable != nullptr ? m_stringTable->FindChild(key, false) : root->FindChild(key, true);
  if (node == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  if (!node->IsText()) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  std::u16string text;
  const std::uint8_t* value = node->Value();
  for (std::uint32_t i = 0; i < node->ValueLength(); ++i) {
    const char16_t c = ReadLe16(value + 2 * i);
    if (c == 0) break;
    text += c;
  }
  SetLastError(ERROR_SUCCESS);
  return text;
}

}  // namespace bitvane
