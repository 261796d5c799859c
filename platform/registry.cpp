#include "platform/registry.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/registry_names.h"
#include "platform/registry_state.h"

namespace bitvane {

using registry_detail::Call;
using registry_detail::CheckKey;
using registry_detail::FindSubKey;
using registry_detail::IsRoot;
using registry_detail::NameOf;
using registry_detail::NewHandle;
using registry_detail::OpenKey;
using registry_detail::Resolve;
using registry_detail::RunWrite;
using registry_detail::Start;
using registry_detail::ValueCursor;

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

}  // namespace bitvane
