#include "bench/floor_dialog.h"

#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace bitvane::bench {

namespace {

bool IsEditable(FloorKind kind) {
  return kind == FloorKind::Input || kind == FloorKind::TextBox;
}

}  // namespace

FloorSnapshot SnapshotOf(const QWidget& window) {
  FloorSnapshot snapshot{window.size(), window.windowTitle(), window.font(), window.palette(), {}};
  for (QObject* child : window.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || !widget->isVisible()) continue;
    FloorItem item;
    item.geometry = widget->geometry();
    item.font = widget->font();
    item.palette = widget->palette();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
      item = {FloorKind::Input, item.geometry, line->text(),    line->alignment(),
              item.font,        item.palette,  line->hasFrame()};
    } else if (auto* box = qobject_cast<QTextEdit*>(widget)) {
      item = {FloorKind::TextBox,
              item.geometry,
              box->toPlainText(),
              box->document()->defaultTextOption().alignment(),
              item.font,
              item.palette,
              box->frameShape() != QFrame::NoFrame};
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      item = {FloorKind::Label,
              item.geometry,
              label->text(),
              label->alignment(),
              item.font,
              item.palette,
              label->frameShape() != QFrame::NoFrame};
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      item = {FloorKind::Button, item.geometry, button->text(), {}, item.font, item.palette, true};
    } else {
      continue;
    }
    snapshot.items.push_back(std::move(item));
  }
  return snapshot;
}

std::vector<QString> EditableTextsOf(const QWidget& window) {
  std::vector<QString> texts;
  for (const FloorItem& item : SnapshotOf(window).items)
    if (IsEditable(item.kind)) texts.push_back(item.text);
  return texts;
}

FloorDialog::FloorDialog(const FloorSnapshot& snapshot) {
  setWindowTitle(snapshot.title);
  setFont(snapshot.font);
  setPalette(snapshot.palette);
  setFixedSize(snapshot.size);
  for (const FloorItem& item : snapshot.items) {
    QWidget* widget = nullptr;
    // Fonts and colours only where they differ from the dialog's, before any text.
    const auto look = [&](QWidget* made) {
      if (item.font != snapshot.font) made->setFont(item.font);
      if (item.palette != snapshot.palette) made->setPalette(item.palette);
    };
    switch (item.kind) {
      case FloorKind::Input: {
        auto* line = new QLineEdit(this);
        look(line);
        line->setText(item.text);
        line->setAlignment(item.alignment);
        line->setFrame(item.hasFrame);
        widget = line;
        break;
      }
      case FloorKind::TextBox: {
        auto* box = new QTextEdit(this);
        look(box);
        // As the main window's boxes show their text: no wrapping, no scroll bars.
        box->setReadOnly(true);
        box->setLineWrapMode(QTextEdit::NoWrap);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->document()->setDocumentMargin(1);
        QTextOption option(item.alignment);
        option.setWrapMode(QTextOption::NoWrap);
        box->document()->setDefaultTextOption(option);
        if (!item.hasFrame) box->setFrameShape(QFrame::NoFrame);
        box->setPlainText(item.text);
        widget = box;
        break;
      }
      case FloorKind::Label: {
        auto* label = new QLabel(this);
        look(label);
        label->setText(item.text);
        label->setAlignment(item.alignment);
        if (item.hasFrame) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        widget = label;
        break;
      }
      case FloorKind::Button:
        widget = new QPushButton(this);
        look(widget);
        static_cast<QPushButton*>(widget)->setText(item.text);
        break;
    }
    widget->setGeometry(item.geometry);
    if (IsEditable(item.kind)) m_editable.push_back(widget);
  }
}

void FloorDialog::SetTexts(const std::vector<QString>& texts, const std::vector<QString>* before) {
  for (std::size_t i = 0; i < m_editable.size() && i < texts.size(); ++i) {
    if (before != nullptr && i < before->size() && (*before)[i] == texts[i]) continue;
    if (auto* line = qobject_cast<QLineEdit*>(m_editable[i]))
      line->setText(texts[i]);
    else
      static_cast<QTextEdit*>(m_editable[i])->setPlainText(texts[i]);
  }
}

QDataStream& operator<<(QDataStream& out, const FloorSnapshot& snapshot) {
  out << snapshot.size << snapshot.title << snapshot.font << snapshot.palette
      << static_cast<quint32>(snapshot.items.size());
  for (const FloorItem& item : snapshot.items) {
    out << static_cast<qint32>(item.kind) << item.geometry << item.text
        << static_cast<qint32>(item.alignment) << item.font << item.palette << item.hasFrame;
  }
  return out;
}

QDataStream& operator>>(QDataStream& in, FloorSnapshot& snapshot) {
  quint32 count = 0;
  in >> snapshot.size >> snapshot.title >> snapshot.font >> snapshot.palette >> count;
  snapshot.items.clear();
  for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    FloorItem item;
    qint32 kind = 0, alignment = 0;
    in >> kind >> item.geometry >> item.text >> alignment >> item.font >> item.palette >>
        item.hasFrame;
    item.kind = static_cast<FloorKind>(kind);
    item.alignment = static_cast<Qt::Alignment>(alignment);
    snapshot.items.push_back(std::move(item));
  }
  return in;
}

}  // namespace bitvane::bench
