#pragma once
// NRegKey: one open registry key, opened from a textual path whose first component
// names the root ("HKCU", "HKEY_CURRENT_USER", "HCU", ... in any case), creating the
// missing keys when opened with KEY_CREATE_SUB_KEY; reads values of any type and length
// and lists value names. Every operation answers with a flag and leaves its error code
// in LastError().

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/str_list.h"
#include "platform/registry.h"

namespace bitvane {

class NRegKey {
 public:
  // One value's type and bytes. The data, when there are any, are followed by two zero
  // bytes, so string data always end in a wide NUL; they are wiped before they are freed.
  class Value {
   public:
    Value() noexcept = default;
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    virtual ~Value() { Clear(); }

    [[nodiscard]] std::uint32_t Type() const noexcept { return m_type; }
    [[nodiscard]] std::uint32_t Size() const noexcept { return m_size; }
    // Null when the size is 0.
    [[nodiscard]] const std::uint8_t* Data() const noexcept { return m_data; }
    // The data read as UTF-16LE code units, all of them (NULs included); an odd last
    // byte is dropped.
    [[nodiscard]] std::u16string Utf16() const;

    // Wipes and frees the data; type REG_NONE, size 0.
    void Clear() noexcept;

   private:
    friend class NRegKey;
    // Gives the value `type` and `size` zero bytes (plus the two zero bytes);
    // false when the memory cannot be had.
    [[nodiscard]] bool Allocate(std::uint32_t type, std::uint32_t size) noexcept;

    std::uint32_t m_type = REG_NONE;
    std::uint32_t m_size = 0;
    std::uint8_t* m_data = nullptr;
  };

  // The scratch buffer a value is first read into.
  static constexpr std::uint32_t kScratchSize = 65536;

  NRegKey() noexcept = default;
  NRegKey(const NRegKey&) = delete;
  NRegKey& operator=(const NRegKey&) = delete;
  virtual ~NRegKey() { (void)Close(); }

  // The root a name stands for: each row's full name, short name or short name with K,
  // compared without regard to case. False for an empty or unknown name.
  [[nodiscard]] static bool FindRoot(std::u16string_view name, RegHandle& root) noexcept;

  // Opens the key a path names: the root, then the subkeys separated by backslashes
  // (empty parts between backslashes are passed over). An empty path or an unknown root
  // fails with ERROR_INVALID_PARAMETER; a path that is only a root opens the root.
  [[nodiscard]] bool Open(std::u16string_view path, std::uint32_t access);

  // Opens `subpath` below `root` component by component; with KEY_CREATE_SUB_KEY in
  // `access` every missing component is created and Created() tells whether one was.
  [[nodiscard]] bool OpenPath(RegHandle root, std::u16string_view subpath, std::uint32_t access);

  // Closes the handle if any (its result becomes the last error); clears the handle,
  // the access and the created flag.
  [[nodiscard]] bool Close();

  // Fills `value` with the type, size and bytes of value `name` of the open key (empty
  // name: the key's default value), however long the data are.
  [[nodiscard]] bool QueryValue(Value& value, std::u16string_view name);

  // Replaces `list` with the names of the key's values in enumeration order. Also sets
  // the thread's last-error code to the code that ended the enumeration.
  [[nodiscard]] bool ListValueNames(NSTRList& list);

  // Calls `visit` with the name and contents of each value of the key in enumeration
  // order, read one by one after the names were listed; a value that can no longer be
  // read (removed meanwhile) is passed over. False when the names cannot be listed.
  using ValueVisitor = std::function<void(const std::u16string& name, const Value& value)>;
  [[nodiscard]] bool ListValues(const ValueVisitor& visit);

  // Deletes `subKey` below the open key with everything below it (empty: everything
  // below the key, which itself stays). Needs KEY_SET_VALUE; a missing subkey fails
  // with ERROR_FILE_NOT_FOUND.
  [[nodiscard]] bool DeleteTree(std::u16string_view subKey);

  [[nodiscard]] RegHandle Handle() const noexcept { return m_handle; }
  [[nodiscard]] bool IsOpen() const noexcept { return m_handle != 0; }
  [[nodiscard]] std::uint32_t Access() const noexcept { return m_access; }
  [[nodiscard]] std::int32_t LastError() const noexcept { return m_lastError; }
  [[nodiscard]] bool Created() const noexcept { return m_created; }

  // Where writers on Handle() leave their result.
  void StoreError(ErrorCode error) noexcept { m_lastError = static_cast<std::int32_t>(error); }

 private:
  RegHandle m_handle = 0;
  std::uint32_t m_access = 0;
  std::int32_t m_lastError = 0;
  bool m_created = false;
};

}  // namespace bitvane
