#include "platform/registry_state.h"

#include <pwd.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/registry_names.h"

namespace bitvane {

namespace registry_detail {

namespace {

// Never destroyed, so that a store saving from a static destructor still finds it.
Registry& TheRegistry() {
  static Registry* const registry = new Registry;
  return *registry;
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

// The connection to read key `key` from (see Start).
ErrorCode ForReading(Registry& registry, const OpenKey& key, sqlite3*& db) {
  ErrorCode why = ERROR_SUCCESS;
  db = registry.Hive().ForReading(why);
  if (why != ERROR_SUCCESS) return why;
  if (!db) return key.id < kFirstRootKeyId + kRootCount ? ERROR_SUCCESS : ERROR_KEY_DELETED;
  return CheckKey(db, key.id);
}

// Drops every handle, the batch with what it wrote, and the connection.
void CloseAll(Registry& registry) {
  registry.handles.clear();
  registry.cursors.clear();
  registry.batch.reset();  // before the connection it runs on
  registry.batchError = ERROR_SUCCESS;
  registry.hive.reset();
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

RegistryHive& Registry::Hive() {
  if (!hive) hive = std::make_unique<RegistryHive>(path.empty() ? DefaultRegistryHivePath() : path);
  return *hive;
}

Call::Call() : m_registry(TheRegistry()), m_lock(m_registry.mutex) {}

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

ErrorCode CheckKey(sqlite3* db, sqlite3_int64 id) {
  if (id < kFirstRootKeyId + kRootCount) return ERROR_SUCCESS;
  SqliteStatement find(db, "SELECT 1 FROM keys WHERE id = ?");
  find.Bind(1, id);
  const int step = find.Step();
  if (step == SQLITE_ROW) return ERROR_SUCCESS;
  return step == SQLITE_DONE ? ERROR_KEY_DELETED : ErrorFromSqlite(step);
}

ErrorCode Start(Registry& registry, RegHandle handle, std::uint32_t needed, OpenKey& key,
                sqlite3*& db, const char16_t* subKey, std::vector<std::u16string_view>* parts) {
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

}  // namespace registry_detail

using registry_detail::Call;

std::string DefaultRegistryHivePath() {
  std::string base;
  // XDG wants an absolute XDG_CONFIG_HOME; anything else is ignored.
  if (!LookUpEnvironment("XDG_CONFIG_HOME", base) || base.empty() || base.front() != '/') {
    if (!LookUpEnvironment("HOME", base) || base.empty() || base.front() != '/') {
      base = registry_detail::HomeFromPasswordFile();
    }
    base.append("/.config");
  }
  return base.append("/bitvane/registry.sqlite3");
}

void SetRegistryHivePath(const std::string& path) {
  Call call;
  registry_detail::CloseAll(*call);
  call->path = path;
}

std::string RegistryHivePath() {
  Call call;
  return call->Hive().Path();
}

ErrorCode RegBeginBatch() {
  Call call;
  if (call->batch) return ERROR_INVALID_PARAMETER;
  sqlite3* db = nullptr;
  if (const ErrorCode error = call->Hive().ForWriting(db)) return error;
  if (const int begun = call->batch.emplace(db).Result()) {
    call->batch.reset();
    return ErrorFromSqlite(begun);
  }
  call->batchError = ERROR_SUCCESS;
  return ERROR_SUCCESS;
}

ErrorCode RegEndBatch(bool commit) {
  Call call;
  if (!call->batch) return ERROR_INVALID_PARAMETER;
  ErrorCode error = call->batchError;
  ++call->writes;  // a dropped batch undoes writes
  call->batchError = ERROR_SUCCESS;
  if (commit && error == ERROR_SUCCESS) error = ErrorFromSqlite(call->batch->Commit());
  call->batch.reset();  // drops whatever was not committed
  return error;
}

}  // namespace bitvane
