#include "ui/system_theme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>

namespace bitvane {

namespace {

constexpr char kDisabledBus[] = "disabled:";

}  // namespace

// Connecting without an address would make the bus library try to start a bus of
// its own; only a bus that is already there is asked.
bool SessionBusAdvertised() {
  const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
  if (!address.isEmpty()) return address != kDisabledBus;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo(QDir(runtime).filePath(QStringLiteral("bus"))).exists();
}

void DisableBusAutolaunch() {
  if (!SessionBusAdvertised()) qputenv("DBUS_SESSION_BUS_ADDRESS", kDisabledBus);
}

bool PrefersDarkFromReply(const QVariant& reply) {
  QVariant value = reply;
  for (int depth = 0; depth < 4 && value.canConvert<QDBusVariant>() &&
                      value.metaType() == QMetaType::fromType<QDBusVariant>();
       ++depth) {
    value = value.value<QDBusVariant>().variant();
  }
  bool ok = false;
  const uint scheme = value.toUInt(&ok);
  return ok && scheme == 1;
}

bool SystemPrefersDark(int timeoutMs) {
  if (!SessionBusAdvertised()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"),
      QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
  call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
  // A portal that is not running answers nothing now; starting it would hold the window
  // back until the timeout.
  call.setAutoStartService(false);
  const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return PrefersDarkFromReply(reply.arguments().first());
}

}  // namespace bitvane
