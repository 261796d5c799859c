#pragma once
// NVersionInfo: the version resource of an executable file, read straight from the
// file's bytes (the standard tree of nodes, each with wLength, wValueLength, wType, a
// key, a value and children; the root's value a 52-byte fixed file information block),
// with the file's path, directory entry, CRC-32 and PE headers. It answers the text
// of a version string, the numbers of the fixed block, and templates with %
// placeholders (Describe).
//
// LoadBlock parses any byte block without platform calls; LoadFile and LoadSelf read a
// file and hand its bytes to it (version_file.cpp). The tree and its queries are in
// version_info.cpp, the node parser in version_node_reader.cpp, Describe in
// version_describe.cpp. Failures return false, null or the empty string and
// set the thread's last-error code; nothing here throws except std::bad_alloc.
// Parsing, searching and tearing down the tree use no recursion, so deeply nested
// input cannot exhaust the stack.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "about/version_file.h"
#include "foundation/arr_of.h"
#include "foundation/auto_ptr.h"
#include "foundation/non_copyable.h"
#include "foundation/scan_find.h"

namespace bitvane {

// The fixed file information block, decoded from its 13 little-endian 32-bit words.
struct NFixedFileInfo {
  std::uint32_t m_signature = 0;  // 0xFEEF04BD in a proper block; not checked
  std::uint32_t m_strucVersion = 0;
  std::uint32_t m_fileVersionMS = 0;
  std::uint32_t m_fileVersionLS = 0;
  std::uint32_t m_productVersionMS = 0;  // parts a (high half) and b (low half)
  std::uint32_t m_productVersionLS = 0;  // parts c and d
  std::uint32_t m_fileFlagsMask = 0;
  std::uint32_t m_fileFlags = 0;  // bit 0: debug build
  std::uint32_t m_fileOS = 0;
  std::uint32_t m_fileType = 0;
  std::uint32_t m_fileSubtype = 0;
  std::uint32_t m_fileDateMS = 0;
  std::uint32_t m_fileDateLS = 0;
};

class NVersionInfo : private NNonCopyable {
 public:
  // One node of the tree. Built only by the parser; read-only afterwards. Destroying
  // an item destroys its subtree.
  class NVIItem {
   public:
    NVIItem() = default;
    NVIItem(const NVIItem&) = delete;
    NVIItem& operator=(const NVIItem&) = delete;
    virtual ~NVIItem();

    // Byte offset of the node in the block it was parsed from; 0xFFFFFFFF when empty.
    [[nodiscard]] std::uint32_t Offset() const noexcept { return m_offset; }
    // wLength: bytes of the node, header and children included.
    [[nodiscard]] std::uint32_t Length() const noexcept { return m_length; }
    // wValueLength as stored: characters for text values, bytes for binary ones.
    [[nodiscard]] std::uint32_t ValueLength() const noexcept { return m_valueLength; }
    // Offset of the value from the node's start; 0 without a value.
    [[nodiscard]] std::uint32_t ValueOffset() const noexcept { return m_valueOffset; }
    [[nodiscard]] bool IsText() const noexcept { return m_isText; }
    [[nodiscard]] const std::u16string& Key() const noexcept { return m_key; }
    // The value bytes (ValueSize() of them, little-endian UTF-16 for text); null if none.
    [[nodiscard]] const std::uint8_t* Value() const noexcept { return m_value.Get(); }
    [[nodiscard]] std::size_t ValueSize() const noexcept {
      return std::size_t{m_valueLength} << (m_isText ? 1 : 0);
    }
    [[nodiscard]] std::uint32_t ChildCount() const noexcept { return m_children.Count(); }
    // The child at `index` in file order; null beyond the end.
    [[nodiscard]] const NVIItem* Child(std::uint32_t index) const noexcept {
      return m_children.Get(index);
    }

    // The first direct child whose key equals `key` ignoring ASCII case. Only when
    // none does and `recursive` is set, each child's subtree is searched the same
    // way (its direct children first), depth-first in child order. Null if none.
    [[nodiscard]] const NVIItem* FindChild(std::u16string_view key, bool recursive) const;

   private:
    friend class NVersionInfo;
    friend struct VersionNodeReader;  // the parser fills items

    std::uint32_t m_offset = 0xFFFFFFFFu;
    std::uint32_t m_length = 0;
    std::uint32_t m_valueLength = 0;
    std::uint32_t m_valueOffset = 0;
    bool m_isText = false;
    std::u16string m_key;
    TNAutoFreePtrTo<std::uint8_t> m_value;
    TNArrOfADPtrTo<NVIItem> m_children{4};
  };

  static constexpr std::uint32_t kDefaultTranslation = 0x040904B0u;  // US English, Unicode
  static constexpr std::size_t kPeHeadersSize = NExecutableHeaders::kPeHeadersSize;
  static constexpr std::uint32_t kFixedInfoSize = 52;
  static constexpr std::uint32_t kNotLoaded = 0xFFFFFFFFu;
  // Widths and precisions in Describe templates are capped here.
  static constexpr unsigned kMaxFieldWidth = 4096;

  NVersionInfo() noexcept = default;
  virtual ~NVersionInfo();

  // Back to nothing loaded: no tree, FileCrc and ResourceOffset 0xFFFFFFFF, the
  // default translation, empty path, zero entry, zero PE headers, no ELF machine.
  void Reset() noexcept;

  // Loads the running program's own file (/proc/self/exe); Path is the file's name
  // as the link names it. Errors as LoadFile, and ERROR_INSUFFICIENT_BUFFER (name
  // too long), ERROR_INVALID_HANDLE (empty name without a reason), ERROR_INVALID_NAME.
  [[nodiscard]] bool LoadSelf();

  // Loads the version resource of the one file that `path` names (through the file
  // scan: relative paths, '*' and '?' in the last step). False with the scan's or the reader's
  // code, ERROR_FILE_NOT_FOUND, ERROR_BAD_FILE_TYPE (a plain name of a folder, device or
  // pipe), ERROR_INVALID_PARAMETER (several files match), or as LoadBlock. Path and
  // FindData are set only on success, both of the file whose bytes were read; last
  // error 0 then.
  [[nodiscard]] bool LoadFile(std::u16string_view path);

  // Parses a file's bytes from memory: the core of both loads. Resets, copies the
  // PE headers (or notes the ELF machine), takes the CRC-32 of all bytes, searches
  // the root node at every fourth offset, and selects the default translation.
  // False: ERROR_INVALID_PARAMETER for null bytes or 4 GiB and more,
  // ERROR_INVALID_DATA for 0 bytes, no root, or no usable string table (Root and
  // FixedInfo then stay set). Last error 0 on success. Path and FindData stay empty.
  [[nodiscard]] bool LoadBlock(const void* bytes, std::size_t size);

  // Chooses the string table for `translation` (language << 16 | code page) under
  // "StringFileInfo", falling back to its only child when that is keyed by 8 hex
  // digits. False with ERROR_INVALID_DATA, Translation 0 and no table otherwise.
  [[nodiscard]] bool SelectTranslation(std::uint32_t translation);

  // The text of version string `key` ("ProductName", ...): from the chosen table's
  // direct children, or anywhere in the tree without a table; cut at the first 0
  // character. Empty with ERROR_INVALID_DATA (no tree, binary value) or
  // ERROR_INVALID_PARAMETER (no such key); last error 0 on success.
  [[nodiscard]] std::u16string GetString(std::u16string_view key) const;

  // `format` with its placeholders expanded; "<n/a>" without fixed information.
  // A null format, or none, means "%V". Placeholders: '%', then any of '-' (left
  // align), width digits, '.' and precision digits, then a letter: p f v i r o l m
  // (ProductName, FileDescription, FileVersion, InternalName, OriginalFilename,
  // CompanyName, LegalCopyright, Comments), a b c d (product version parts, as
  // "%*.*u", 0 counting as 1), V (dotted product version), n (file name), N (path),
  // x (processor), g ("Debug" or "Release"). Texts are padded with blanks to the
  // width. Any other character ends the placeholder and stands with it literally;
  // an unfinished placeholder at the end is dropped.
  [[nodiscard]] std::u16string Describe() const;
  [[nodiscard]] std::u16string Describe(const char16_t* format) const;
  [[nodiscard]] std::u16string Describe(std::u16string_view format) const;

  // What %x shows: the PE header's machine, else the ELF header's, else empty.
  [[nodiscard]] std::u16string ProcessorName() const;

  // Reads one node at `position` of `size` bytes at `block`, and its subtree, all
  // within [position, size). With `expectedKey` the node's key must equal it
  // exactly. On success returns the new item and moves `position` to the node's end;
  // otherwise null, `position` unchanged, no error set.
  [[nodiscard]] static std::unique_ptr<NVIItem> ParseNode(const void* block, std::size_t size,
                                                          std::size_t& position,
                                                          const char16_t* expectedKey);

  // The key that the root node carries.
  [[nodiscard]] static const char16_t* RootKey();

  [[nodiscard]] const std::u16string& Path() const noexcept { return m_path; }
  [[nodiscard]] const NFindData& FindData() const noexcept { return m_findData; }
  [[nodiscard]] std::uint32_t FileCrc() const noexcept { return m_fileCrc; }
  [[nodiscard]] const std::array<std::uint8_t, kPeHeadersSize>& PeHeaders() const noexcept {
    return m_headers.m_pe;
  }
  [[nodiscard]] bool HasPeHeaders() const noexcept { return m_headers.HasPe(); }
  // True when the file is an ELF image; ElfMachine() is then its e_machine.
  [[nodiscard]] bool IsElfImage() const noexcept { return m_headers.m_isElf; }
  [[nodiscard]] std::uint16_t ElfMachine() const noexcept { return m_headers.m_elfMachine; }
  [[nodiscard]] const NVIItem* Root() const noexcept { return m_root.get(); }
  // The fixed block when the root's value is binary and 52 bytes long; else null.
  [[nodiscard]] const NFixedFileInfo* FixedInfo() const noexcept {
    return m_hasFixedInfo ? &m_fixedInfo : nullptr;
  }
  [[nodiscard]] std::uint32_t Translation() const noexcept { return m_translation; }
  [[nodiscard]] const NVIItem* StringTable() const noexcept { return m_stringTable; }
  [[nodiscard]] std::uint32_t ResourceOffset() const noexcept { return m_resourceOffset; }

 private:
  // Reads the file at `readPath` (no expansion) and parses it; Path becomes `fullPath`
  // and FindData the opened file's record, named `name` or else as `readPath` ends.
  bool LoadResolved(const std::u16string& fullPath, std::u16string_view readPath,
                    std::string_view name);
  // Takes the tree that the root search found: notes its offset and fixed block, and
  // selects the default translation. False as SelectTranslation; the tree stays.
  [[nodiscard]] bool AdoptRoot(std::unique_ptr<NVIItem> root);

  std::u16string m_path;
  NFindData m_findData;
  std::uint32_t m_fileCrc = kNotLoaded;
  NExecutableHeaders m_headers;
  std::unique_ptr<NVIItem> m_root;
  bool m_hasFixedInfo = false;
  NFixedFileInfo m_fixedInfo;
  std::uint32_t m_translation = kDefaultTranslation;
  const NVIItem* m_stringTable = nullptr;
  std::uint32_t m_resourceOffset = kNotLoaded;
};

// The processor name of a PE machine code ("x86", "x64", ...; "???" for others).
[[nodiscard]] const char16_t* MachineName(std::uint16_t machine) noexcept;
// The processor name of an ELF machine code: x86, x64, ARM-LE, ARM64, else "???".
[[nodiscard]] const char16_t* ElfMachineName(std::uint16_t machine) noexcept;

}  // namespace bitvane
