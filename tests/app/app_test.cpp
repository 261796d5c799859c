// The program's life: the integrity stamp and its check, the real executable refusing an
// altered copy of itself, and settings that survive runs however the window closed.
#include <csignal>

#include "app/bitvane_app.h"
#include "app/integrity.h"
#include "platform/registry.h"
#include "tests/ui/ui_test.h"
#include "ui/bitvane_dlg.h"
#include "ui/control_ids.h"
#include "ui/icon_pool.h"

namespace bitvane {
namespace {

const QByteArray kTag(reinterpret_cast<const char*>(kIntegrityTag), kIntegrityTagBytes);

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
         file.setPermissions(file.permissions() | QFile::ExeOwner);
}

}  // namespace

class IntegrityTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;
  QString Path(const QString& name) const { return m_dir.filePath(name); }
  IntegrityResult Check(const QString& path) const {
    return CheckFileIntegrity(path.toStdString(), std::span(kIntegrityTag));
  }

 private slots:
  // A stamp holds until any byte changes; files without one whole, single slot are refused.
  void stampHoldsUntilAByteChanges() {
    const QByteArray junk = QByteArray(3000, 'x').replace(7, 5, "abcde"),
                     slot = kTag + QByteArray(8, '\0');
    std::string error;
    QVERIFY(WriteAll(Path("good"), junk + slot + junk));
    QCOMPARE(Check(Path("good")), IntegrityResult::NotStamped);
    QVERIFY(StampFileIntegrity(Path("good").toStdString(), error));
    QCOMPARE(Check(Path("good")), IntegrityResult::Intact);
    const QByteArray stamped = ReadAll(Path("good"));
    const int slotAt = stamped.indexOf(kTag);
    const struct {
      int at;
      IntegrityResult result;
    } flips[] = {{0, IntegrityResult::Altered},
                 {slotAt - 1, IntegrityResult::Altered},
                 {slotAt + 3, IntegrityResult::NoSlot},
                 {slotAt + 16, IntegrityResult::NotStamped},
                 {slotAt + 23, IntegrityResult::Altered},
                 {int(stamped.size()) - 1, IntegrityResult::Altered}};
    for (const auto& flip : flips) {
      BITVANE_ROW(QString::number(flip.at));
      QByteArray copy = stamped;
      copy[flip.at] = char(copy[flip.at] ^ 0x10);
      QVERIFY(WriteAll(Path("flipped"), copy));
      QCOMPARE(Check(Path("flipped")), flip.result);
    }
    for (const QByteArray& bad : {junk + slot + slot, junk + kTag + QByteArray(7, '\0'), junk}) {
      QVERIFY(WriteAll(Path("bad"), bad));
      QVERIFY(!StampFileIntegrity(Path("bad").toStdString(), error));
      QCOMPARE(Check(Path("bad")), IntegrityResult::NoSlot);
    }
    QCOMPARE(Check(Path("missing")), IntegrityResult::Unreadable);
    QVERIFY(!StampFileIntegrity(Path("missing").toStdString(), error));
  }

  // The real program: a copy elsewhere starts (and a run without changes writes no
  // settings); a copy with one byte changed in code, data or version resource refuses.
  void programRefusesAnAlteredCopy() {
    const QByteArray program = ReadAll(QStringLiteral(BITVANE_EXECUTABLE));
    const qint64 version =
        program.indexOf(QByteArray(reinterpret_cast<const char*>(u"VS_VERSION_INFO"), 30));
    // Unchanged; then one byte changed in the file's header (padding the loader skips), in
    // the version resource, at the end. A change in code that runs before the check could
    // crash the program before it can warn, so none is made there.
    const qint64 offsets[] = {-1, 9, version + 40, program.size() - 1};
    for (const qint64 offset : offsets) {
      BITVANE_ROW(QString::number(offset));
      QByteArray copy = program;
      if (offset >= 0) copy[offset] = char(copy[offset] ^ 1);
      QVERIFY(WriteAll(Path("bitvane"), copy));
      QProcess run;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("XDG_CONFIG_HOME", Path("config"));
      environment.insert("BITVANE_AUTOCLOSE_MS", "100");
      run.setProcessEnvironment(environment);
      run.start(Path("bitvane"));
      QVERIFY(run.waitForFinished(60000));
      QCOMPARE(run.exitCode(), offset < 0 ? 0 : BitvaneApp::kAlteredStatus);
      QCOMPARE(run.readAllStandardError().contains("has been altered"), offset >= 0);
      QVERIFY(!QFileInfo::exists(Path("config")));
    }
  }
};
BITVANE_UI_TEST(IntegrityTest)

class AppRunTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;
  QString Hive() const { return m_dir.filePath("registry.sqlite3"); }

  // One run of the window: `act` gets the shown dialog and must close it.
  static int Run(const std::function<void(BitvaneDlg&)>& act) {
    QTimer::singleShot(0, [&] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<BitvaneDlg*>(window); dialog && dialog->isVisible())
          act(*dialog);
      }
    });
    QTimer guard;  // a window that never closes fails the test instead of hanging it
    QObject::connect(&guard, &QTimer::timeout, [] { QApplication::closeAllWindows(); });
    guard.start(20000);
    return BitvaneApp::RunMainWindow(u"bitvane-test");
  }
  static void TypeByte0(BitvaneDlg& dialog, int value) {
    QWidget* line = FindControl(&dialog, 1017);
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(line, QString::number(value));
  }
  // The value the window shows at its next start; ~0 when that run fails.
  static quint64 ValueAtNextStart() {
    quint64 shown = ~quint64{0};
    const int status = Run([&](BitvaneDlg& dialog) {
      shown = dialog.Value().ToU64();
      dialog.close();
    });
    return status == 0 ? shown : ~quint64{0};
  }

 private slots:
  void init() { SetRegistryHivePath(Hive().toStdString()); }
  void cleanup() { SetRegistryHivePath({}); }

  // The value typed is shown at the next start, whichever way the window closed; a run
  // without changes writes nothing, and a damaged store is kept until the next save. A run
  // binds the icon pool to the program's icons and leaves the signals as it found them.
  void valueSurvivesEveryWayOfClosing() {
    QCOMPARE(BitvaneApp::AppName(), u"app_test");
    NIconPool::Rebind(m_dir.path());
    struct sigaction before = {}, after = {};
    sigaction(SIGTERM, nullptr, &before);
    QCOMPARE(Run([](BitvaneDlg& dialog) { dialog.close(); }), 0);
    QVERIFY(!QFileInfo::exists(Hive()));
    QCOMPARE(NIconPool::Module(), ProgramResourceModule());
    sigaction(SIGTERM, nullptr, &after);
    QVERIFY(after.sa_handler == before.sa_handler);
    const std::vector<std::pair<const char*, std::function<void(BitvaneDlg&)>>> ways = {
        {"Escape", [](BitvaneDlg& d) { QTest::keyClick(FindControl(&d, 1017), Qt::Key_Escape); }},
        {"Cancel", [](BitvaneDlg& d) { qobject_cast<QPushButton*>(FindControl(&d, 2))->click(); }},
        {"close box", [](BitvaneDlg& d) { d.close(); }},
        {"SIGTERM", [](BitvaneDlg&) { std::raise(SIGTERM); }}};
    for (int i = 0; i < int(ways.size()); ++i) {
      BITVANE_ROW(ways[i].first);
      QCOMPARE(Run([&](BitvaneDlg& dialog) {
                 TypeByte0(dialog, i + 1);
                 ways[i].second(dialog);
               }),
               i == 3 ? 128 + SIGTERM : 0);
      QCOMPARE(ValueAtNextStart(), quint64(i + 1));
    }
    QVERIFY(WriteAll(Hive(), "not a database"));
    QCOMPARE(ValueAtNextStart(), 0u);
    QCOMPARE(ReadAll(Hive()), QByteArray("not a database"));
    QCOMPARE(Run([](BitvaneDlg& dialog) {
               TypeByte0(dialog, 9);
               dialog.close();
             }),
             0);
    QCOMPARE(ValueAtNextStart(), 9u);
  }

  // The theme and the format lists come back too, and a stored dark theme starts dark.
  void themeAndFormatsSurvive() {
    QCOMPARE(Run([](BitvaneDlg& dialog) {
               dialog.DarkTheme() = true;
               dialog.DoubleFormats().SplitAt(u"%.17g,%a", {u","});
               dialog.close();
             }),
             0);
    bool dark = false;
    QString formats;
    QCOMPARE(Run([&](BitvaneDlg& dialog) {
               dark = dialog.DarkTheme() &&
                      FindControl(&dialog, 1017)->palette().color(QPalette::Base).lightness() < 128;
               formats = QString::fromStdU16String(dialog.DoubleFormats().ToCsv());
               dialog.close();
             }),
             0);
    QVERIFY(dark);
    QCOMPARE(formats, QStringLiteral("%.17g,%a"));
  }
};
BITVANE_UI_TEST(AppRunTest)

}  // namespace bitvane

#include "app_test.moc"
