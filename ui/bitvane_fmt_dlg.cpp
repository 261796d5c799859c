#include "ui/bitvane_fmt_dlg.h"

#include <QComboBox>
#include <QPushButton>

#include "res/dialog_template.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace bitvane {

namespace {

constexpr int kOkId = 1, kCancelId = 2, kSingleFormatId = 1031, kDoubleFormatId = 1033;

QComboBox* ComboOf(QDialog* dialog, int id) {
  return qobject_cast<QComboBox*>(FindControl(dialog, id));
}

// Fills the combo box with the list, in list order, and selects its first entry. The box
// is disabled while it fills; should it refuse an entry, the rest are left out.
void FillFromList(QComboBox* combo, const NSTRList* formats) {
  if (combo == nullptr || formats == nullptr) return;
  const bool wasEnabled = !combo->testAttribute(Qt::WA_Disabled);
  combo->setEnabled(false);
  combo->clear();
  for (const std::u16string& format : *formats) {
    const int before = combo->count();
    combo->addItem(QString::fromStdU16String(format));
    if (combo->count() != before + 1) break;
  }
  if (wasEnabled) combo->setEnabled(true);
  combo->setCurrentIndex(0);
}

// Rewrites the list as the combo box's entries with its current text in front, taken
// out of the place it had among them (the first exact match).
void StoreInList(NSTRList* formats, const QComboBox* combo) {
  if (formats == nullptr) return;
  formats->RemoveAll();  // wipes the old texts when the list says so
  if (combo == nullptr) return;
  for (int i = 0; i < combo->count(); ++i) formats->Add(combo->itemText(i).toStdU16String());
  const std::u16string current = combo->currentText().toStdU16String();
  if (auto* node = formats->Find(current)) formats->Remove(node);
  formats->AddHead(current);
}

}  // namespace

BitvaneFmtDlg::BitvaneFmtDlg(NSTRList* doubleFormats, NSTRList* singleFormats, QWidget* parent)
    : QDialog(parent), m_doubleFormats(doubleFormats), m_singleFormats(singleFormats) {
  BuildDialogFromTemplate(this, FormatsDialogTemplate());
  setModal(true);
  if (auto* ok = qobject_cast<QPushButton*>(FindControl(this, kOkId))) {
    connect(ok, &QPushButton::clicked, this, [this] {
      SaveFormats();
      accept();
    });
  }
  if (auto* cancel = qobject_cast<QPushButton*>(FindControl(this, kCancelId)))
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void BitvaneFmtDlg::showEvent(QShowEvent* event) {
  if (!m_initialised) {
    m_initialised = true;
    InitDialog();
  }
  QDialog::showEvent(event);
}

void BitvaneFmtDlg::InitDialog() {
  FillFromList(ComboOf(this, kSingleFormatId), m_singleFormats);
  FillFromList(ComboOf(this, kDoubleFormatId), m_doubleFormats);
  SetInitialFocus(this, FormatsDialogTemplate());
}

void BitvaneFmtDlg::SaveFormats() {
  StoreInList(m_singleFormats, ComboOf(this, kSingleFormatId));
  StoreInList(m_doubleFormats, ComboOf(this, kDoubleFormatId));
}

}  // namespace bitvane
