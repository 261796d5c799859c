#include "app/bitvane_settings.h"

namespace bitvane {

bool AddBitvaneSettings(NPSStore& store, const BitvaneSettingsTargets& targets) {
  return store.AddUInt(std::u16string(kValueLowName), targets.valueLow) &&
         store.AddUInt(std::u16string(kValueHighName), targets.valueHigh) &&
         store.AddStringList(std::u16string(kFloatFormatsName), targets.floatFormats) &&
         store.AddStringList(std::u16string(kDoubleFormatsName), targets.doubleFormats) &&
         store.AddBool(std::u16string(kDarkThemeName), targets.darkTheme);
}

}  // namespace bitvane
