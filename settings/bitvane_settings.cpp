#include "settings/bitvane_settings.h"

#include "platform/registry.h"
#include "platform/registry_hive.h"

namespace bitvane {

bool AddBitvaneSettings(NPSStore& store, const BitvaneSettingsTargets& targets) {
  return store.AddUInt(std::u16string(kValueLowName), targets.valueLow) &&
         store.AddUInt(std::u16string(kValueHighName), targets.valueHigh) &&
         store.AddStringList(std::u16string(kFloatFormatsName), targets.floatFormats) &&
         store.AddStringList(std::u16string(kDoubleFormatsName), targets.doubleFormats) &&
         store.AddBool(std::u16string(kDarkThemeName), targets.darkTheme);
}

std::u16string BitvaneSettingsKeyPath() {
  return NPSStore::MakeKeyPath(kSettingsRegistryKey, kShippedAppName);
}

SettingsFileState InspectSettingsFile() {
  SettingsFileState state;
  state.path = RegistryHivePath();
  state.damaged = InspectHive(state.path) == HiveState::Damaged;
  state.blockingFile = BlockingFile(state.path);
  return state;
}

}  // namespace bitvane
