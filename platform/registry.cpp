#include "platform/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry_hive.h"
#include "platform/registry_names.h"

namespace bitvane {

namespace {

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
  std::unordered_map<RegHandle, OpenKey> handles;
  std::unordered_map<RegHandle, ValueCursor> cursors;
  std::uint64_t writes = 0;  // counts writes begun or undone, for the cursors
  RegHandle nextHandle = 1;
  bool batch = false;
  ErrorCode batchError = ERROR_SUCCESS;  // a write inside the batch failed

  RegistryHive& Hive() {
    if (!hive)
      hive = std::make_unique<RegistryHive>(path.empty() ? DefaultRegistryHivePath() : path);
    return *hive;
  }

  // The connection is kept only while handles or a batch need it, so every load or save
  // sees the file as it is then.
  void ReleaseIfIdle() {
    if (handles.empty() && !batch && hive) hive->Close();
  }
};

// Never destroyed, so that a store saving from a static destructor still finds it.
Registry& TheRegistry() {
  static Registry* const registry = new Registry;
  return *registry;
}

// Holds the registry's mutex for one call and lets the connection go afterwards.
class Call {
 public:
  Call() : m_registry(TheRegistry()), m_lock(m_registry.mutex) {}
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  ~Call() { m_registry.ReleaseIfIdle(); }
  Registry* operator->() { return &m_registry; }
  Registry& operator*() { return m_registry; }

 private:
  Registry& m_registry;
  std::lock_guard<std::mutex> m_lock;
};

bool IsRoot(RegHandle handle) {
  return handle >= HKEY_CLASSES_ROOT && handle < HKEY_CLASSES_ROOT + kRootCount;
}

ErrorCode Resolve(Registry& registry, RegHandle handle, OpenKey& key) {
  if (IsRoot(handle)) {
    key = {kFirstRootKeyId + (handle - HKEY_CLASSES_ROOT), KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
  }
  const auto found = registry.handles.find(handle);
  if (found == registry.handles.end()) return ERROR_INVALID_HANDLE;
  key = found->second;
  return ERROR_SUCCESS;
}

std::u16string_view NameOf(const char16_t* name) {
  return name ? std::u16string_view(name) : std::u16string_view();
}

// The components of a key path; false for an empty or overlong component.
bool SplitKeyPath(std::u16string_view path, std::vector<std::u16string_view>& parts) {
  parts.clear();
  if (path.empty()) return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(u'\\', start);
    const auto part =
        path.substr(start, end == std::u16string_view::npos ? path.npos : end - start);
    if (part.empty() || part.size() > kRegistryMaxKeyName) return false;
    parts.push_back(part);
    if (end == std::u16string_view::npos) return true;
    start = end + 1;
  }
}

// Whether key `id` is still there (another process may have removed it).
ErrorCode CheckKey(sqlite3* db, sqlite3_int64 id) {
  if (id < kFirstRootKeyId + kRootCount) return ERROR_SUCCESS;
  SqliteStatement find(db, "SELECT 1 FROM keys WHERE id = ?");
  find.Bind(1, id);
  const int step = find.Step();
  if (step == SQLITE_ROW) return ERROR_SUCCESS;
  return step == SQLITE_DONE ? ERROR_KEY_DELETED : ErrorFromSqlite(step);
}

// The connection to read key `key` from; null with ERROR_SUCCESS when the hive reads as
// empty, which only the roots survive. A hive that is there but cannot be read now
// gives its reason, so that "busy" is never taken for "not stored".
ErrorCode ForReading(Registry& registry, const OpenKey& key, sqlite3*& db) {
  ErrorCode why = ERROR_SUCCESS;
  db = registry.Hive().ForReading(why);
  if (why != ERROR_SUCCESS) return why;
  if (!db) return key.id < kFirstRootKeyId + kRootCount ? ERROR_SUCCESS : ERROR_KEY_DELETED;
  return CheckKey(db, key.id);
}

// What a call starts with: the handle's key, the rights the call needs, the parts of
// `subKey` when `parts` is given, and the connection to read from (ForReading).
ErrorCode Start(Registry& registry, RegHandle handle, std::uint32_t needed, OpenKey& key,
                sqlite3*& db, const char16_t* subKey = nullptr,
                std::vector<std::u16string_view>* parts = nullptr) {
  db = nullptr;
  if (const ErrorCode error = Resolve(registry, handle, key)) return error;
  if ((key.access & needed) != needed) return ERROR_ACCESS_DENIED;
  if (parts && !SplitKeyPath(NameOf(subKey), *parts)) return ERROR_INVALID_PARAMETER;
  return ForReading(registry, key, db);
}

ErrorCode FindSubKey(sqlite3* db, sqlite3_int64 parent, std::u16string_view name,
                     sqlite3_int64& id) {
  SqliteStatement find(db, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
  find.Bind(1, parent);
  find.BindBlob(2, Utf16LeBytes(FoldRegistryName(name)));
  const int step = find.Step();
  if (step == SQLITE_ROW) {
    id = find.Int(0);
    return ERROR_SUCCESS;
  }
  return step == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ErrorFromSqlite(step);
}

RegHandle NewHandle(Registry& registry, const OpenKey& key) {
  while (registry.nextHandle == 0 || registry.handles.count(registry.nextHandle) != 0 ||
         registry.nextHandle >= HKEY_CLASSES_ROOT) {
    registry.nextHandle = registry.nextHandle >= HKEY_CLASSES_ROOT ? 1 : registry.nextHandle + 1;
  }
  const RegHandle handle = registry.nextHandle++;
  registry.handles.emplace(handle, key);
  return handle;
}

// Runs `write` on the connection for writing, inside its own transaction unless a batch
// is open. A failed write leaves nothing behind.
template <typename Write>
ErrorCode RunWrite(Registry& registry, Write&& write) {
  ++registry.writes;
  sqlite3* db = nullptr;
  RegistryHive& hive = registry.Hive();
  if (registry.batch) {
    if (registry.batchError != ERROR_SUCCESS) return registry.batchError;
    ErrorCode why = ERROR_SUCCESS;
    db = hive.ForReading(why);
    // SQLite ends a transaction on some failures; a batch must not go on without it.
    if (!db || sqlite3_get_autocommit(db)) return registry.batchError = ERROR_REGISTRY_IO_FAILED;
    const ErrorCode error = write(db);
    if (error != ERROR_SUCCESS && sqlite3_get_autocommit(db)) registry.batchError = error;
    return error;
  }
  if (const ErrorCode error = hive.ForWriting(db)) return error;
  if (const ErrorCode error = hive.Execute("BEGIN IMMEDIATE")) return error;
  ErrorCode error = write(db);
  if (error == ERROR_SUCCESS) error = hive.Execute("COMMIT");
  if (error != ERROR_SUCCESS) (void)hive.Execute("ROLLBACK");
  return error;
}

ErrorCode CloseAll(Registry& registry) {
  registry.handles.clear();
  registry.cursors.clear();
  if (registry.batch && registry.hive && registry.hive->IsOpen()) {
    (void)registry.hive->Execute("ROLLBACK");
  }
  registry.batch = false;
  registry.batchError = ERROR_SUCCESS;
  registry.hive.reset();
  return ERROR_SUCCESS;
}

// The user's home folder as the password file has it, for a process without HOME.
std::string HomeFromPasswordFile() {
  struct passwd entry {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return std::string(1, '.');
}

}  // namespace

std::string DefaultRegistryHivePath() {
  std::string base;
  // XDG wants an absolute XDG_CONFIG_HOME; anything else is ignored.
  if (!LookUpEnvironment("XDG_CONFIG_HOME", base) || base.empty() || base.front() != '/') {
    if (!LookUpEnvironment("HOME", base) || base.empty() || base.front() != '/') {
      base = HomeFromPasswordFile();
    }
    base.append("/.config");
  }
  return base.append("/bitvane/registry.sqlite3");
}

void SetRegistryHivePath(const std::string& path) {
  Call call;
  (void)CloseAll(*call);
  call->path = path;
}

std::string RegistryHivePath() {
  Call call;
  return call->Hive().Path();
}

ErrorCode RegOpenKey(RegHandle parent, const char16_t* subKey, std::uint32_t access,
                     RegHandle* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  std::vector<std::u16string_view> parts;
  if (const ErrorCode error = Start(*call, parent, 0, key, db, subKey, &parts)) return error;
  if (!parts.empty() && !db) return ERROR_FILE_NOT_FOUND;
  for (const auto part : parts) {
    if (const ErrorCode error = FindSubKey(db, key.id, part, key.id)) return error;
  }
  key.access = access;
  *result = NewHandle(*call, key);
  return ERROR_SUCCESS;
}

ErrorCode RegCreateKey(RegHandle parent, const char16_t* subKey, std::uint32_t access,
                       RegHandle* result, std::uint32_t* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  std::vector<std::u16string_view> parts;
  if (const ErrorCode error = Start(*call, parent, KEY_CREATE_SUB_KEY, key, db, subKey, &parts)) {
    return error;
  }
  // Existing keys need no write, so opening a saved path leaves the file untouched.
  OpenKey found = key;
  ErrorCode missing = (db || parts.empty()) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  for (std::size_t i = 0; missing == ERROR_SUCCESS && i < parts.size(); ++i) {
    missing = FindSubKey(db, found.id, parts[i], found.id);
  }
  bool created = false;
  if (missing == ERROR_FILE_NOT_FOUND) {
    const ErrorCode error = RunWrite(*call, [&](sqlite3* writeDb) {
      if (const ErrorCode gone = CheckKey(writeDb, key.id)) return gone;
      found = key;
      for (const auto part : parts) {
        const ErrorCode lookUp = FindSubKey(writeDb, found.id, part, found.id);
        if (lookUp == ERROR_SUCCESS) continue;
        if (lookUp != ERROR_FILE_NOT_FOUND) return lookUp;
        SqliteStatement insert(writeDb, "INSERT INTO keys(parent, name, folded) VALUES(?, ?, ?)");
        insert.Bind(1, found.id);
        insert.BindBlob(2, Utf16LeBytes(part));
        insert.BindBlob(3, Utf16LeBytes(FoldRegistryName(part)));
        if (const int step = insert.Step(); step != SQLITE_DONE) return ErrorFromSqlite(step);
        found.id = sqlite3_last_insert_rowid(writeDb);
        created = true;
      }
      return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) return error;
  } else if (missing != ERROR_SUCCESS) {
    return missing;
  }
  found.access = access;
  *result = NewHandle(*call, found);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

ErrorCode RegCloseKey(RegHandle key) {
  Call call;
  call->cursors.erase(key);
  if (IsRoot(key)) return ERROR_SUCCESS;
  return call->handles.erase(key) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

ErrorCode RegQueryValue(RegHandle handle, const char16_t* name, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size) {
  if (data && !size) return ERROR_INVALID_PARAMETER;
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  if (const ErrorCode error = Start(*call, handle, KEY_QUERY_VALUE, key, db)) return error;
  if (!db) return ERROR_FILE_NOT_FOUND;
  SqliteStatement query(db, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
  query.Bind(1, key.id);
  query.BindBlob(2, Utf16LeBytes(FoldRegistryName(NameOf(name))));
  const int step = query.Step();
  if (step != SQLITE_ROW) return step == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ErrorFromSqlite(step);
  const std::size_t length = query.BlobSize(1);
  const void* bytes = query.BlobData(1);
  if (type) *type = static_cast<std::uint32_t>(query.Int(0));
  if (!size) return ERROR_SUCCESS;
  const std::uint32_t room = *size;
  *size = static_cast<std::uint32_t>(length);
  if (!data) return ERROR_SUCCESS;
  if (length > room) return ERROR_MORE_DATA;
  if (length != 0) std::memcpy(data, bytes, length);
  return ERROR_SUCCESS;
}

ErrorCode RegSetValue(RegHandle handle, const char16_t* name, std::uint32_t type,
                      const std::uint8_t* data, std::uint32_t size) {
  if (!data && size != 0) return ERROR_INVALID_PARAMETER;
  const std::u16string_view valueName = NameOf(name);
  if (valueName.size() > kRegistryMaxValueName) return ERROR_INVALID_PARAMETER;
  Call call;
  OpenKey key{};
  if (const ErrorCode error = Resolve(*call, handle, key)) return error;
  if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  return RunWrite(*call, [&](sqlite3* db) {
    if (const ErrorCode gone = CheckKey(db, key.id)) return gone;
    SqliteStatement upsert(db,
                           "INSERT INTO vals(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?) "
                           "ON CONFLICT(key, folded) DO UPDATE SET name = excluded.name, "
                           "type = excluded.type, data = excluded.data");
    upsert.Bind(1, key.id);
    upsert.BindBlob(2, Utf16LeBytes(valueName));
    upsert.BindBlob(3, Utf16LeBytes(FoldRegistryName(valueName)));
    upsert.Bind(4, type);
    upsert.BindBlob(5, data, size);
    const int step = upsert.Step();
    return step == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(step);
  });
}

ErrorCode RegDeleteValue(RegHandle handle, const char16_t* name) {
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  if (const ErrorCode error = Start(*call, handle, KEY_SET_VALUE, key, db)) return error;
  // Nothing to delete from a hive that reads as empty; no file is made for it.
  if (!db) return ERROR_FILE_NOT_FOUND;
  return RunWrite(*call, [&](sqlite3* writeDb) {
    if (const ErrorCode gone = CheckKey(writeDb, key.id)) return gone;
    SqliteStatement erase(writeDb, "DELETE FROM vals WHERE key = ? AND folded = ?");
    erase.Bind(1, key.id);
    erase.BindBlob(2, Utf16LeBytes(FoldRegistryName(NameOf(name))));
    const int step = erase.Step();
    if (step != SQLITE_DONE) return ErrorFromSqlite(step);
    return sqlite3_changes(writeDb) != 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

ErrorCode RegDeleteTree(RegHandle handle, const char16_t* subKey) {
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  std::vector<std::u16string_view> parts;
  if (const ErrorCode error = Start(*call, handle, KEY_SET_VALUE, key, db, subKey, &parts)) {
    return error;
  }
  if (!db) return parts.empty() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  return RunWrite(*call, [&](sqlite3* writeDb) {
    if (const ErrorCode gone = CheckKey(writeDb, key.id)) return gone;
    sqlite3_int64 top = key.id;
    for (const auto part : parts) {
      if (const ErrorCode error = FindSubKey(writeDb, top, part, top)) return error;
    }
    static constexpr const char* kTree =
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION "
        "SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";
    SqliteStatement values(writeDb, std::string(kTree) + "DELETE FROM vals WHERE key IN tree");
    values.Bind(1, top);
    if (const int step = values.Step(); step != SQLITE_DONE) return ErrorFromSqlite(step);
    // The key itself goes too when it was named; a root or an open key stays.
    SqliteStatement keys(writeDb,
                         std::string(kTree) + "DELETE FROM keys WHERE id IN tree AND id != ?2");
    keys.Bind(1, top);
    keys.Bind(2, parts.empty() ? top : 0);
    const int step = keys.Step();
    return step == SQLITE_DONE ? ERROR_SUCCESS : ErrorFromSqlite(step);
  });
}

ErrorCode RegQueryInfoKey(RegHandle handle, RegKeyInfo* info) {
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  if (const ErrorCode error = Start(*call, handle, KEY_QUERY_VALUE, key, db)) return error;
  RegKeyInfo counts;
  if (db) {
    SqliteStatement keys(
        db, "SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent = ?");
    keys.Bind(1, key.id);
    if (const int step = keys.Step(); step != SQLITE_ROW) return ErrorFromSqlite(step);
    counts.subKeys = static_cast<std::uint32_t>(keys.Int(0));
    counts.maxSubKeyName = static_cast<std::uint32_t>(keys.Int(1) / 2);
    SqliteStatement values(db,
                           "SELECT count(*), coalesce(max(length(name)), 0), "
                           "coalesce(max(length(data)), 0) FROM vals WHERE key = ?");
    values.Bind(1, key.id);
    if (const int step = values.Step(); step != SQLITE_ROW) return ErrorFromSqlite(step);
    counts.values = static_cast<std::uint32_t>(values.Int(0));
    counts.maxValueName = static_cast<std::uint32_t>(values.Int(1) / 2);
    counts.maxValueData = static_cast<std::uint32_t>(values.Int(2));
  }
  if (info) *info = counts;
  return ERROR_SUCCESS;
}

ErrorCode RegEnumValue(RegHandle handle, std::uint32_t index, char16_t* name,
                       std::uint32_t* nameLength, std::uint32_t* type) {
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  Call call;
  OpenKey key{};
  sqlite3* db = nullptr;
  if (const ErrorCode error = Start(*call, handle, KEY_QUERY_VALUE, key, db)) return error;
  if (!db) return ERROR_NO_MORE_ITEMS;
  SqliteStatement version(db, "PRAGMA data_version");
  if (const int step = version.Step(); step != SQLITE_ROW) return ErrorFromSqlite(step);
  const ValueCursor now{index, 0, version.Int(0), call->writes, call->Hive().ConnectionSerial()};
  const auto cursor = call->cursors.find(handle);
  const bool goOn = cursor != call->cursors.end() && cursor->second.index + 1 == index &&
                    cursor->second.dataVersion == now.dataVersion &&
                    cursor->second.writes == now.writes &&
                    cursor->second.connection == now.connection;
  // In row order, without the index on names, which would sort all of them each time.
  SqliteStatement query(db, goOn ? "SELECT id, name, type FROM vals NOT INDEXED "
                                   "WHERE key = ?1 AND id > ?2 ORDER BY id LIMIT 1"
                                 : "SELECT id, name, type FROM vals NOT INDEXED "
                                   "WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
  query.Bind(1, key.id);
  query.Bind(2, goOn ? cursor->second.id : sqlite3_int64{index});
  const int step = query.Step();
  if (step != SQLITE_ROW) return step == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : ErrorFromSqlite(step);
  const std::u16string found = Utf16FromLeBytes(query.BlobData(1), query.BlobSize(1));
  if (found.size() >= *nameLength) {
    *nameLength = static_cast<std::uint32_t>(found.size());
    return ERROR_MORE_DATA;
  }
  found.copy(name, found.size());
  name[found.size()] = u'\0';
  *nameLength = static_cast<std::uint32_t>(found.size());
  if (type) *type = static_cast<std::uint32_t>(query.Int(2));
  ValueCursor& kept = call->cursors[handle];
  kept = now;
  kept.id = query.Int(0);
  return ERROR_SUCCESS;
}

ErrorCode RegBeginBatch() {
  Call call;
  if (call->batch) return ERROR_INVALID_PARAMETER;
  RegistryHive& hive = call->Hive();
  sqlite3* db = nullptr;
  if (const ErrorCode error = hive.ForWriting(db)) return error;
  if (const ErrorCode error = hive.Execute("BEGIN IMMEDIATE")) return error;
  call->batch = true;
  call->batchError = ERROR_SUCCESS;
  return ERROR_SUCCESS;
}

ErrorCode RegEndBatch(bool commit) {
  Call call;
  if (!call->batch) return ERROR_INVALID_PARAMETER;
  RegistryHive& hive = call->Hive();
  ErrorCode error = call->batchError;
  ++call->writes;  // a dropped batch undoes writes
  call->batch = false;
  call->batchError = ERROR_SUCCESS;
  if (!hive.IsOpen()) return error != ERROR_SUCCESS ? error : ERROR_REGISTRY_IO_FAILED;
  if (commit && error == ERROR_SUCCESS) error = hive.Execute("COMMIT");
  if (!commit || error != ERROR_SUCCESS) {
    ErrorCode why = ERROR_SUCCESS;
    sqlite3* db = hive.ForReading(why);
    if (db && !sqlite3_get_autocommit(db)) (void)hive.Execute("ROLLBACK");
  }
  return error;
}

}  // namespace bitvane
