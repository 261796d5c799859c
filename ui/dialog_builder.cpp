#include "ui/dialog_builder.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "ui/control_ids.h"
#include "ui/info_box.h"
#include "ui/owner_button.h"

namespace bitvane {

namespace {

// Rounded a * b / c, as the platform's dialog-unit conversion rounds.
int MulDiv(int a, int b, int c) {
  return (2 * a * b + c) / (2 * c);
}

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* MakeWidget(const DialogItem& item, QWidget* parent) {
  const QString text = ToQString(item.text);
  const bool centred = (item.style & kCentered) != 0;
  switch (item.kind) {
    case ItemKind::PushButton: {
      QPushButton* button = (item.style & kOwnerDraw) != 0 ? new OwnerButton(text, parent)
                                                           : new QPushButton(text, parent);
      // Only the template's default button is a default: Enter in an input line must
      // not press whichever button had the focus last.
      button->setAutoDefault(false);
      button->setDefault((item.style & kDefaultButton) != 0);
      return button;
    }
    case ItemKind::Static: {
      auto* label = new QLabel(text, parent);
      label->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      if ((item.style & kSunken) != 0) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      return label;
    }
    case ItemKind::Input: {
      auto* input = new QLineEdit(text, parent);
      input->setAlignment((centred                             ? Qt::AlignHCenter
                           : (item.style & kRightAligned) != 0 ? Qt::AlignRight
                                                               : Qt::AlignLeft) |
                          Qt::AlignVCenter);
      input->setReadOnly((item.style & kReadOnly) != 0);
      return input;
    }
    case ItemKind::InfoBox: {
      auto* box = new InfoBox(parent);
      if (centred) box->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
      box->setPlainText(text);
      return box;
    }
    case ItemKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      // What the user types stays as typed: it adds no entry, and nothing completes it
      // or swaps it for an entry that differs only in letter case.
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setCompleter(nullptr);
      return combo;
    }
    case ItemKind::GroupBox:
      return new QGroupBox(text, parent);
  }
  return nullptr;
}

// True when the item starts inside the group box's rectangle.
bool StartsInside(const DialogItem& item, const DialogItem& group) {
  return item.x >= group.x && item.x < group.x + group.width && item.y >= group.y &&
         item.y < group.y + group.height;
}

// A combo box's template height is that of its dropped-down list: the closed box gets
// its style's one-line height, and the list as many lines of the font as fit below it.
void PlaceComboBox(QComboBox* combo, QRect rect, const DialogUnits& units) {
  const int closedHeight = combo->sizeHint().height();
  combo->setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
  combo->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / units.baseY));
}

}  // namespace

DialogUnits DialogUnits::Of(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits{(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  // Each edge on its own, as the platform maps a dialog rectangle: rounding a width or
  // height apart from its edge could make neighbours that are apart overlap by a pixel.
  const int left = MulDiv(x, baseX, 4);
  const int top = MulDiv(y, baseY, 8);
  return QRect(left, top, MulDiv(x + width, baseX, 4) - left, MulDiv(y + height, baseY, 8) - top);
}

void BuildDialogFromTemplate(QDialog* dialog, const DialogTemplate& dialogTemplate) {
  dialog->setWindowTitle(ToQString(dialogTemplate.caption));
  const DialogUnits units = DialogUnits::Of(dialog->font());
  const QRect client = units.ToPixels(0, 0, dialogTemplate.width, dialogTemplate.height);
  dialog->setFixedSize(client.size());

  QWidget* previousStop = nullptr;
  QLabel* pendingLabel = nullptr;  // a label waiting for the control its mnemonic names
  const DialogItem* group = nullptr;
  QGroupBox* groupBox = nullptr;
  for (const DialogItem& item : dialogTemplate.items) {
    // Items inside a group box are its children, so that its mnemonic moves the focus
    // to the first of them with a tab stop.
    const bool inGroup = group != nullptr && StartsInside(item, *group);
    QWidget* parent = inGroup ? static_cast<QWidget*>(groupBox) : dialog;
    QWidget* widget = MakeWidget(item, parent);
    if (item.id != kNoId) SetControlId(widget, item.id);
    const QRect rect = units.ToPixels(item.x, item.y, item.width, item.height)
                           .translated(-parent->mapTo(dialog, QPoint(0, 0)));
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      PlaceComboBox(combo, rect, units);
    } else {
      widget->setGeometry(rect);
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
      group = &item;
      groupBox = box;
    }
    if ((item.style & kHidden) != 0) widget->hide();
    if ((item.style & kDisabled) != 0) widget->setEnabled(false);
    if ((item.style & kTabStop) != 0) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousStop != nullptr) QWidget::setTabOrder(previousStop, widget);
      previousStop = widget;
      if (pendingLabel != nullptr) pendingLabel->setBuddy(widget);
      pendingLabel = nullptr;
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
      if (auto* label = qobject_cast<QLabel*>(widget)) pendingLabel = label;
    }
  }
}

QWidget* SetInitialFocus(QDialog* dialog, const DialogTemplate& dialogTemplate) {
  for (const DialogItem& item : dialogTemplate.items) {
    if ((item.style & kTabStop) == 0) continue;
    QWidget* control = FindControl(dialog, item.id);
    if (control == nullptr || control->isHidden() || !control->isEnabled()) continue;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* input = qobject_cast<QLineEdit*>(control)) input->selectAll();
    if (auto* combo = qobject_cast<QComboBox*>(control); combo != nullptr && combo->isEditable())
      combo->lineEdit()->selectAll();
    return control;
  }
  return nullptr;
}

}  // namespace bitvane
