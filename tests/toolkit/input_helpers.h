#pragma once
// Drives a toolkit window with real Qt input events, as the user would.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <string>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/window_core.h"

namespace talmi::test {

class InputWindow {
 public:
  explicit InputWindow(std::string skin) : wnd(std::move(skin)) {}
  ~InputWindow() {
    if (wnd.GetHWND() && IsWindow(wnd.GetHWND())) DestroyWindow(wnd.GetHWND());
    ProcessUiEvents();
  }
  // Creates, shows and waits for the first layout.
  bool Open() {
    if (!wnd.Create(nullptr, "input", UI_WNDSTYLE_DIALOG, 0)) return false;
    wnd.ShowWindow(true, true);
    if (!WaitFor([&] { return wnd.Count(DUI_MSGTYPE_WINDOWINIT) == 1; })) return false;
    std::shared_ptr<WindowCore> core = FindCore(wnd.GetHWND());
    host = core ? core->host : nullptr;
    return host != nullptr;
  }
  template <class T = CControlUI>
  T* Find(const char* name) {
    return static_cast<T*>(wnd.GetPaintManager().FindControl(name));
  }
  static POINT Center(CControlUI* c) {
    const RECT& r = c->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  void Mouse(QEvent::Type type, POINT p, Qt::MouseButton button, Qt::MouseButtons held, QWidget* to = nullptr) {
    QWidget* target = to ? to : host;
    const QPointF local = to ? QPointF(to->mapFrom(host, QPoint(p.x, p.y))) : QPointF(p.x, p.y);
    QMouseEvent e(type, local, target->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  }
  void Press(POINT p, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonPress, p, b, b); }
  void Release(POINT p, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, p, b, Qt::NoButton); }
  void Move(POINT p, Qt::MouseButtons held = Qt::NoButton) {
    Mouse(QEvent::MouseMove, p, Qt::NoButton, held);
  }
  void Click(POINT p, Qt::MouseButton b = Qt::LeftButton) {
    Move(p);
    Press(p, b);
    Release(p, b);
  }
  void DoubleClick(POINT p) {
    Click(p);
    Mouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    Release(p);
  }
  void Wheel(POINT p, int delta) {
    QWheelEvent e(QPointF(p.x, p.y), host->mapToGlobal(QPointF(p.x, p.y)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(host, &e);
  }
  // The native field of the focused edit, while one is shown.
  QLineEdit* Field() const {
    for (QLineEdit* e : host->findChildren<QLineEdit*>())
      if (e->isVisible()) return e;
    return nullptr;
  }
  // A key press and release where the keystrokes go: the native field of
  // an edit while one is open, else the window.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QWidget* target = Field();
    if (!target) target = host;
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &up);
  }
  void Type(const std::string& s) {
    for (char c : s) Key(c >= 'a' && c <= 'z' ? Qt::Key_A + (c - 'a') : c, Qt::NoModifier, QString(QChar(c)));
  }
  // Notifications of one type from one sender, in order.
  std::vector<SeenNotify> Seen(const std::string& type, const std::string& sender = "") const {
    std::vector<SeenNotify> out;
    for (const auto& s : wnd.seen)
      if (s.type == type && (sender.empty() || s.sender == sender)) out.push_back(s);
    return out;
  }

  TestWnd wnd;
  QWidget* host = nullptr;
};

}  // namespace talmi::test
