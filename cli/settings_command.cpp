#include "cli/settings_command.h"

#include <cstdio>
#include <ostream>

#include "cli/terminal_text.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_str_list_entry.h"
#include "settings/ps_typed_entry.h"
#include "settings/reg_key.h"

namespace bitvane::cli {

namespace {

constexpr const char* kUsage = "Usage: bitvane-cli settings [--reset]\n";
// Bytes of an unreadable value shown before the rest is only counted.
constexpr std::uint32_t kShownBytes = 32;

std::string Reason(ErrorCode code) {
  switch (code) {
    case ERROR_PATH_NOT_FOUND: {
      // The registry gives this (ENOTDIR) only when a file stands where a folder of the
      // hive's path belongs.
      const std::string file = InspectSettingsFile().blockingFile;
      if (file.empty()) return "a part of the settings folder's path is no folder";
      return "the settings folder is blocked by a file: " + TerminalText(file);
    }
    case ERROR_ACCESS_DENIED:
      return "access denied";
    case ERROR_BUSY:
      return "the settings file is in use";
    case ERROR_DISK_FULL:
      return "disk full";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "out of memory";
    case ERROR_REGISTRY_CORRUPT:
      return "the settings file is damaged";
    default:
      return "registry error";
  }
}

// A key that is not there, or was deleted while it was being read, holds nothing.
bool Missing(ErrorCode code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_KEY_DELETED;
}

std::string TypeName(std::uint32_t type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
      return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
      return "REG_LINK";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    case REG_QWORD:
      return "REG_QWORD";
    default:
      return "type " + std::to_string(type);
  }
}

std::string Hex(std::uint64_t number, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(number));
  return text;
}

std::string HexBytes(const NRegKey::Value& value) {
  std::string text = "hex:";
  const std::uint32_t shown = value.Size() < kShownBytes ? value.Size() : kShownBytes;
  for (std::uint32_t i = 0; i < shown; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, " %02X", value.Data()[i]);
    text += byte;
  }
  if (shown < value.Size()) text += " ...";
  return text + " (" + std::to_string(value.Size()) + " bytes)";
}

// A value as the program would read it; the raw bytes when it is not well formed.
std::string Readable(const NRegKey::Value& value) {
  std::uint32_t number = 0;
  if (ReadDword(value, number)) return std::to_string(number) + " (" + Hex(number, 8) + ")";
  if (value.Type() == REG_QWORD && value.Size() == 8) {
    std::uint64_t wide = 0;
    for (int i = 7; i >= 0; --i) wide = wide << 8 | value.Data()[i];
    return std::to_string(wide) + " (" + Hex(wide, 16) + ")";
  }
  if ((value.Type() == REG_SZ || value.Type() == REG_EXPAND_SZ) && value.Size() % 2 == 0) {
    const std::u16string units = value.Utf16();
    return QuotedTerminalText(std::u16string_view(units.c_str()));
  }
  if (value.Type() == REG_MULTI_SZ && value.Size() % 2 == 0) {
    const std::u16string units = value.Utf16();
    NSTRList list;
    list.SetFromMultiString(units.data(), units.size());
    std::string text = "[";
    for (const std::u16string& item : list) {
      if (text.size() > 1) text += ", ";
      text +=
          QuotedTerminalText(item == NPSSTRListEntry::kEmptyMarker ? std::u16string_view() : item);
    }
    return text + "]";
  }
  return value.Size() == 0 ? "(no data)" : HexBytes(value);
}

// A value's line: name, type and value, the first two padded to their columns.
std::string Line(const std::u16string& name, const NRegKey::Value& value) {
  // A name that a terminal would act on, or that begins with a quote, is quoted and
  // escaped, so it can neither fake lines of its own nor pass for another name.
  const bool plain = IsTerminalSafe(name) && !name.starts_with(u'"');
  std::string shownName = name.empty() ? "(default)"
                          : plain      ? WideToUtf8(name)
                                       : QuotedTerminalText(name);
  shownName.resize(shownName.size() < 14 ? 14 : shownName.size(), ' ');
  std::string type = TypeName(value.Type());
  type.resize(type.size() < 13 ? 13 : type.size(), ' ');
  return shownName + ' ' + type + ' ' + Readable(value) + '\n';
}

// Reports a failure to `what` the settings; 1, the exit status.
int Failed(std::ostream& err, const char* what, ErrorCode code) {
  err << "bitvane-cli: cannot " << what << " the settings: " << Reason(code) << " (error " << code
      << ")\n";
  return 1;
}

int Show(std::ostream& out, std::ostream& err) {
  const SettingsFileState file = InspectSettingsFile();
  out << WideToUtf8(BitvaneSettingsKeyPath()) << " in " << TerminalText(file.path) << '\n';
  if (file.damaged) {
    err << "bitvane-cli: " << TerminalText(file.path)
        << " cannot be read as a settings store; the program starts with its defaults and "
           "moves the file aside when it next saves\n";
  }
  NRegKey key;
  std::string lines;
  if (!key.Open(BitvaneSettingsKeyPath(), KEY_READ) ||
      !key.ListValues([&](const std::u16string& name, const NRegKey::Value& value) {
        lines += Line(name, value);
      })) {
    const auto code = static_cast<ErrorCode>(key.LastError());
    if (!Missing(code)) return Failed(err, key.IsOpen() ? "list" : "read", code);
  }
  out << (lines.empty() ? "none stored\n" : lines);  // also when all went meanwhile
  return 0;
}

int Reset(std::ostream& out, std::ostream& err) {
  NPSStore store{std::u16string(kSettingsStoreName)};
  if (store.InitFromApp(kSettingsRegistryKey, kShippedAppName) && store.DeleteStored()) {
    out << "settings deleted; the next start uses the defaults\n";
    return 0;
  }
  const auto code = static_cast<ErrorCode>(store.LastError());
  if (!Missing(code)) return Failed(err, "delete", code);
  out << "none stored; nothing to reset\n";
  return 0;
}

}  // namespace

int RunSettings(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool reset = false;
  for (const std::string& arg : args) {
    if (arg == "--reset" && !reset) {
      reset = true;
    } else {
      err << "bitvane-cli: unexpected argument '" << TerminalText(arg) << "'\n" << kUsage;
      return 2;
    }
  }
  return reset ? Reset(out, err) : Show(out, err);
}

}  // namespace bitvane::cli
