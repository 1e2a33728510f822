#pragma once
// Real Qt mouse and key events sent to a toolkit window's native widget.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "toolkit/window_core.h"

namespace talmi::test {

inline QWidget* HostWidget(HWND hwnd) {
  std::shared_ptr<WindowCore> core = FindCore(hwnd);
  return core ? core->host : nullptr;
}

inline void SendMouse(HWND hwnd, QEvent::Type type, POINT p, Qt::MouseButton button, Qt::MouseButtons held) {
  QWidget* w = HostWidget(hwnd);
  if (!w) return;
  const QPointF local(p.x, p.y);
  QMouseEvent e(type, local, w->mapToGlobal(local), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
inline void MoveTo(HWND hwnd, POINT p, Qt::MouseButtons held = Qt::NoButton) {
  SendMouse(hwnd, QEvent::MouseMove, p, Qt::NoButton, held);
}
inline void ClickAt(HWND hwnd, POINT p, Qt::MouseButton b = Qt::LeftButton) {
  MoveTo(hwnd, p);
  SendMouse(hwnd, QEvent::MouseButtonPress, p, b, b);
  SendMouse(hwnd, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}
inline void PressKey(HWND hwnd, int key) {
  QWidget* w = HostWidget(hwnd);
  if (!w) return;
  QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &down);
  if (!HostWidget(hwnd)) return;  // the key closed the window
  QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(w, &up);
}
inline POINT CenterOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace talmi::test
