#pragma once
// NPSStore: the persistent settings of the program under one registry key. It owns its
// entries, keeps them in the order they were added, and loads or saves them all at
// once; a save writes nothing when no bound variable changed. A store whose key path
// is empty is inert: it finds no entries, loads nothing and saves nothing.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "foundation/list_of.h"
#include "foundation/non_copyable.h"
#include "foundation/str_list.h"
#include "settings/ps_entry.h"

namespace bitvane {

// An optional lock around a store's entry list; a disabled lock locks nothing.
struct NPSLock {
  bool enabled = true;
  std::recursive_mutex mutex;
};

class NPSStore : public NNonCopyable {
 public:
  explicit NPSStore(std::u16string name, NPSLock* lock = nullptr) noexcept
      : m_name(std::move(name)), m_lock(lock) {}
  ~NPSStore();

  // The key path "HKCU\Software\<registry key>\<application name>\Settings"; empty
  // when either part is empty.
  [[nodiscard]] static std::u16string MakeKeyPath(std::u16string_view registryKey,
                                                  std::u16string_view appName);

  // Sets the key path from the application's registry key and name; true when the
  // path is not empty.
  [[nodiscard]] bool InitFromApp(std::u16string_view registryKey, std::u16string_view appName);

  // The first entry named exactly `name` (case counts); null for none or an inert store.
  [[nodiscard]] NPSEntry* FindEntry(std::u16string_view name);

  // Binds a variable to value `name`; false when an entry of that name exists. The
  // entry's fingerprint is taken from the variable's current value.
  [[nodiscard]] bool AddUInt(std::u16string name, unsigned int* target);
  [[nodiscard]] bool AddStringList(std::u16string name, NSTRList* target);
  [[nodiscard]] bool AddBool(std::u16string name, bool* target);

  // Loads every entry in order. True when the key does not exist (the variables keep
  // their defaults); false for an inert store, when an entry's load fails, or when the
  // store is there but could not be read (busy, no permission): then the variables not
  // read keep their defaults and the next save writes only what changed.
  [[nodiscard]] bool LoadAll();

  // Writes the entries that changed or were never loaded (all with ForceSave), in one
  // transaction, creating the key path when needed. True without touching the store
  // when nothing changed; false for an inert store or a failed write (entries behind
  // the failed one are not written). When the transaction cannot be committed, the
  // next save writes every entry again.
  [[nodiscard]] bool SaveAll();

  // Deletes the store's key with everything in it, creating nothing on the way, so that
  // the next load finds only defaults. False for an inert store or a failed delete, with
  // the code in LastError(): ERROR_FILE_NOT_FOUND or ERROR_KEY_DELETED when nothing was
  // stored.
  [[nodiscard]] bool DeleteStored();

  [[nodiscard]] const std::u16string& Name() const noexcept { return m_name; }
  [[nodiscard]] const std::u16string& KeyPath() const noexcept { return m_keyPath; }
  [[nodiscard]] std::uint32_t EntryCount() const noexcept { return m_entries.Count(); }
  [[nodiscard]] std::int32_t LastError() const noexcept { return m_lastError; }

  void SetForceSave(bool on) noexcept { m_forceSave = on; }
  void SetSaveOnDestroy(bool on) noexcept { m_saveOnDestroy = on; }
  // With this set, a save that wrote its entries also deletes every value of the key
  // whose name is no entry's (names compared as the registry compares them).
  void SetPurgeUnknown(bool on) noexcept { m_purgeUnknown = on; }
  [[nodiscard]] bool ForceSave() const noexcept { return m_forceSave; }

 private:
  class Guard;
  [[nodiscard]] bool Add(NPSEntry* entry);
  [[nodiscard]] bool SaveEntries(NRegKey& key);
  [[nodiscard]] bool PurgeUnknownValues(NRegKey& key);

  std::u16string m_name;
  NPSLock* m_lock;
  std::u16string m_keyPath;
  bool m_forceSave = false;
  bool m_saveOnDestroy = false;
  bool m_purgeUnknown = false;
  bool m_unread = false;         // the last load could not read what may be stored
  std::int32_t m_lastError = 0;  // the registry's code of the last failed load, save or delete
  TNListOfADPtrTo<NPSEntry> m_entries;
};

}  // namespace bitvane
