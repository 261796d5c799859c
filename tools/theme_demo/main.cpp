// Shows the theme demonstration dialog: `ui_theme_demo [--dark] [--screenshot FILE]`.
// With --screenshot it fills the views with a value, saves a picture and ends.

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "core/memory_controls.h"
#include "core/value_views.h"
#include "tools/theme_demo/theme_demo_dialog.h"
#include "ui/apply_theme.h"
#include "ui/control_ids.h"
#include "ui/dlg_ctrl_colors.h"
#include "ui/view_control_ids.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool dark = args.contains(QStringLiteral("--dark"));
  const int shot = static_cast<int>(args.indexOf(QStringLiteral("--screenshot")));

  auto dialog = bitvane::tools::MakeThemeDemoDialog();
  bitvane::DlgCtrlColors colors;
  colors.Attach(dialog.get());
  bitvane::ApplyTheme(dialog.get(), colors, dark);

  // Fill the views as the main window would, through widget-free controls.
  bitvane::MemoryControls texts;
  bitvane::ValueViews views(texts);
  views.darkTheme = dark;
  views.value = bitvane::RawValue::FromU64(0x400921FB54442D18ull);  // pi
  views.RefreshViews();
  views.ShowStatus(bitvane::ViewId::LowInt32, u"Invalid Low Integer (32-bit) value");
  for (const bitvane::ValueView& view : bitvane::ViewTable()) {
    for (bitvane::ControlRef control : {bitvane::InputOf(view.id), bitvane::InfoOf(view.id)}) {
      QWidget* widget = bitvane::FindControl(dialog.get(), bitvane::ControlIdFor(control));
      const QString text = QString::fromStdU16String(texts.Text(control));
      if (auto* line = qobject_cast<QLineEdit*>(widget)) line->setText(text);
      if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) box->setPlainText(text);
    }
  }
  for (bitvane::ControlRef control :
       {bitvane::InputOf(bitvane::ViewId::LowInt32), bitvane::kStatusLine}) {
    const bitvane::ColorPair pair = texts.Colors(control);
    (void)colors.Colors().SetColors(bitvane::ControlIdFor(control), pair.text, pair.background);
  }
  qobject_cast<QLineEdit*>(bitvane::FindControl(dialog.get(), bitvane::kStatusLineId))
      ->setText(QString::fromStdU16String(texts.Text(bitvane::kStatusLine)));

  dialog->show();
  if (shot >= 0 && shot + 1 < args.size()) {
    const QString file = args[shot + 1];
    QTimer::singleShot(300, [&] {
      dialog->grab().save(file);
      app.quit();
    });
  }
  return app.exec();
}
