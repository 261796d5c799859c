#pragma once
// Waiting for a window in the widget benchmarks without sleeping, so that the time
// measured is the work done and nothing else.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

namespace bitvane::bench {

inline constexpr qint64 kWaitLimitMs = 5000;

// Processes events until the window is exposed (its first paint done); false after
// kWaitLimitMs.
inline bool WaitExposed(QWidget& widget) {
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    const QWindow* window = widget.windowHandle();
    if (window != nullptr && window->isExposed()) return true;
    if (timer.elapsed() > kWaitLimitMs) return false;
    QCoreApplication::processEvents();
  }
}

}  // namespace bitvane::bench
