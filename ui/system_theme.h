#pragma once
// The desktop's colour-scheme preference, the default of the dark-theme flag.

#include <QVariant>

namespace bitvane {

// True when the desktop prefers dark applications: the freedesktop portal's
// org.freedesktop.appearance color-scheme reads 1. Without a session bus, or when
// the portal does not answer within `timeoutMs`, the answer is false (light).
[[nodiscard]] bool SystemPrefersDark(int timeoutMs = 250);

// The preference in a portal reply: the value may come wrapped in variants.
[[nodiscard]] bool PrefersDarkFromReply(const QVariant& reply);

}  // namespace bitvane
