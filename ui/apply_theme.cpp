#include "ui/apply_theme.h"

#include "ui/control_ids.h"
#include "ui/dlg_ctrl_colors.h"
#include "ui/owner_button.h"
#include "ui/theme_lists.h"
#include "ui/title_bar_theme.h"
#include "ui/view_control_ids.h"

namespace bitvane {

namespace {

struct ThemeColors {
  ColorRef dialogText, dialogBack;
  ColorRef labelText, labelBack;
  ColorRef inputText, inputBack;
  ColorRef infoText, infoBack;
  ColorRef buttonFace, buttonText, buttonFrame;
};

// Light leaves everything but the information boxes to the desktop's colours.
constexpr ThemeColors kLight{kDefaultColor, kDefaultColor, kDefaultColor, kDefaultColor,
                             kDefaultColor, kDefaultColor, 0x000000,      0xFFCCCC,
                             kDefaultColor, kDefaultColor, kDefaultColor};
constexpr ThemeColors kDark{0xCCCCCC, 0x333333, 0xCCCCCC, 0x333333, 0xFFFFFF, 0x000000,
                            0xCCCCCC, 0x663300, 0x333333, 0xCCCCCC, 0xCCCCCC};

}  // namespace

void ApplyTheme(QWidget* dialog, DlgCtrlColors& colors, bool dark) {
  if (dialog == nullptr) return;
  const ThemeColors& theme = dark ? kDark : kLight;
  (void)SetDarkTitleBarHint(dialog, dark);

  ControlColors& table = colors.Colors();
  (void)table.SetColors(kOwnerWindowId, theme.dialogText, theme.dialogBack);
  for (int id : kLabelList) (void)table.SetColors(id, theme.labelText, theme.labelBack);
  for (int id : kInputEditList) (void)table.SetColors(id, theme.inputText, theme.inputBack);
  for (int id : kInfoEditList) (void)table.SetColors(id, theme.infoText, theme.infoBack);

  for (int id : kOwnerButtonList) {
    auto* button = qobject_cast<OwnerButton*>(FindControl(dialog, id));
    if (button == nullptr) continue;
    button->SetFaceColor(theme.buttonFace);
    button->update();
    button->SetTextColor(theme.buttonText);
    button->update();
    button->SetFrameColor(theme.buttonFrame);
    button->update();
    button->update();
  }
}

}  // namespace bitvane
