#include "ui/bitvane_dlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextBlock>
#include <QTextDocument>

#include "core/float_explain.h"
#include "core/info_bits.h"
#include "foundation/font_spec.h"
#include "res/dialog_template.h"
#include "res/string_table.h"
#include "ui/apply_theme.h"
#include "ui/bitvane_fmt_dlg.h"
#include "ui/control_ids.h"
#include "ui/copy_as_menu.h"
#include "ui/dialog_builder.h"
#include "ui/font_spec_qt.h"
#include "ui/info_box.h"
#include "ui/system_theme.h"
#include "ui/view_control_ids.h"
#include "ui/window_icon.h"
#include "ui/window_menu.h"

namespace bitvane {

namespace {

// The template is built before the members that look controls up by id.
QWidget* Built(QDialog* dialog) {
  BuildDialogFromTemplate(dialog, MainDialogTemplate());
  return dialog;
}

constexpr int kCancelId = 2;
constexpr int kFormatsId = 1028;

// The height inside a control's frame, where its text goes.
int ClientHeight(const QWidget* control) {
  const auto* line = qobject_cast<const QLineEdit*>(control);
  if (line == nullptr) return control->contentsRect().height();
  QStyleOptionFrame frame;
  frame.initFrom(line);
  frame.rect = line->rect();
  frame.lineWidth =
      line->hasFrame() ? line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, line) : 0;
  return line->style()->subElementRect(QStyle::SE_LineEditContents, &frame, line).height();
}

}  // namespace

BitvaneDlg::BitvaneDlg(QWidget* parent)
    : QDialog(parent), m_controls(Built(this), m_colorHook.Colors()), m_views(m_controls) {
  m_views.darkTheme = SystemPrefersDark();
  BindControls();
  const std::u16string_view about = LoadResString(kAboutItemStringId);
  auto* menu = new WindowMenu(
      this, [this] { return m_views.darkTheme; },
      QString::fromUtf16(about.data(), qsizetype(about.size())));
  connect(menu, &WindowMenu::commandChosen, this, &BitvaneDlg::OnWindowCommand);
  // A click on a binary digit of an information box flips that bit of the value.
  for (const ValueView& view : ViewTable()) {
    auto* box = qobject_cast<InfoBox*>(m_controls.Control(ControlIdsOf(view.id).info));
    if (box == nullptr) continue;
    const auto bitAt = [box, &view](int line, int column) {
      const QString text = box->document()->findBlockByNumber(line).text();
      return BitAtInfoPosition(view, text.toStdU16String(), static_cast<unsigned>(line),
                               static_cast<unsigned>(column));
    };
    box->SetClickableCharacters([bitAt, &view](int line, int column) -> std::optional<QString> {
      const std::optional<InfoBit> bit = bitAt(line, column);
      if (!bit) return std::nullopt;
      return QString::fromStdString(InfoBitTip(view, *bit));
    });
    connect(box, &InfoBox::characterClicked, this, [this, bitAt](int line, int column) {
      if (const std::optional<InfoBit> bit = bitAt(line, column)) m_views.OnFlipBit(bit->valueBit);
    });
    if (view.kind != ViewKind::Float) continue;
    // Elsewhere on a float's box: what the float is, exactly.
    box->SetBoxToolTip([this, &view] {
      const std::uint64_t bits = m_views.value.Bytes(view.firstByte, view.size);
      const FloatExplanation explained =
          view.size == 8 ? ExplainDouble(bits) : ExplainSingle(static_cast<std::uint32_t>(bits));
      return QString::fromStdString(ExplanationText(explained, 64));
    });
  }
  // An input line's menu copies its view's bits as code.
  menu->SetExtender([this](QMenu* opened, QWidget* control) {
    for (const ValueView& view : ViewTable()) {
      if (m_controls.Control(ControlIdsOf(view.id).input) != control) continue;
      AppendCopyAsMenu(opened, [this, &view](CopyFormat format) {
        return CopyAsText(format, view, m_views.value);
      });
    }
  });
}

void BitvaneDlg::BindControls() {
  for (const ViewControlIds& ids : kViewControlIds) {
    auto* input = qobject_cast<QLineEdit*>(m_controls.Control(ids.input));
    if (input == nullptr) continue;
    const ControlRef line = InputOf(ids.view);
    connect(input, &QLineEdit::textChanged, this, [this, line] { m_views.OnInputChanged(line); });
  }
  for (const SwapButtonId& swap : kSwapButtonIds) {
    auto* button = qobject_cast<QPushButton*>(m_controls.Control(swap.button));
    if (button == nullptr) continue;
    const SwapId id = swap.swap;
    connect(button, &QPushButton::clicked, this, [this, id] { m_views.OnSwap(id); });
  }
  if (auto* cancel = qobject_cast<QPushButton*>(m_controls.Control(kCancelId))) {
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  }
  if (auto* formats = qobject_cast<QPushButton*>(m_controls.Control(kFormatsId)))
    connect(formats, &QPushButton::clicked, this, &BitvaneDlg::OnFormats);
}

void BitvaneDlg::OnFormats() {
  {  // gone before the views are rewritten: its sample box shares the status line's id
    BitvaneFmtDlg dialog(&m_doubleFormats, &m_singleFormats, this);
    dialog.exec();
  }
  m_views.RefreshViews();
  m_views.ShowStatus();
}

void BitvaneDlg::OnWindowCommand(int command) {
  if (command == kDarkThemeCommand)
    ApplyTheme(!m_views.darkTheme);
  else if (command == kAboutCommand)
    emit aboutRequested();
}

void BitvaneDlg::showEvent(QShowEvent* event) {
  if (!m_initialised) {
    m_initialised = true;
    InitDialog();
  }
  QDialog::showEvent(event);
}

void BitvaneDlg::InitDialog() {
  SetWindowIcons(this);
  ApplyInputFont();
  m_colorHook.Attach(this);
  ApplyTheme(m_views.darkTheme);
  m_views.RefreshViews();
  m_views.ShowStatus();
  SetInitialFocus(this, MainDialogTemplate());
}

void BitvaneDlg::ApplyInputFont() {
  // The dialog font, enlarged by the height inside the byte #0 input's frame over that
  // inside the status line's (20 and 12 dialog units, less the frames).
  FontSpec font;
  const QWidget* byte0 = m_controls.Control(ControlIdsOf(ViewId::Byte0).input);
  const QWidget* status = m_controls.Control(kStatusLineId);
  if (!FromWindowFont(font, this) || byte0 == nullptr || status == nullptr) return;
  const int statusHeight = ClientHeight(status);
  if (statusHeight <= 0) return;
  font.size = font.size * ClientHeight(byte0) / statusHeight;
  for (int id : kInputEditList) {
    if (QWidget* input = m_controls.Control(id)) (void)CreateFontFor(input, font);
  }
}

void BitvaneDlg::ApplyTheme(bool dark) {
  m_views.darkTheme = dark;
  bitvane::ApplyTheme(this, m_colorHook, dark);
}

}  // namespace bitvane
