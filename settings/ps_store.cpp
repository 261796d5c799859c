#include "settings/ps_store.h"

#include <memory>

#include "foundation/file_paths.h"
#include "platform/registry_names.h"
#include "settings/ps_str_list_entry.h"
#include "settings/ps_typed_entry.h"

namespace bitvane {

namespace {

// Error codes that mean a key or value is simply not there.
bool IsNothingStored(std::int32_t error) {
  return error == static_cast<std::int32_t>(ERROR_FILE_NOT_FOUND) ||
         error == static_cast<std::int32_t>(ERROR_KEY_DELETED);
}

}  // namespace

// Holds the store's lock, when it has an enabled one, for a scope.
class NPSStore::Guard {
 public:
  explicit Guard(NPSLock* lock) : m_lock(lock && lock->enabled ? lock : nullptr) {
    if (m_lock) m_lock->mutex.lock();
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
  ~Guard() {
    if (m_lock) m_lock->mutex.unlock();
  }

 private:
  NPSLock* m_lock;
};

NPSStore::~NPSStore() {
  if (!m_keyPath.empty() && m_saveOnDestroy) (void)SaveAll();
  Guard guard(m_lock);
  m_entries.RemoveAll();
  m_forceSave = false;
}

std::u16string NPSStore::MakeKeyPath(std::u16string_view registryKey, std::u16string_view appName) {
  if (registryKey.empty() || appName.empty()) return std::u16string();
  return u"HKCU\\Software\\" + AddTrailingBackslash(registryKey) + AddTrailingBackslash(appName) +
         u"Settings";
}

bool NPSStore::InitFromApp(std::u16string_view registryKey, std::u16string_view appName) {
  m_keyPath = MakeKeyPath(registryKey, appName);
  return !m_keyPath.empty();
}

NPSEntry* NPSStore::FindEntry(std::u16string_view name) {
  if (m_keyPath.empty()) return nullptr;
  Guard guard(m_lock);
  for (NPSEntry* entry : m_entries) {
    if (entry->Name() == name) return entry;
  }
  return nullptr;
}

bool NPSStore::Add(NPSEntry* entry) {
  std::unique_ptr<NPSEntry> owned(entry);
  Guard guard(m_lock);
  if (FindEntry(entry->Name())) return false;
  if (!m_entries.Add(entry)) return false;
  owned.release();
  return true;
}

bool NPSStore::AddUInt(std::u16string name, unsigned int* target) {
  return Add(new TNPSEntry<unsigned int, unsigned int>(std::move(name), target));
}

bool NPSStore::AddStringList(std::u16string name, NSTRList* target) {
  return Add(new NPSSTRListEntry(std::move(name), target));
}

bool NPSStore::AddBool(std::u16string name, bool* target) {
  return Add(new TNPSEntry<bool, bool>(std::move(name), target));
}

bool NPSStore::LoadAll() {
  if (m_keyPath.empty()) return false;
  m_unread = false;
  NRegKey key;
  if (!key.Open(m_keyPath, KEY_READ)) {
    // Nothing stored: the defaults stay. A store that is there but cannot be read now
    // must not have its values replaced by defaults at the next save.
    if (IsNothingStored(key.LastError())) return true;
    m_lastError = key.LastError();
    m_unread = true;
    return false;
  }
  Guard guard(m_lock);
  for (NPSEntry* entry : m_entries) {
    if (!entry->Load(key, false)) {
      m_lastError = key.LastError();
      return false;
    }
    if (!entry->Loaded() && key.LastError() != 0 && !IsNothingStored(key.LastError())) {
      m_lastError = key.LastError();
      m_unread = true;
    }
  }
  return !m_unread;
}

bool NPSStore::SaveAll() {
  if (m_keyPath.empty()) return false;
  if (!m_forceSave) {
    Guard guard(m_lock);
    bool modified = false;
    for (const NPSEntry* entry : m_entries) modified = modified || entry->IsModified();
    if (!modified) return true;
  }
  // One transaction for the key path and every value: a crash or a failure part-way
  // never leaves half a save behind.
  if (const ErrorCode error = RegBeginBatch()) {
    m_lastError = static_cast<std::int32_t>(error);
    return false;
  }
  bool saved = false;
  bool opened = false;
  {
    NRegKey key;
    opened = key.Open(m_keyPath, KEY_READ | KEY_WRITE);
    if (opened) saved = SaveEntries(key);
    if (!saved) m_lastError = key.LastError();
  }
  // The entries written before a failed one stay written; a key path that could not be
  // opened leaves nothing behind.
  if (const ErrorCode error = RegEndBatch(opened)) {
    // What the entries took as written is not stored: write them all next time.
    m_lastError = static_cast<std::int32_t>(error);
    m_forceSave = true;
    return false;
  }
  return saved;
}

bool NPSStore::DeleteStored() {
  if (m_keyPath.empty()) return false;
  const std::u16string_view path = m_keyPath;
  const std::size_t last = path.rfind(u'\\');
  NRegKey parent;
  // The parent is only opened: a missing key has nothing to delete.
  if (!parent.Open(path.substr(0, last), KEY_READ | KEY_SET_VALUE) ||
      !parent.DeleteTree(path.substr(last + 1))) {
    m_lastError = parent.LastError();
    return false;
  }
  return true;
}

bool NPSStore::SaveEntries(NRegKey& key) {
  Guard guard(m_lock);
  for (NPSEntry* entry : m_entries) {
    // After a load that could not read the store, only what the program changed is
    // written; the rest may still be stored and is not overwritten with defaults.
    if (m_unread && !m_forceSave && !entry->IsModified()) continue;
    if (!entry->Save(key, m_forceSave)) return false;
  }
  m_forceSave = false;
  return m_purgeUnknown ? PurgeUnknownValues(key) : true;
}

bool NPSStore::PurgeUnknownValues(NRegKey& key) {
  NSTRList names;
  if (!key.ListValueNames(names)) return false;
  for (const std::u16string& name : names) {
    // The registry ignores case, so "valuelow" is the value an entry "ValueLow" loaded
    // from and writes to: it belongs to that entry and must not be deleted.
    const std::u16string folded = FoldRegistryName(name);
    bool known = false;
    for (const NPSEntry* entry : m_entries)
      known = known || FoldRegistryName(entry->Name()) == folded;
    if (known) continue;
    const ErrorCode error = RegDeleteValue(key.Handle(), name.c_str());
    key.StoreError(error);
    if (error != ERROR_SUCCESS) return false;
  }
  return true;
}

}  // namespace bitvane
