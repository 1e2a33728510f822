// The native window of a toolkit window: Qt's events become window messages.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"
#include "toolkit/qt_render_context.h"
#include "toolkit/window_core.h"

namespace talmi {
namespace {

struct KeyMap {
  int qt;
  WPARAM vk;
};

constexpr KeyMap kKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},  {Qt::Key_Backtab, 0x09},  {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11}, {Qt::Key_Alt, 0x12}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},  {Qt::Key_Up, 0x26},     {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},      {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
};

WPARAM VirtualKey(const QKeyEvent* e) {
  const int k = e->key();
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return static_cast<WPARAM>(k);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<WPARAM>(0x70 + (k - Qt::Key_F1));
  for (const KeyMap& m : kKeys)
    if (m.qt == k) return m.vk;
  return 0;
}

// MK_ flags of the buttons held.
WPARAM ButtonState(Qt::MouseButtons b, Qt::KeyboardModifiers mods) {
  WPARAM w = 0;
  if (b & Qt::LeftButton) w |= 0x0001;
  if (b & Qt::RightButton) w |= 0x0002;
  if (mods & Qt::ShiftModifier) w |= 0x0004;
  if (mods & Qt::ControlModifier) w |= 0x0008;
  if (b & Qt::MiddleButton) w |= 0x0010;
  return w;
}

LPARAM KeyFlags(const QKeyEvent* e) {
  const bool shift = (e->modifiers() & Qt::ShiftModifier) || e->key() == Qt::Key_Backtab;
  return shift ? kKeyShiftHeld : 0;
}

LPARAM Point(const QPointF& p) { return MAKELPARAM(static_cast<int>(p.x()), static_cast<int>(p.y())); }

}  // namespace

CHostWidget::CHostWidget(std::weak_ptr<WindowCore> core) : m_core(std::move(core)) {}

LRESULT CHostWidget::Send(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowCore> core = m_core.lock();
  if (!core || core->destroying) return 0;
  ++m_depth;
  LRESULT r = Deliver(core, uMsg, wParam, lParam);
  --m_depth;
  return r;
}

void CHostWidget::paintEvent(QPaintEvent* e) {
  QPainter painter(this);
  std::shared_ptr<WindowCore> core = m_core.lock();
  QRect r = e->rect();
  painter.fillRect(r, QColor(ColorRed(kColorWindow), ColorGreen(kColorWindow), ColorBlue(kColorWindow)));
  if (!core || !core->pm) return;
  ++m_depth;
  CRenderContext ctx(&painter);
  core->pm->Render(&ctx, RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
  --m_depth;
}

void CHostWidget::resizeEvent(QResizeEvent*) {
  WPARAM kind = isMinimized() ? SIZE_MINIMIZED : isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
  Send(WM_SIZE, kind, MAKELPARAM(width(), height()));
}

void CHostWidget::moveEvent(QMoveEvent*) { Send(WM_MOVE, 0, MAKELPARAM(x(), y())); }

void CHostWidget::closeEvent(QCloseEvent* e) {
  // The window decides: the close command goes through its handler.
  e->ignore();
  Send(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CHostWidget::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange) {
    const bool active = isActiveWindow();
    Send(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
    std::shared_ptr<WindowCore> core = m_core.lock();
    if (!active && core && core->closeOnDeactivate && !core->destroying) PostMessage(core->hwnd, WM_CLOSE, IDCANCEL, 0);
  }
  QWidget::changeEvent(e);
}

void CHostWidget::enterEvent(QEnterEvent* e) { Send(WM_MOUSEHOVER, 0, Point(e->position())); }

void CHostWidget::leaveEvent(QEvent*) { Send(WM_MOUSELEAVE, 0, 0); }

void CHostWidget::mousePressEvent(QMouseEvent* e) {
  const WPARAM w = ButtonState(e->buttons(), e->modifiers());
  if (e->button() == Qt::LeftButton) Send(WM_LBUTTONDOWN, w, Point(e->position()));
  else if (e->button() == Qt::RightButton) Send(WM_RBUTTONDOWN, w, Point(e->position()));
}

void CHostWidget::mouseReleaseEvent(QMouseEvent* e) {
  const WPARAM w = ButtonState(e->buttons(), e->modifiers());
  if (e->button() == Qt::LeftButton) Send(WM_LBUTTONUP, w, Point(e->position()));
  else if (e->button() == Qt::RightButton) Send(WM_RBUTTONUP, w, Point(e->position()));
}

void CHostWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton)
    Send(WM_LBUTTONDBLCLK, ButtonState(e->buttons(), e->modifiers()), Point(e->position()));
}

void CHostWidget::mouseMoveEvent(QMouseEvent* e) {
  Send(WM_MOUSEMOVE, ButtonState(e->buttons(), e->modifiers()), Point(e->position()));
}

void CHostWidget::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y();
  Send(WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(ButtonState(e->buttons(), e->modifiers())), delta),
       Point(e->position()));
}

void CHostWidget::keyPressEvent(QKeyEvent* e) {
  if (WPARAM vk = VirtualKey(e)) Send(WM_KEYDOWN, vk, KeyFlags(e));
  const QString text = e->text();
  for (QChar c : text)
    if (c.isPrint()) Send(WM_CHAR, c.unicode(), 0);
}

bool CHostWidget::focusNextPrevChild(bool) {
  // Tab moves the toolkit's focus, not Qt's (see keyPressEvent).
  return false;
}

void CHostWidget::keyReleaseEvent(QKeyEvent* e) {
  if (WPARAM vk = VirtualKey(e)) Send(WM_KEYUP, vk, KeyFlags(e));
}

}  // namespace talmi
