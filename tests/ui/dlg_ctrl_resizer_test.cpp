#include "ui/dlg_ctrl_resizer.h"

#include "platform/last_error.h"
#include "tests/ui/ui_test.h"
#include "ui/control_ids.h"

namespace bitvane {
namespace {

constexpr int kIds[] = {101, 102, 103, 104};  // 104 sits inside a group box
constexpr QSize kStart(200, 100);
constexpr std::uint32_t kHalfSideways =
    kAnchorLeft | kAnchorRight | 64u << kLeftShareShift | 64u << kRightShareShift;
using Rects = std::array<QRect, 4>;

class DlgCtrlResizerTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QDialog> m_dialog;
  std::unique_ptr<DlgCtrlResizer> m_resizer;

  // Every control's rectangle in the dialog's client coordinates.
  Rects Controls() {
    Rects rects;
    for (int i = 0; i < 4; ++i) {
      QWidget* control = FindControl(m_dialog.get(), kIds[i]);
      rects[i] = QRect(control->mapTo(m_dialog.get(), QPoint(0, 0)), control->size());
    }
    return rects;
  }
  void Resize(QSize size) {
    m_dialog->resize(size);
    QCoreApplication::processEvents();
  }
  bool Register(std::uint32_t layout) {
    const ControlAnchor table[] = {
        {kIds[0], layout}, {kIds[1], layout}, {kIds[2], layout}, {kIds[3], layout}, {0, 0}};
    return m_resizer->Attach(m_dialog.get()) && m_resizer->AddControls(table);
  }

 private slots:
  void init() {
    m_dialog = std::make_unique<QDialog>();
    auto* group = new QGroupBox(m_dialog.get());
    group->setGeometry(120, 5, 75, 60);
    const QRect rects[] = {{10, 10, 40, 20}, {81, 40, 37, 20}, {10, 70, 51, 21}, {7, 9, 33, 13}};
    for (int i = 0; i < 4; ++i) {
      auto* control = new QLabel(i < 3 ? static_cast<QWidget*>(m_dialog.get()) : group);
      control->setGeometry(rects[i]);
      SetControlId(control, kIds[i]);
    }
    m_dialog->resize(kStart);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    m_resizer = std::make_unique<DlgCtrlResizer>();
  }
  void cleanup() {
    m_resizer.reset();
    m_dialog.reset();
  }

  // A table registers up to its first failure: a duplicate or a missing id.
  void tables() {
    const ControlAnchor good[] = {{101, 0}, {102, 3}, {104, 10}, {0, 0}};
    const ControlAnchor duplicate[] = {{101, 0}, {101, 3}, {102, 0}, {0, 0}};
    const ControlAnchor missing[] = {{101, 0}, {999, 0}, {102, 0}, {0, 0}};
    const std::tuple<const ControlAnchor*, bool, std::uint32_t> rows[] = {
        {good, true, 3}, {duplicate, false, 1}, {missing, false, 1}};
    for (const auto& [table, result, count] : rows) {
      BITVANE_ROW(QString::number(count));
      DlgCtrlResizer resizer;
      QVERIFY(resizer.Attach(m_dialog.get()));
      QCOMPARE(resizer.AddControls(table), result);
      QCOMPARE(resizer.ControlCount(), count);
    }
  }

  // Each edge moves by its share of the size change, truncated; a clear bit never moves.
  void layoutWords() {
    const struct {
      const char* label;
      std::uint32_t layout;
      QSize size;
      QMargins moved;  // how far the left, top, right and bottom edges move
    } rows[] = {
        {"word 0", 0, {331, 257}, {}},
        {"half sideways, 50.5", kHalfSideways, {301, 100}, {50, 0, 50, 0}},
        {"with the right border", kAnchorLeft | kAnchorRight, {251, 130}, {51, 0, 51, 0}},
        {"grows", kAnchorRight | kAnchorBottom, {251, 130}, {0, 0, 51, 30}},
        {"bottom by 43/128, 20.49",
         kAnchorBottom | 43u << kBottomShareShift,
         {200, 161},
         {0, 0, 0, 20}},
    };
    for (const auto& row : rows) {
      BITVANE_ROW(row.label);
      init();
      Rects expected = Controls();
      for (QRect& rect : expected)
        rect.adjust(row.moved.left(), row.moved.top(), row.moved.right(), row.moved.bottom());
      QVERIFY(Register(row.layout));
      Resize(row.size);
      QCOMPARE(m_dialog->size(), row.size);
      QCOMPARE(Controls(), expected);
      cleanup();
    }
  }

  // Never smaller than at registration; larger without limit unless a maximum is set.
  void minimumSize() {
    QVERIFY(Register(kHalfSideways) && m_resizer->CaptureMinimumSize());
    const std::pair<QSize, QSize> rows[] = {
        {{150, 60}, kStart}, {{150, 140}, {200, 140}}, {{900, 700}, {900, 700}}};
    for (const auto& [asked, got] : rows) {
      BITVANE_ROW(QString("%1x%2").arg(asked.width()).arg(asked.height()));
      Resize(asked);
      QCOMPARE(m_dialog->size(), got);
    }
    m_resizer->SetMaximumSize(300, 0);
    Resize({900, 700});
    QCOMPARE(m_dialog->size(), QSize(300, 700));
    m_resizer->ClearControls();
    Resize({150, 60});
    QCOMPARE(m_dialog->size(), QSize(150, 60));
  }

  // Nothing moves while minimised; the restore lays out from the registered rectangles,
  // so many odd sizes leave no rounding behind.
  void minimiseAndRestore() {
    const Rects registered = Controls();
    QVERIFY(Register(kHalfSideways | kAnchorBottom | 85u << kBottomShareShift));
    for (int step = 1; step <= 25; ++step) Resize({263 - step * 7 % 13, 141 - step * 5 % 11});
    const Rects shown = Controls();
    m_dialog->showMinimized();
    QVERIFY(m_dialog->isMinimized());
    Resize(kStart);
    QCOMPARE(Controls(), shown);
    m_dialog->showNormal();
    QCoreApplication::processEvents();
    QCOMPARE(Controls(), registered);
  }

  // The dialog's destruction leaves the placement text, forgets the controls, detaches.
  void placementOnDestruction() {
    QString text = QStringLiteral("old");
    QVERIFY(Register(0));
    m_resizer->SetPlacementText(&text);
    Resize({240, 130});
    const QPoint at = m_dialog->normalGeometry().topLeft();
    m_dialog.reset();
    QCOMPARE(text, QString::asprintf("0,1,-1,-1,-1,-1,%d,%d,%d,%d", at.x(), at.y(), at.x() + 240,
                                     at.y() + 130));
    QVERIFY(m_resizer->ControlCount() == 0 && m_resizer->Window() == nullptr);
    SetLastError(ERROR_SUCCESS);
    QVERIFY(!m_resizer->Attach(nullptr) && GetLastError() == ERROR_INVALID_PARAMETER);
  }

  // A callback that deletes its own object, maybe from inside a nested resize: nothing
  // of the object is touched afterwards (ASan would see it) and the window goes on.
  void callbackDeletesItsObject() {
    struct Victim {
      NWndSubclass* object;
      SubclassMessage when;
      bool inBefore;
      int nested;  // resizes the callback sends, one inside the other, before deleting
      static void Hit(void* context, SubclassMessage message, bool inBefore) {
        auto& v = *static_cast<Victim*>(context);
        if (message != v.when || inBefore != v.inBefore || v.object == nullptr) return;
        if (v.nested-- > 0)
          return v.object->Window()->resize(v.object->Window()->size() + QSize(1, 1));
        delete std::exchange(v.object, nullptr);
      }
    };
    const struct {
      const char* label;
      Victim victim;
    } rows[] = {{"before a resize", {nullptr, SubclassMessage::Resize, true, 0}},
                {"after a resize", {nullptr, SubclassMessage::Resize, false, 0}},
                {"nested, after", {nullptr, SubclassMessage::Resize, false, 2}},
                {"before a minimise", {nullptr, SubclassMessage::StateChange, true, 0}},
                {"on the destruction", {nullptr, SubclassMessage::Destroy, true, 0}}};
    for (const auto& row : rows) {
      BITVANE_ROW(row.label);
      init();
      Victim victim = row.victim;
      victim.object = new DlgCtrlResizer;
      QVERIFY(victim.object->Attach(m_dialog.get()));
      victim.object->SetCallbacks(
          &victim,
          [](void* v, SubclassMessage message, QEvent*) {
            return Victim::Hit(v, message, true), false;
          },
          [](void* v, SubclassMessage message, QEvent*) { Victim::Hit(v, message, false); });
      const int grown = row.victim.nested;
      if (victim.when == SubclassMessage::Destroy) m_dialog.reset();
      if (victim.when == SubclassMessage::StateChange) m_dialog->showMinimized();
      if (victim.when == SubclassMessage::Resize) Resize({250, 150});
      QVERIFY(victim.object == nullptr);
      if (m_dialog != nullptr && !m_dialog->isMinimized()) {
        QCOMPARE(m_dialog->size(), QSize(250 + grown, 150 + grown));
        Resize({222, 111});  // no filter left behind
      }
      cleanup();
    }
  }
};

}  // namespace
BITVANE_UI_TEST(DlgCtrlResizerTest)
}  // namespace bitvane

#include "dlg_ctrl_resizer_test.moc"
