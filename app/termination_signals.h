#pragma once
// SIGTERM, SIGINT and SIGHUP as a Qt signal: the handler only writes the signal's number
// into a pipe, and the event loop reads it, so that the program can close its window and
// save its settings as after any other close.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace bitvane {

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; the previous ones come back when the object goes.
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

  // The last signal that arrived, 0 for none.
  [[nodiscard]] int Received() const noexcept { return m_received; }

 signals:
  void terminationRequested(int signalNumber);

 private:
  void ReadPipe();

  std::unique_ptr<QSocketNotifier> m_notifier;
  int m_received = 0;
};

}  // namespace bitvane
