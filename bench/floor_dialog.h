#pragma once
// The floor the main window is measured against: a dialog with the same widgets (input
// lines, read-only text boxes, labels, push buttons, the status line), the same places,
// texts, fonts and colours, built directly in Qt code from a snapshot of the real one.
// Whatever the main window costs above it is the cost of how it is built and updated.

#include <QDataStream>
#include <QDialog>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>
#include <vector>

namespace bitvane::bench {

enum class FloorKind { Input, TextBox, Label, Button };

struct FloorItem {
  FloorKind kind = FloorKind::Label;
  QRect geometry;
  QString text;
  Qt::Alignment alignment;
  QFont font;
  QPalette palette;
  bool hasFrame = true;
};

struct FloorSnapshot {
  QSize size;
  QString title;
  QFont font;
  QPalette palette;
  std::vector<FloorItem> items;
};

// For handing a snapshot to another process.
QDataStream& operator<<(QDataStream& out, const FloorSnapshot& snapshot);
QDataStream& operator>>(QDataStream& in, FloorSnapshot& snapshot);

// The main window's widgets as they stand (after it was shown once).
[[nodiscard]] FloorSnapshot SnapshotOf(const QWidget& window);

// The texts of the snapshot's input lines and text boxes, in item order.
[[nodiscard]] std::vector<QString> EditableTextsOf(const QWidget& window);

class FloorDialog : public QDialog {
 public:
  explicit FloorDialog(const FloorSnapshot& snapshot);

  // Gives every input line and text box its text of `texts` (as EditableTextsOf); with
  // `before`, the texts they hold now, only those whose text changes.
  void SetTexts(const std::vector<QString>& texts, const std::vector<QString>* before = nullptr);
  // The i-th input line or text box, in the order of SetTexts.
  [[nodiscard]] QWidget* Editable(std::size_t i) const { return m_editable.at(i); }

 private:
  std::vector<QWidget*> m_editable;
};

}  // namespace bitvane::bench
