// Describe: templates with % placeholders over a loaded version resource, and the
// processor names of PE and ELF machine codes.

#include <algorithm>
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

std::u16string DottedVersion(const NFixedFileInfo& info) {
  const std::uint32_t parts[4] = {info.m_productVersionMS >> 16, info.m_productVersionMS & 0xFFFF,
                                  info.m_productVersionLS >> 16, info.m_productVersionLS & 0xFFFF};
  const std::size_t count = parts[3] != 0 ? 4 : parts[2] != 0 ? 3 : 2;
  std::u16string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) text += u'.';
    text += UnsignedToText(parts[i], 10, 0, u' ');
  }
  return text;
}

}  // namespace

const char16_t* MachineName(std::uint16_t machine) noexcept {
  return Lookup(kPeMachines, machine);
}

const char16_t* ElfMachineName(std::uint16_t machine) noexcept {
  return Lookup(kElfMachines, machine);
}

std::u16string NVersionInfo::ProcessorName() const {
  if (HasPeHeaders()) {
    return MachineName(static_cast<std::uint16_t>(m_peHeaders[4] | m_peHeaders[5] << 8));
  }
  if (m_isElf) return ElfMachineName(m_elfMachine);
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
  const NFixedFileInfo& info = m_fixedInfo;
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
      continue;
    }
    if (c == u'-' || c == u'.' || (c >= u'0' && c <= u'9')) {
      field.m_pending += c;
      if (c == u'-') {
        field.m_left = true;
      } else if (c == u'.') {
        field.m_inPrecision = true;
      } else {
        unsigned& number = field.m_inPrecision ? field.m_precision : field.m_width;
        number = std::min(number * 10 + static_cast<unsigned>(c - u'0'), kMaxFieldWidth);
      }
      continue;
    }
    open = false;
    std::u16string value;
    // The placeholders that stand for a version string.
    static constexpr struct {
      char16_t placeholder;
      const char16_t* key;
    } kStrings[] = {{u'p', u"ProductName"},     {u'f', u"FileDescription"},
                    {u'v', u"FileVersion"},     {u'i', u"InternalName"},
                    {u'r', u"OriginalFilename"}, {u'o', u"CompanyName"},
                    {u'l', u"LegalCopyright"},  {u'm', u"Comments"}};
    const auto* string = std::find_if(std::begin(kStrings), std::end(kStrings),
                                      [c](const auto& entry) { return entry.placeholder == c; });
    if (string != std::end(kStrings)) {
      out.Append(field.Text(GetString(string->key)));
      continue;
    }
    switch (c) {
      case u'a':
        value = field.Number(info.m_productVersionMS >> 16);
        break;
      case u'b':
        value = field.Number(info.m_productVersionMS & 0xFFFF);
        break;
      case u'c':
        value = field.Number(info.m_productVersionLS >> 16);
        break;
      case u'd':
        value = field.Number(info.m_productVersionLS & 0xFFFF);
        break;
      case u'V':
        value = field.Text(DottedVersion(info));
        break;
      case u'n': {
        const std::size_t slash = m_path.rfind(u'/');
        value = field.Text(slash == std::u16string::npos
                               ? std::u16string_view(m_path)
                               : std::u16string_view(m_path).substr(slash + 1));
        break;
      }
      case u'N':
        value = field.Text(m_path);
        break;
      case u'x':
        value = field.Text(ProcessorName());
        break;
      case u'g':
        value = field.Text((info.m_fileFlags & 1) != 0 ? u"Debug" : u"Release");
        break;
      default:
        field.m_pending += c;
        value = field.m_pending;
        break;
    }
    out.Append(value);
  }
  return out.Text();
}

}  // namespace bitvane
