#pragma once
// The desktop's colour-scheme preference, the default of the dark-theme flag.

#include <QVariant>

namespace bitvane {

// True when the desktop prefers dark applications: the freedesktop portal's
// org.freedesktop.appearance color-scheme reads 1. Without a session bus, without a
// running portal (it is not started for this), or when the portal does not answer
// within `timeoutMs`, the answer is false (light).
[[nodiscard]] bool SystemPrefersDark(int timeoutMs = 250);

// True when a session bus is there to ask: its address is set (and not "disabled:"),
// or the user's runtime folder holds its socket.
[[nodiscard]] bool SessionBusAdvertised();

// Without an advertised session bus, sets this process's bus address to "disabled:" so
// that nothing in it starts a bus of its own: the bus library would otherwise run a
// helper program (autolaunch) when the toolkit's accessibility bridge first connects,
// while the window is being built. Call before the application object.
void DisableBusAutolaunch();

// The preference in a portal reply: the value may come wrapped in variants.
[[nodiscard]] bool PrefersDarkFromReply(const QVariant& reply);

}  // namespace bitvane
