#include "tools/theme_demo/theme_demo_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "core/swaps.h"
#include "core/value_views.h"
#include "core/view_table.h"
#include "ui/control_ids.h"
#include "ui/owner_button.h"
#include "ui/theme_lists.h"

namespace bitvane::tools {

namespace {

// The label of view i: byte labels run 1045 (byte 0) to 1052, the wider views on.
int LabelIdOf(std::size_t viewIndex) {
  return 1045 + static_cast<int>(viewIndex);
}

}  // namespace

std::unique_ptr<QDialog> MakeThemeDemoDialog() {
  auto dialog = std::make_unique<QDialog>();
  dialog->setWindowTitle(QStringLiteral("Bitvane"));
  auto* layout = new QVBoxLayout(dialog.get());
  auto* grid = new QGridLayout;
  layout->addLayout(grid);

  const auto& views = ViewTable();
  for (std::size_t i = 0; i < views.size(); ++i) {
    const ValueView& view = views[i];
    auto* label = new QLabel(QString::fromStdU16String(std::u16string(view.label)));
    auto* input = new QLineEdit;
    auto* info = new QPlainTextEdit;
    info->setReadOnly(true);
    info->setFixedHeight(info->fontMetrics().lineSpacing() * 3 + 8);
    label->setBuddy(input);
    SetControlId(label, LabelIdOf(i));
    SetControlId(input, view.input);
    SetControlId(info, view.info);
    const int column = i < 8 ? static_cast<int>(7 - i) % 4 : static_cast<int>(i - 8) % 2 * 2;
    const int row = i < 8 ? (i < 4 ? 3 : 0) : 6 + static_cast<int>(i - 8) / 2 * 3;
    const int span = i < 8 ? 1 : 2;
    grid->addWidget(label, row, column, 1, span);
    grid->addWidget(input, row + 1, column, 1, span);
    grid->addWidget(info, row + 2, column, 1, span);
  }
  auto* hint = new QLabel(QStringLiteral(
      "Hint: valid float/single/double keywords are: [+] [-] { SNaN | QNaN | Inf }"));
  SetControlId(hint, kLabelList.back());
  layout->addWidget(hint);

  auto* buttons = new QHBoxLayout;
  auto* formats = new OwnerButton;
  formats->setText(QStringLiteral("For&mats"));
  SetControlId(formats, kOwnerButtonList.front());
  buttons->addWidget(formats);
  for (const SwapButton& swap : SwapTable()) {
    auto* button = new OwnerButton;
    button->setText(QString::fromStdU16String(std::u16string(swap.caption)));
    SetControlId(button, swap.button);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);

  auto* status = new QLineEdit(QStringLiteral("(no problem)"));
  status->setReadOnly(true);
  status->setAlignment(Qt::AlignCenter);
  SetControlId(status, kStatusLine);
  layout->addWidget(status);
  return dialog;
}

}  // namespace bitvane::tools
