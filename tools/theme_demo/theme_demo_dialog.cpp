#include "tools/theme_demo/theme_demo_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "res/dialog_template.h"
#include "ui/control_ids.h"
#include "ui/owner_button.h"
#include "ui/theme_lists.h"
#include "ui/view_control_ids.h"

namespace bitvane::tools {

namespace {

// The text of a control of the main dialog's template.
QString TemplateText(int id) {
  for (const DialogItem& item : MainDialogTemplate().items) {
    if (item.id == id) return QString::fromStdU16String(std::u16string(item.text));
  }
  return {};
}

}  // namespace

std::unique_ptr<QDialog> MakeThemeDemoDialog() {
  auto dialog = std::make_unique<QDialog>();
  dialog->setWindowTitle(QStringLiteral("Bitvane"));
  auto* layout = new QVBoxLayout(dialog.get());
  auto* grid = new QGridLayout;
  layout->addLayout(grid);

  for (std::size_t i = 0; i < kViewControlIds.size(); ++i) {
    const ViewControlIds& ids = kViewControlIds[i];
    auto* label = new QLabel(TemplateText(ids.label));
    auto* input = new QLineEdit;
    auto* info = new QPlainTextEdit;
    info->setReadOnly(true);
    info->setFixedHeight(info->fontMetrics().lineSpacing() * 3 + 8);
    label->setBuddy(input);
    SetControlId(label, ids.label);
    SetControlId(input, ids.input);
    SetControlId(info, ids.info);
    const int column = i < 8 ? static_cast<int>(7 - i) % 4 : static_cast<int>(i - 8) % 2 * 2;
    const int row = i < 8 ? (i < 4 ? 3 : 0) : 6 + static_cast<int>(i - 8) / 2 * 3;
    const int span = i < 8 ? 1 : 2;
    grid->addWidget(label, row, column, 1, span);
    grid->addWidget(input, row + 1, column, 1, span);
    grid->addWidget(info, row + 2, column, 1, span);
  }
  constexpr int kHintId = 1058;
  auto* hint = new QLabel(TemplateText(kHintId));
  SetControlId(hint, kHintId);
  layout->addWidget(hint);

  auto* buttons = new QHBoxLayout;
  auto* formats = new OwnerButton;
  formats->setText(TemplateText(kOwnerButtonList.front()));
  SetControlId(formats, kOwnerButtonList.front());
  buttons->addWidget(formats);
  for (const SwapButtonId& swap : kSwapButtonIds) {
    auto* button = new OwnerButton;
    button->setText(TemplateText(swap.button));
    SetControlId(button, swap.button);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);

  auto* status = new QLineEdit(QStringLiteral("(no problem)"));
  status->setReadOnly(true);
  status->setAlignment(Qt::AlignCenter);
  SetControlId(status, kStatusLineId);
  layout->addWidget(status);
  return dialog;
}

}  // namespace bitvane::tools
