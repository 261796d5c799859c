#include "ui/widget_controls.h"

#include <QLineEdit>
#include <QTextEdit>

#include "ui/control_colors.h"
#include "ui/control_ids.h"
#include "ui/view_control_ids.h"

namespace bitvane {

WidgetControls::WidgetControls(QWidget* dialog, ControlColors& colors) : m_colors(colors) {
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    if (const int id = ControlIdOf(child); id != 0) m_controls.insert(id, child);
  }
}

void WidgetControls::SetText(ControlRef control, std::u16string_view text) {
  const int id = ControlIdFor(control);
  const QString value = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  QWidget* widget = Control(id);
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    // Setting the same text again would repaint the line and move its cursor to the end.
    if (line->text() != value) line->setText(value);
  } else if (auto* box = qobject_cast<QTextEdit*>(widget)) {
    // Laying out a text box is the dearest part of a keystroke; most boxes keep their
    // text from one value to the next, and a box has no change handler to tell.
    auto cached = m_boxTexts.find(id);
    if (cached != m_boxTexts.end() && *cached == value) return;
    m_boxTexts.insert(id, value);
    // Texts separate lines by CR LF; a text box by paragraphs.
    box->setPlainText(QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }
}

std::u16string WidgetControls::Text(ControlRef control) const {
  QWidget* widget = Control(ControlIdFor(control));
  QString value;
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    value = line->text();
  } else if (auto* box = qobject_cast<QTextEdit*>(widget)) {
    value = box->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  }
  return value.toStdU16String();
}

void WidgetControls::SetEnabled(ControlRef control, bool enabled) {
  const int id = ControlIdFor(control);
  if (enabled) {
    m_marked.remove(id);
  } else {
    m_marked.insert(id);
  }
}

bool WidgetControls::IsEnabled(ControlRef control) const {
  const int id = ControlIdFor(control);
  const QWidget* widget = Control(id);
  return widget != nullptr && widget->isEnabled() && !m_marked.contains(id);
}

void WidgetControls::SetColors(ControlRef control, ColorPair colors) {
  (void)m_colors.SetColors(ControlIdFor(control), colors.text, colors.background);
}

}  // namespace bitvane
