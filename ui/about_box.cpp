#include "ui/about_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <algorithm>

#include "about/own_version_info.h"
#include "foundation/font_spec.h"
#include "res/dialog_template.h"
#include "res/revision_banner.h"
#include "ui/bitvane_dlg.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"
#include "ui/dlg_ctrl_resizer.h"
#include "ui/font_spec_qt.h"
#include "ui/icon_pool.h"
#include "ui/owner_button.h"
#include "ui/qt_colors.h"

namespace bitvane {

namespace {

constexpr int kShownIconNumber = 128, kAboutIconNumber = 129;
constexpr int kLightBanner = 130, kDarkBanner = 131;
constexpr int kMinTextHeight = 64;
constexpr ColorRef kDarkFace = 0x333333, kDarkText = 0xCCCCCC;

QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

ColorRef Resolved(ColorRef color, QPalette::ColorRole role) {
  return IsDefaultColor(color) ? FromQColor(QApplication::palette().color(role)) : color;
}

int IconSize(QStyle::PixelMetric metric) {
  return QApplication::style()->pixelMetric(metric);
}

}  // namespace

AboutBox::AboutBox(AboutBoxOptions options, QWidget* parent)
    : QDialog(parent), m_options(std::move(options)) {
  AboutBoxOptions& o = m_options;
  o.BackColor = Resolved(o.BackColor, QPalette::Button);
  o.FaceColor = Resolved(o.FaceColor, QPalette::Button);
  o.TextColor = Resolved(o.TextColor, QPalette::ButtonText);
  const int large = IconSize(QStyle::PM_LargeIconSize), small = IconSize(QStyle::PM_SmallIconSize);
  if (o.BigIcon.isNull()) o.BigIcon = NIconPool::GetIcon(kShownIconNumber, large, large);
  if (o.SmallIcon.isNull()) o.SmallIcon = NIconPool::GetIcon(kShownIconNumber, small, small);
  if (o.ShownIcon.isNull()) o.ShownIcon = o.BigIcon;
  if (o.Text.empty()) {
    const std::u16string callerTitle = o.Title;
    FillFromVersion(o, o.Source, o.BuildTimeText, o.ExtraText);
    if (!callerTitle.empty()) o.Title = callerTitle;
  }

  BuildDialogFromTemplate(this, AboutBoxTemplate());
  m_text = qobject_cast<QTextEdit*>(FindControl(this, kAboutTextId));
  m_picture = qobject_cast<QLabel*>(FindControl(this, kAboutPictureId));
  m_ok = qobject_cast<OwnerButton*>(FindControl(this, 1));

  QIcon windowIcon;
  for (const QImage& image : {o.BigIcon, o.SmallIcon})
    if (!image.isNull()) windowIcon.addPixmap(QPixmap::fromImage(image));
  setWindowIcon(windowIcon);
  // An icon picture takes its icon's size, as the layout expects.
  if (!o.ShownIcon.isNull()) {
    m_picture->setPixmap(QPixmap::fromImage(o.ShownIcon));
    m_picture->resize(o.ShownIcon.size());
  }
  if (!o.ExtraImage.isNull()) {
    m_banner = new QLabel(this);
    SetControlId(m_banner, kAboutBannerId);
    m_banner->setPixmap(QPixmap::fromImage(o.ExtraImage));
    m_banner->resize(o.ExtraImage.size());
  }
  m_more = new OwnerButton(QStringLiteral("&More..."), this);
  SetControlId(m_more, kAboutMoreId);
  m_more->setAutoDefault(false);
  m_more->setVisible(static_cast<bool>(o.OnMore));

  for (OwnerButton* button : {m_ok, m_more}) {
    button->SetFaceColor(o.FaceColor);
    button->SetTextColor(o.TextColor);
  }
  QPalette colours = palette();
  colours.setColor(QPalette::Window, ToQColor(o.BackColor));
  colours.setColor(QPalette::WindowText, ToQColor(o.TextColor));
  colours.setColor(QPalette::Base, ToQColor(o.FaceColor));
  colours.setColor(QPalette::Text, ToQColor(o.TextColor));
  colours.setColor(QPalette::Button, ToQColor(o.FaceColor));
  colours.setColor(QPalette::ButtonText, ToQColor(o.TextColor));
  setPalette(colours);
  setAutoFillBackground(true);

  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_more, &QPushButton::clicked, this, [this] {
    if (m_options.OnMore)
      m_options.OnMore(this, QRect(m_more->mapToGlobal(QPoint(0, 0)), m_more->size()));
  });

  setWindowTitle(ToQString(o.Title));
  m_resizer = std::make_unique<DlgCtrlResizer>(this);
  LayoutAboutBox();
  SetInitialFocus(this, AboutBoxTemplate());
}

AboutBox::~AboutBox() = default;

void AboutBox::LayoutAboutBox() {
  m_resizer->Detach();
  m_resizer->ClearControls();
  const bool centred = (m_options.Flags & kAboutCentred) != 0;
  const bool banner = m_banner != nullptr;
  const std::uint32_t buttons =
      centred && !banner && !m_options.OnMore ? 0x2040Fu : 15u;  // centred: stays centred
  const ControlAnchor anchors[] = {{kAboutMoreId, buttons},
                                   {1, buttons},
                                   {kAboutPictureId, centred ? 0x20403u : 3u},
                                   {kAboutTextId, 10u},
                                   {banner ? kAboutBannerId : 0, 12u},
                                   {0, 0}};

  // The font: the options' text form, else the dialog's own.
  m_text->setFont(font());
  FontSpec textFont;
  if (!m_options.FontText.empty() && textFont.FromText(m_options.FontText))
    (void)CreateFontFor(m_text, textFont);

  const QString text =
      ToQString(m_options.Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QStringList lines = text.split(u'\n');
  const QFontMetrics metrics(m_text->font());
  int textWidth = 0, lineHeight = 8, textHeight = 0;
  for (const QString& line : lines) {
    textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    lineHeight = std::max(lineHeight, metrics.height());
    textHeight += metrics.height();
  }
  const bool scrolls =
      m_options.MaxLines != 0 && m_options.MaxLines < static_cast<std::uint32_t>(lines.size());
  if (scrolls) {
    textHeight = static_cast<int>(m_options.MaxLines) * lineHeight;
    textWidth += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_text);
  }
  const int tw = textWidth + lineHeight, th = std::max(textHeight + lineHeight, kMinTextHeight);

  const QSize icon = m_picture->size(), ok = m_ok->size();
  const QSize extra = banner ? m_banner->size() : QSize(0, 0);
  int cw = 0, ch = 0;
  QPoint textAt, iconAt, okAt;
  if (centred) {
    cw = std::max(tw, std::max(icon.width(), ok.width()) + 16);
    ch = icon.height() + th + std::max(ok.height(), extra.height()) + 32;
    iconAt = QPoint((cw - icon.width()) / 2, 8);
    textAt = QPoint(0, icon.height() + 16);
    okAt = QPoint(banner ? cw - ok.width() - 8 : (cw - ok.width()) / 2, ch - ok.height() - 8);
  } else {
    cw = std::max(extra.width(), tw) + 24 + std::max(icon.width(), ok.width());
    ch = banner ? std::max(ok.height(), extra.height()) + 24 + std::max(icon.height(), th)
                : std::max(icon.height() + 8 + ok.height(), th) + 16;
    textAt = QPoint(8, 8);
    iconAt = QPoint((tw + 8 + cw - icon.width()) / 2, 8);
    okAt = QPoint(cw - ok.width() - 8, ch - ok.height() - 8);
  }
  // The centred arrangement shows the text as part of the face, without a frame.
  m_text->setFrameShape(centred ? QFrame::NoFrame : QFrame::StyledPanel);
  QTextOption textOption = m_text->document()->defaultTextOption();  // keeps its wrap mode
  textOption.setAlignment(centred ? Qt::AlignHCenter : Qt::AlignLeft);
  m_text->document()->setDefaultTextOption(textOption);
  m_text->setPlainText(text);

  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  resize(cw, ch);
  m_picture->move(iconAt);
  m_text->setGeometry(QRect(textAt, QSize(tw, th)));
  m_ok->move(okAt);
  m_more->setGeometry(okAt.x() - ok.width() - 8, okAt.y(), ok.width(), ok.height());
  if (banner) m_banner->move(8, ch - extra.height() - 8);
  m_text->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

  (void)m_resizer->AddControls(anchors);
  (void)m_resizer->CaptureMinimumSize();
  (void)m_resizer->Attach(this);
}

AboutBoxOptions MainWindowAboutOptions(bool dark) {
  AboutBoxOptions options;
  static_cast<AboutOptions&>(options) = AboutOptions::Default();
  options.Source = &OwnVersionInfo();
  options.Flags |= kAboutMainWindowFlags;
  if (dark) {
    options.BackColor = options.FaceColor = kDarkFace;
    options.TextColor = kDarkText;
  } else {
    const QPalette system = QApplication::palette();
    options.BackColor = options.FaceColor = FromQColor(system.color(QPalette::Button));
    options.TextColor = FromQColor(system.color(QPalette::ButtonText));
  }
  const int large = IconSize(QStyle::PM_LargeIconSize), small = IconSize(QStyle::PM_SmallIconSize);
  options.BigIcon = NIconPool::GetIcon(kAboutIconNumber, large, large);
  options.SmallIcon = NIconPool::GetIcon(kAboutIconNumber, small, small);
  options.ShownIcon = NIconPool::GetIcon(kShownIconNumber, 256, 256);
  options.ExtraImage = NIconPool::GetIcon(dark ? kDarkBanner : kLightBanner, 240, 48);
  FontSpec font;
  if (FromIconTitleFont(font)) options.FontText = font.ToText();
  options.ExtraText = std::u16string(RevisionBanner());
  return options;
}

std::unique_ptr<AboutBox> MakeMainWindowAbout(QWidget* parent, bool dark) {
  return std::make_unique<AboutBox>(MainWindowAboutOptions(dark), parent);
}

void OpenAboutOnRequest(BitvaneDlg& dialog) {
  QObject::connect(&dialog, &BitvaneDlg::aboutRequested, &dialog,
                   [&dialog] { MakeMainWindowAbout(&dialog, dialog.DarkTheme())->exec(); });
}

}  // namespace bitvane
