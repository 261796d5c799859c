#pragma once
// The About box: the program's icon, a read-only text about it (built from a version
// resource unless given), OK and a "&More..." button shown only with a handler. Its
// controls come from an in-memory template and are laid out in pixels around the text.

#include <QDialog>
#include <QImage>
#include <QRect>
#include <functional>
#include <memory>

#include "about/about_text.h"
#include "core/status_colors.h"

class QLabel;
class QTextEdit;

namespace bitvane {

class BitvaneDlg;
class DlgCtrlResizer;
class OwnerButton;

inline constexpr int kAboutTextId = 1007, kAboutPictureId = 1029, kAboutBannerId = 1030,
                     kAboutMoreId = 1031;

// The window-side options over the window-free ones. Default colours (kDefaultColor)
// take the palette's button face and text; null images take icon 128.
struct AboutBoxOptions : AboutOptions {
  ColorRef BackColor = kDefaultColor;
  ColorRef FaceColor = kDefaultColor;  // text box and buttons
  ColorRef TextColor = kDefaultColor;
  QImage BigIcon, SmallIcon;  // the window's icons
  QImage ShownIcon;           // in the picture; null: BigIcon
  QImage ExtraImage;          // a banner bottom left; null: none
  // Called with the box and the button's rectangle on screen; null hides "&More...".
  std::function<void(QDialog*, QRect)> OnMore;
};

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(AboutBoxOptions options, QWidget* parent = nullptr);
  ~AboutBox() override;

  [[nodiscard]] const AboutBoxOptions& Options() const noexcept { return m_options; }
  [[nodiscard]] QTextEdit* TextBox() const noexcept { return m_text; }

  // Places the controls around the text's measures, in the centred or the two-column
  // arrangement, and registers them with the resizer again.
  void LayoutAboutBox();

 private:
  AboutBoxOptions m_options;
  std::unique_ptr<DlgCtrlResizer> m_resizer;
  QTextEdit* m_text = nullptr;
  QLabel* m_picture = nullptr;
  QLabel* m_banner = nullptr;  // only with an ExtraImage
  OwnerButton* m_ok = nullptr;
  OwnerButton* m_more = nullptr;
};

// The box as the main window opens it: its own version information without the company
// line, centred, the theme's colours and banner, icon 129 on the window and the desktop's
// icon-title font.
[[nodiscard]] AboutBoxOptions MainWindowAboutOptions(bool dark);
[[nodiscard]] std::unique_ptr<AboutBox> MakeMainWindowAbout(QWidget* parent, bool dark);

// Opens that box, modal and in the window's theme of the moment, whenever `dialog` asks.
void OpenAboutOnRequest(BitvaneDlg& dialog);

}  // namespace bitvane
