// Describe: templates with % placeholders over a loaded version resource, and the
// processor names of PE and ELF machine codes.

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <string_view>

#include "about/version_info.h"
#include "foundation/number_text.h"
#include "foundation/text_builder.h"

namespace bitvane {

namespace {

struct MachineEntry {
  std::uint16_t m_code;
  const char16_t* m_name;
};

constexpr MachineEntry kPeMachines[] = {
    {0x014C, u"x86"},
    {0x0160, u"MIPS R3000-BE"},
    {0x0162, u"MIPS R3000-LE"},
    {0x0166, u"MIPS R4000-LE"},
    {0x0168, u"MIPS R10000-LE"},
    {0x0169, u"MIPS WCI v2-LE"},
    {0x0184, u"Alpha AXP"},
    {0x01A2, u"Hitachi SH3"},
    {0x01A3, u"Hitachi SH3 DSP"},
    {0x01A4, u"Hitachi SH3E-LE"},
    {0x01A6, u"Hitachi SH4"},
    {0x01A8, u"Hitachi SH5"},
    {0x01C0, u"ARM-LE"},
    {0x01C2, u"Thumb-LE"},
    {0x01C4, u"Thumb2-LE"},
    {0x01D3, u"Matsushita AM33"},
    {0x01F0, u"PowerPC-LE"},
    {0x01F1, u"PowerPC-FP-LE"},
    {0x0200, u"Intel IA64"},
    {0x0266, u"MIPS16"},
    {0x0268, u"Motorola 68000"},
    {0x0284, u"Alpha AXP 64"},
    {0x0366, u"MIPS-FP"},
    {0x0466, u"MIPS16-FP"},
    {0x0520, u"Infineon"},
    {0x0CEF, u"CEF"},
    {0x0EBC, u"EFI Byte Code"},
    {0x8664, u"x64"},
    {0x9041, u"Mitsubishi M32R-LE"},
    {0xC0EE, u"clr pure MSIL"},
};

// ELF e_machine codes: EM_386, EM_ARM, EM_X86_64, EM_AARCH64.
constexpr MachineEntry kElfMachines[] = {
    {3, u"x86"},
    {40, u"ARM-LE"},
    {62, u"x64"},
    {183, u"ARM64"},
};

template <std::size_t N>
const char16_t* Lookup(const MachineEntry (&table)[N], std::uint16_t code) noexcept {
  for (const MachineEntry& entry : table) {
    if (entry.m_code == code) return entry.m_name;
  }
  return u"???";
}

// One placeholder's options as read so far.
struct Placeholder {
  std::u16string m_pending;  // the characters read, for a placeholder that proves literal
  bool m_left = false;
  bool m_inPrecision = false;
  unsigned m_width = 0;
  unsigned m_precision = 0;

  // Takes `c` when it is an option ('-', '.' or a digit); false otherwise.
  bool ReadOption(char16_t c) {
    if (c != u'-' && c != u'.' && (c < u'0' || c > u'9')) return false;
    m_pending += c;
    if (c == u'-') {
      m_left = true;
    } else if (c == u'.') {
      m_inPrecision = true;
    } else {
      unsigned& number = m_inPrecision ? m_precision : m_width;
      number =
          std::min(number * 10 + static_cast<unsigned>(c - u'0'), NVersionInfo::kMaxFieldWidth);
    }
    return true;
  }
  [[nodiscard]] int SignedWidth(unsigned width) const noexcept {
    return m_left ? -static_cast<int>(width) : static_cast<int>(width);
  }
  // Text padded with blanks to the width; the precision does not apply.
  [[nodiscard]] std::u16string Text(std::u16string_view text) const {
    return PadText(text, SignedWidth(m_width), u' ');
  }
  // "%*.*u": at least `precision` digits (zeros in front), then padded to the width.
  [[nodiscard]] std::u16string Number(std::uint32_t value) const {
    const std::u16string digits =
        UnsignedToText(value, 10, static_cast<int>(std::max(m_precision, 1u)), u'0');
    return PadText(digits, SignedWidth(std::max(m_width, 1u)), u' ');
  }
};

// The four parts of the product version: a, b, c, d.
std::array<std::uint32_t, 4> VersionParts(const NFixedFileInfo& info) {
  return {info.m_productVersionMS >> 16, info.m_productVersionMS & 0xFFFF,
          info.m_productVersionLS >> 16, info.m_productVersionLS & 0xFFFF};
}

std::u16string DottedVersion(const NFixedFileInfo& info) {
  const std::array<std::uint32_t, 4> parts = VersionParts(info);
  const std::size_t count = parts[3] != 0 ? 4 : parts[2] != 0 ? 3 : 2;
  std::u16string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) text += u'.';
    text += UnsignedToText(parts[i], 10, 0, u' ');
  }
  return text;
}

// The placeholders that stand for a version string.
constexpr struct {
  char16_t m_placeholder;
  const char16_t* m_key;
} kStringPlaceholders[] = {{u'p', u"ProductName"},      {u'f', u"FileDescription"},
                           {u'v', u"FileVersion"},      {u'i', u"InternalName"},
                           {u'r', u"OriginalFilename"}, {u'o', u"CompanyName"},
                           {u'l', u"LegalCopyright"},   {u'm', u"Comments"}};

// The text of placeholder letter `c` in `field`'s options, for a resource with fixed
// information; for any other letter the placeholder's own characters and `c`.
std::u16string Expand(const NVersionInfo& version, Placeholder& field, char16_t c) {
  const auto* string = std::find_if(std::begin(kStringPlaceholders), std::end(kStringPlaceholders),
                                    [c](const auto& entry) { return entry.m_placeholder == c; });
  if (string != std::end(kStringPlaceholders)) return field.Text(version.GetString(string->m_key));
  const NFixedFileInfo& info = *version.FixedInfo();
  const std::u16string_view path = version.Path();
  switch (c) {
    case u'a':
    case u'b':
    case u'c':
    case u'd':
      return field.Number(VersionParts(info)[static_cast<std::size_t>(c - u'a')]);
    case u'V':
      return field.Text(DottedVersion(info));
    case u'n': {
      const std::size_t slash = path.rfind(u'/');
      return field.Text(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
    }
    case u'N':
      return field.Text(path);
    case u'x':
      return field.Text(version.ProcessorName());
    case u'g':
      return field.Text((info.m_fileFlags & 1) != 0 ? u"Debug" : u"Release");
    default:
      field.m_pending += c;
      return field.m_pending;
  }
}

}  // namespace

const char16_t* MachineName(std::uint16_t machine) noexcept {
  return Lookup(kPeMachines, machine);
}

const char16_t* ElfMachineName(std::uint16_t machine) noexcept {
  return Lookup(kElfMachines, machine);
}

std::u16string NVersionInfo::ProcessorName() const {
  if (m_headers.HasPe()) return MachineName(m_headers.PeMachine());
  if (m_headers.m_isElf) return ElfMachineName(m_headers.m_elfMachine);
  return {};
}

std::u16string NVersionInfo::Describe() const {
  return Describe(std::u16string_view(u"%V"));
}

std::u16string NVersionInfo::Describe(const char16_t* format) const {
  return format == nullptr ? Describe() : Describe(std::u16string_view(format));
}

std::u16string NVersionInfo::Describe(std::u16string_view format) const {
  if (!m_hasFixedInfo) return u"<n/a>";
  TextBuilder out;
  bool open = false;
  Placeholder field;
  for (const char16_t c : format) {
    if (!open) {
      if (c == u'%') {
        open = true;
        field = Placeholder{};
        field.m_pending.assign(1, u'%');
      } else {
        out.Append(&c, 1);
      }
    } else if (!field.ReadOption(c)) {
      open = false;
      out.Append(Expand(*this, field, c));
    }
  }
  return out.Text();
}

}  // namespace bitvane
