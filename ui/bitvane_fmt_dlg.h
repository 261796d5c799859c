#pragma once
// The floating point formats: template 103, a modal dialog in which the user picks or
// types a format text for the singles and one for the double. Each combo box offers its
// list, most recently used first; OK moves the chosen or typed text to the front of its
// list. Cancel, Escape and the close box leave the lists as they were.

#include <QDialog>

#include "foundation/str_list.h"

class QShowEvent;

namespace bitvane {

class BitvaneFmtDlg : public QDialog {
  Q_OBJECT

 public:
  // The lists stay the caller's and must outlive the dialog; a null list is left out.
  BitvaneFmtDlg(NSTRList* doubleFormats, NSTRList* singleFormats, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // On the first show: each combo box gets its list, the first entry selected.
  void InitDialog();
  // On OK: each list gets its combo box's entries, the current text in front.
  void SaveFormats();

  NSTRList* m_doubleFormats;
  NSTRList* m_singleFormats;
  bool m_initialised = false;
};

}  // namespace bitvane
