#include "settings/reg_key.h"

#include <cstring>
#include <new>
#include <string>

#include "foundation/scratch_buffer.h"
#include "platform/registry_names.h"
#include "platform/safe_memory.h"

namespace bitvane {

namespace {

struct RootSpelling {
  RegHandle root;
  std::u16string_view full, shortName, shortWithK;
};

constexpr RootSpelling kRoots[] = {
    {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT", u"HCR", u"HKCR"},
    {HKEY_CURRENT_CONFIG, u"HKEY_CURRENT_CONFIG", u"HCC", u"HKCC"},
    {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"HCU", u"HKCU"},
    {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE", u"HLM", u"HKLM"},
    {HKEY_USERS, u"HKEY_USERS", u"HU", u"HKU"},
    {HKEY_PERFORMANCE_DATA, u"HKEY_PERFORMANCE_DATA", u"HPD", u"HKPD"},
    {HKEY_DYN_DATA, u"HKEY_DYN_DATA", u"HDD", u"HKDD"},
};

bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto upper = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// The non-empty parts of a backslash-separated path.
void NamedParts(std::u16string_view path, NSTRList& parts) {
  parts.SplitAtBackslash(path);
  for (auto* node = parts.Head(); node;) {
    auto* next = node->next;
    if (node->value.empty()) (void)parts.Remove(node);
    node = next;
  }
}

}  // namespace

void NRegKey::Value::Clear() noexcept {
  if (m_data) {
    WipeMemory(m_data, std::size_t{m_size} + 2);
    delete[] m_data;
  }
  m_data = nullptr;
  m_type = REG_NONE;
  m_size = 0;
}

bool NRegKey::Value::Allocate(std::uint32_t type, std::uint32_t size) noexcept {
  Clear();
  m_type = type;
  if (size == 0) return true;
  m_data = new (std::nothrow) std::uint8_t[std::size_t{size} + 2]();
  if (!m_data) {
    m_type = REG_NONE;
    return false;
  }
  m_size = size;
  return true;
}

std::u16string NRegKey::Value::Utf16() const {
  return Utf16FromLeBytes(m_data, m_size);
}

bool NRegKey::FindRoot(std::u16string_view name, RegHandle& root) noexcept {
  if (name.empty()) return false;
  for (const RootSpelling& row : kRoots) {
    if (SameIgnoringAsciiCase(name, row.full) || SameIgnoringAsciiCase(name, row.shortName) ||
        SameIgnoringAsciiCase(name, row.shortWithK)) {
      root = row.root;
      return true;
    }
  }
  return false;
}

bool NRegKey::Open(std::u16string_view path, std::uint32_t access) {
  (void)Close();  // a handle gone stale is let go all the same
  NSTRList parts;
  parts.SplitAtBackslash(path);
  RegHandle root = 0;
  if (parts.Count() == 0 || !FindRoot(parts.Head()->value, root)) {
    StoreError(ERROR_INVALID_PARAMETER);
    return false;
  }
  (void)parts.RemoveHead();
  std::u16string subpath;
  for (const std::u16string& part : parts) {
    if (part.empty()) continue;
    if (!subpath.empty()) subpath += u'\\';
    subpath += part;
  }
  if (subpath.empty()) {
    RegHandle handle = 0;
    const ErrorCode error = RegOpenKey(root, nullptr, access, &handle);
    StoreError(error);
    if (error != ERROR_SUCCESS) return false;
    m_handle = handle;
    m_access = access;
    return true;
  }
  return OpenPath(root, subpath, access);
}

bool NRegKey::OpenPath(RegHandle root, std::u16string_view subpath, std::uint32_t access) {
  (void)Close();  // a handle gone stale is let go all the same
  if (root == 0) {
    StoreError(ERROR_INVALID_PARAMETER);
    return false;
  }
  RegHandle current = 0;
  ErrorCode error = RegOpenKey(root, nullptr, access, &current);
  if (error == ERROR_SUCCESS) {
    NSTRList parts;
    NamedParts(subpath, parts);
    bool created = false;
    for (const std::u16string& part : parts) {
      RegHandle next = 0;
      if (access & KEY_CREATE_SUB_KEY) {
        std::uint32_t disposition = 0;
        error = RegCreateKey(current, part.c_str(), access, &next, &disposition);
        if (error == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY) created = true;
      } else {
        error = RegOpenKey(current, part.c_str(), access, &next);
      }
      (void)RegCloseKey(current);
      current = next;
      if (error != ERROR_SUCCESS) break;
    }
    m_created = created;
  }
  StoreError(error);
  if (error != ERROR_SUCCESS) {
    if (current != 0) (void)RegCloseKey(current);
    m_created = false;
    return false;
  }
  m_handle = current;
  m_access = access;
  return true;
}

bool NRegKey::Close() {
  if (m_handle != 0) StoreError(RegCloseKey(m_handle));
  const bool closed = m_handle == 0 || m_lastError == 0;
  m_handle = 0;
  m_access = 0;
  m_created = false;
  return closed;
}

bool NRegKey::QueryValue(Value& value, std::u16string_view name) {
  value.Clear();
  const std::u16string valueName(name);
  NScratchBuffer scratch(kScratchSize);
  if (!scratch.Data()) {
    StoreError(ERROR_OUTOFMEMORY);
    return false;
  }
  std::uint32_t type = REG_NONE;
  std::uint32_t size = scratch.Size();
  ErrorCode error = RegQueryValue(m_handle, valueName.c_str(), &type, scratch.Data(), &size);
  if (error == ERROR_SUCCESS) {
    if (!value.Allocate(type, size)) {
      StoreError(ERROR_OUTOFMEMORY);
      return false;
    }
    if (size != 0) std::memcpy(value.m_data, scratch.Data(), size);
    StoreError(ERROR_SUCCESS);
    return true;
  }
  // Too long for the scratch: read straight into a buffer of the reported size, again
  // if the value grew in between.
  while (error == ERROR_MORE_DATA) {
    if (!value.Allocate(type, size)) {
      error = ERROR_OUTOFMEMORY;
      break;
    }
    std::uint32_t room = size;
    error = RegQueryValue(m_handle, valueName.c_str(), &type, value.m_data, &room);
    if (error == ERROR_SUCCESS) {
      if (room == 0) {
        value.Clear();  // no data: no buffer
      } else {
        value.m_size = room;  // the bytes after the data are still zero
      }
      value.m_type = type;
      StoreError(ERROR_SUCCESS);
      return true;
    }
    size = room;
  }
  value.Clear();
  StoreError(error);
  return false;
}

bool NRegKey::ListValueNames(NSTRList& list) {
  if (m_handle == 0) {
    StoreError(ERROR_INVALID_HANDLE);
    return false;
  }
  RegKeyInfo info;
  if (const ErrorCode error = RegQueryInfoKey(m_handle, &info)) {
    StoreError(error);
    return false;
  }
  list.RemoveAll();
  if (info.values == 0) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    StoreError(ERROR_SUCCESS);
    return true;
  }
  const std::size_t length = std::size_t{info.maxValueName} + 2;
  char16_t* name = new (std::nothrow) char16_t[length];
  if (!name) {
    StoreError(ERROR_OUTOFMEMORY);
    return false;
  }
  ErrorCode error = ERROR_SUCCESS;
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t nameLength = info.maxValueName + 1;
    error = RegEnumValue(m_handle, index, name, &nameLength, nullptr);
    if (error != ERROR_SUCCESS) break;
    list.Add(std::u16string(name, nameLength));
  }
  delete[] name;
  SetLastError(error);
  StoreError(error == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : error);
  return error == ERROR_NO_MORE_ITEMS;
}

bool NRegKey::ListValues(const ValueVisitor& visit) {
  NSTRList names;
  if (!ListValueNames(names)) return false;
  Value value;
  for (const std::u16string& name : names) {
    if (QueryValue(value, name)) visit(name, value);
  }
  StoreError(ERROR_SUCCESS);
  return true;
}

bool NRegKey::DeleteTree(std::u16string_view subKey) {
  const std::u16string name(subKey);
  StoreError(RegDeleteTree(m_handle, name.c_str()));
  return m_lastError == 0;
}

}  // namespace bitvane
