#pragma once
// Hooks a window's handling of a few events with virtual Before and After steps around
// the window's own handling, as an event filter installed on the window.
//
// What a subclass sees, out of Qt's events:
//   Resize             a QResizeEvent (the size has already changed);
//   StateChange        a QEvent::WindowStateChange (minimised, maximised, restored);
//   Destroy            the window's destroyed() signal; there is no event, Before's
//                      answer is ignored and After is not called, as nothing of the
//                      window is left to handle it. OnWindowDestroyed follows, then
//                      the subclass detaches itself.
// Other events pass the filter untouched. For the two events, the filter hands the
// event to the window's own event() itself, so that After runs once the window has
// handled it; filters installed on the window before this one do not see them.
//
// A callback may destroy the object it runs for: the destructor marks the running
// callback's guard, and the callback then touches nothing of the object again.

#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <atomic>

#include "foundation/class_info.h"
#include "foundation/non_copyable.h"

namespace bitvane {

enum class SubclassMessage { Resize, StateChange, Destroy };

class NWndSubclass : public QObject, public NClassInfo, private NNonCopyable {
  Q_OBJECT

 public:
  // The plain callbacks used by the default Before and After; `event` is null for
  // Destroy. Before returns true when it has fully handled the event.
  using BeforeFn = bool (*)(void* context, SubclassMessage message, QEvent* event);
  using AfterFn = void (*)(void* context, SubclassMessage message, QEvent* event);

  explicit NWndSubclass(QObject* parent = nullptr);
  ~NWndSubclass() override;

  [[nodiscard]] const NClassRecord& ClassRecord() const noexcept override;
  [[nodiscard]] static const NClassRecord& StaticRecord() noexcept;

  // Detaches first, then hooks `window` and calls OnAttach. False with last error 87
  // for a null window, 1400 when the window lives on another thread.
  [[nodiscard]] bool Attach(QWidget* window);
  // Calls OnDetach and unhooks the window; nothing when detached. The destructor
  // detaches too, but runs the base OnDetach only.
  void Detach();

  [[nodiscard]] QWidget* Window() const noexcept { return m_window.load(); }
  void SetCallbacks(void* context, BeforeFn before, AfterFn after) noexcept;

 protected:
  virtual bool Before(SubclassMessage message, QEvent* event);
  virtual void After(SubclassMessage message, QEvent* event);
  virtual void OnDetach() {}
  virtual void OnAttach() {}
  // On the window's destruction, before the automatic detach.
  virtual void OnWindowDestroyed() {}

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Lives on the stack of the outermost running callback; `object` is cleared by the
  // destructor, so the callbacks learn that the object is gone without touching it.
  struct LiveMarker {
    NWndSubclass* object;
  };
  // The running callback's marker: ours (claimed) or an outer callback's.
  [[nodiscard]] LiveMarker* ClaimGuard(LiveMarker& own) noexcept;
  // Static: no member function may be called on an object that has gone.
  static void ReleaseGuard(LiveMarker* guard, LiveMarker& own) noexcept;
  [[nodiscard]] bool UsableFor(const QObject* window) const noexcept;
  void OnWindowGone(QObject* window);

  std::atomic<QWidget*> m_window{nullptr};
  std::atomic<LiveMarker*> m_guard{nullptr};
  void* m_context = nullptr;
  BeforeFn m_before = nullptr;
  AfterFn m_after = nullptr;
  QMetaObject::Connection m_windowDestroyed;
};

}  // namespace bitvane
