#pragma once
// The program's own settings: where they are kept and the five values bound to the
// main window's variables.

#include <string>
#include <string_view>

#include "foundation/str_list.h"
#include "settings/ps_store.h"

namespace bitvane {

// The registry key under which the program keeps its settings, and the name of the
// shipped program (the executable's name; key names ignore case).
inline constexpr std::u16string_view kSettingsRegistryKey = u"Kelmo";
inline constexpr std::u16string_view kShippedAppName = u"bitvane";
inline constexpr std::u16string_view kSettingsStoreName = u"Set";

inline constexpr std::u16string_view kValueLowName = u"ValueLow";
inline constexpr std::u16string_view kValueHighName = u"ValueHigh";
inline constexpr std::u16string_view kFloatFormatsName = u"FloatFormats";
inline constexpr std::u16string_view kDoubleFormatsName = u"DoubleFormats";
inline constexpr std::u16string_view kDarkThemeName = u"DarkTheme";

// The variables the settings are bound to.
struct BitvaneSettingsTargets {
  unsigned int* valueLow;
  unsigned int* valueHigh;
  NSTRList* floatFormats;
  NSTRList* doubleFormats;
  bool* darkTheme;
};

// Adds the five entries in their order; false when one cannot be added.
[[nodiscard]] bool AddBitvaneSettings(NPSStore& store, const BitvaneSettingsTargets& targets);

// The key path of the program's settings.
[[nodiscard]] std::u16string BitvaneSettingsKeyPath();

// What only the file the settings are kept in can tell, for reports on them: where it
// is, whether it is damaged (it reads as empty and the next save moves it aside), and
// the file, if any, standing where a folder of its path belongs. Changes no file but
// ours, and ours only to finish undoing a crashed save.
struct SettingsFileState {
  std::string path;
  bool damaged = false;
  std::string blockingFile;
};
[[nodiscard]] SettingsFileState InspectSettingsFile();

}  // namespace bitvane
