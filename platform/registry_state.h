#pragma once
// Inside the registry (registry.h): the state every call of this process shares (the
// hive, the open handles, the batch) and the steps the calls are made of. Not for use
// outside platform/registry*.cpp.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_hive.h"
#include "platform/sqlite_transaction.h"

namespace bitvane::registry_detail {

struct OpenKey {
  sqlite3_int64 id;
  std::uint32_t access;
};

// Where a handle's listing of values stopped, so that the next index goes on from there
// instead of counting from the first value again. Valid only while nothing was written.
struct ValueCursor {
  std::uint32_t index;        // the index last listed
  sqlite3_int64 id;           // the row of that value
  sqlite3_int64 dataVersion;  // PRAGMA data_version then: other connections' commits
  std::uint64_t writes;       // Registry::writes then: this process's writes
  std::uint64_t connection;   // RegistryHive::ConnectionSerial() then
};

// Everything the registry calls of this process share, under one mutex.
struct Registry {
  std::mutex mutex;
  std::string path;  // empty: the default
  std::unique_ptr<RegistryHive> hive;
  // The open batch, on the hive's connection, which stays open while it lasts.
  std::optional<SqliteTransaction> batch;
  std::unordered_map<RegHandle, OpenKey> handles;
  std::unordered_map<RegHandle, ValueCursor> cursors;
  std::uint64_t writes = 0;  // counts writes begun or undone, for the cursors
  RegHandle nextHandle = 1;
  ErrorCode batchError = ERROR_SUCCESS;  // a write inside the batch failed

  RegistryHive& Hive();

  // The connection is kept only while handles or a batch need it, so every load or save
  // sees the file as it is then.
  void ReleaseIfIdle() {
    if (handles.empty() && !batch && hive) hive->Close();
  }
};

// Holds the registry's mutex for one call and lets the connection go afterwards.
class Call {
 public:
  Call();
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  ~Call() { m_registry.ReleaseIfIdle(); }
  Registry* operator->() { return &m_registry; }
  Registry& operator*() { return m_registry; }

 private:
  Registry& m_registry;
  std::lock_guard<std::mutex> m_lock;
};

inline std::u16string_view NameOf(const char16_t* name) {
  return name ? std::u16string_view(name) : std::u16string_view();
}

[[nodiscard]] bool IsRoot(RegHandle handle);

// The key a handle stands for, with the rights it was opened with; ERROR_INVALID_HANDLE
// for a handle that is not open.
[[nodiscard]] ErrorCode Resolve(Registry& registry, RegHandle handle, OpenKey& key);

// Whether key `id` is still there (another process may have removed it).
[[nodiscard]] ErrorCode CheckKey(sqlite3* db, sqlite3_int64 id);

// What a call starts with: the handle's key, checked for the rights the call needs; the
// parts of `subKey` when `parts` is given (ERROR_INVALID_PARAMETER for an empty or
// overlong one); and the connection to read from, null with ERROR_SUCCESS when the hive
// reads as empty, which only the roots survive. A hive that is there but cannot be read
// now gives its reason, so that "busy" is never taken for "not stored".
[[nodiscard]] ErrorCode Start(Registry& registry, RegHandle handle, std::uint32_t needed,
                              OpenKey& key, sqlite3*& db, const char16_t* subKey = nullptr,
                              std::vector<std::u16string_view>* parts = nullptr);

// The id of subkey `name` of key `parent`; ERROR_FILE_NOT_FOUND when there is none.
[[nodiscard]] ErrorCode FindSubKey(sqlite3* db, sqlite3_int64 parent, std::u16string_view name,
                                   sqlite3_int64& id);

// A new handle on `key`.
[[nodiscard]] RegHandle NewHandle(Registry& registry, const OpenKey& key);

// Runs `write` on the connection for writing, inside its own transaction unless a batch
// is open. A failed write leaves nothing behind.
template <typename Write>
[[nodiscard]] ErrorCode RunWrite(Registry& registry, Write&& write) {
  ++registry.writes;
  if (registry.batch) {
    if (registry.batchError != ERROR_SUCCESS) return registry.batchError;
    // SQLite ends a transaction on some failures; a batch must not go on without it.
    if (!registry.batch->IsOpen()) return registry.batchError = ERROR_REGISTRY_IO_FAILED;
    const ErrorCode error = write(registry.batch->Connection());
    if (error != ERROR_SUCCESS && !registry.batch->IsOpen()) registry.batchError = error;
    return error;
  }
  sqlite3* db = nullptr;
  if (const ErrorCode error = registry.Hive().ForWriting(db)) return error;
  SqliteTransaction transaction(db);
  if (const int begun = transaction.Result()) return ErrorFromSqlite(begun);
  const ErrorCode error = write(db);
  return error != ERROR_SUCCESS ? error : ErrorFromSqlite(transaction.Commit());
}

}  // namespace bitvane::registry_detail
