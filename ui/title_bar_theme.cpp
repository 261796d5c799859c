#include "ui/title_bar_theme.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace bitvane {

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  xcb_atom_t atom = XCB_ATOM_NONE;
  if (reply != nullptr) atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace

bool SetDarkTitleBarHint(QWidget* window, bool dark) {
  if (window == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return false;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr) return false;
  const xcb_atom_t variant = InternAtom(connection, "_GTK_THEME_VARIANT");
  const xcb_atom_t utf8 = InternAtom(connection, "UTF8_STRING");
  if (variant == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) return false;
  const char* value = dark ? "dark" : "light";
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                      variant, utf8, 8, static_cast<std::uint32_t>(std::strlen(value)), value);
  xcb_flush(connection);
  return true;
}

}  // namespace bitvane
