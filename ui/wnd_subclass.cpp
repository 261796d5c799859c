#include "ui/wnd_subclass.h"

#include <QEvent>
#include <QThread>

#include "platform/last_error.h"

namespace bitvane {

NWndSubclass::NWndSubclass(QObject* parent) : QObject(parent) {}

NWndSubclass::~NWndSubclass() {
  // A callback further up the stack must not touch this object once it returns here.
  LiveMarker* guard = m_guard.load();
  if (guard != nullptr && guard->object == this) guard->object = nullptr;
  Detach();
}

const NClassRecord& NWndSubclass::StaticRecord() noexcept {
  static const NClassRecord record{sizeof(NWndSubclass), "NWndSubclass",
                                   &NClassInfo::StaticRecord()};
  return record;
}

const NClassRecord& NWndSubclass::ClassRecord() const noexcept {
  return StaticRecord();
}

bool NWndSubclass::Attach(QWidget* window) {
  Detach();
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Qt filters events only for objects of the filter's own thread.
  if (window->thread() != thread()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  window->installEventFilter(this);
  m_windowDestroyed =
      connect(window, &QObject::destroyed, this, [this](QObject* gone) { OnWindowGone(gone); });
  m_window.store(window);
  OnAttach();
  return true;
}

void NWndSubclass::Detach() {
  if (m_window.load() == nullptr) return;
  OnDetach();
  QWidget* window = m_window.exchange(nullptr);
  QObject::disconnect(m_windowDestroyed);
  if (window != nullptr) window->removeEventFilter(this);
}

void NWndSubclass::SetCallbacks(void* context, BeforeFn before, AfterFn after) noexcept {
  m_context = context;
  m_before = before;
  m_after = after;
}

bool NWndSubclass::Before(SubclassMessage message, QEvent* event) {
  return m_before != nullptr && m_before(m_context, message, event);
}

void NWndSubclass::After(SubclassMessage message, QEvent* event) {
  if (m_after != nullptr) m_after(m_context, message, event);
}

NWndSubclass::LiveMarker* NWndSubclass::ClaimGuard(LiveMarker& own) noexcept {
  LiveMarker* running = nullptr;
  return m_guard.compare_exchange_strong(running, &own) ? &own : running;
}

void NWndSubclass::ReleaseGuard(LiveMarker* guard, LiveMarker& own) noexcept {
  if (guard != &own || own.object == nullptr) return;  // not ours, or the object is gone
  LiveMarker* expected = &own;
  own.object->m_guard.compare_exchange_strong(expected, nullptr);
}

bool NWndSubclass::UsableFor(const QObject* window) const noexcept {
  return IsKindOf(this, StaticRecord()) && window != nullptr && m_window.load() == window;
}

bool NWndSubclass::eventFilter(QObject* watched, QEvent* event) {
  SubclassMessage message;
  if (event->type() == QEvent::Resize) {
    message = SubclassMessage::Resize;
  } else if (event->type() == QEvent::WindowStateChange) {
    message = SubclassMessage::StateChange;
  } else {
    return false;
  }
  if (!UsableFor(watched)) return false;

  LiveMarker own{this};
  LiveMarker* guard = ClaimGuard(own);
  if (Before(message, event)) {
    ReleaseGuard(guard, own);
    return true;
  }
  // Gone or detached: the window still gets its event, through Qt.
  if (guard->object == nullptr || !UsableFor(watched)) {
    ReleaseGuard(guard, own);
    return false;
  }
  watched->event(event);  // the window's own handling
  if (guard->object != nullptr && UsableFor(watched)) After(message, event);
  ReleaseGuard(guard, own);
  return true;
}

void NWndSubclass::OnWindowGone(QObject* window) {
  if (!UsableFor(window)) return;
  LiveMarker own{this};
  LiveMarker* guard = ClaimGuard(own);
  // Nothing of the window is left to skip, so Before's answer does not matter here.
  (void)Before(SubclassMessage::Destroy, nullptr);
  if (guard->object != nullptr && UsableFor(window)) OnWindowDestroyed();
  // Detached in any case: the pointer to the window is about to dangle.
  if (guard->object != nullptr) Detach();
  ReleaseGuard(guard, own);
}

}  // namespace bitvane
