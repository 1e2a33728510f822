#include "toolkit/window_place.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "toolkit/window_core.h"

namespace talmi {
namespace {

inline constexpr WPARAM kBitsPerPixel = 32;

RECT ToRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QScreen* ScreenOf(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  QScreen* s = core && core->host ? core->host->screen() : nullptr;
  return s ? s : QGuiApplication::primaryScreen();
}

int ScreenDpi(QScreen* s) { return s ? static_cast<int>(s->logicalDotsPerInch() + 0.5) : 96; }

void SendDpiChanged(QScreen* screen, int newDpi, int oldDpi) {
  for (const std::shared_ptr<WindowCore>& core : AllCores()) {
    if (core->destroying || !core->host || core->host->screen() != screen) continue;
    const QRect g = core->host->geometry();
    const int w = oldDpi > 0 ? g.width() * newDpi / oldDpi : g.width();
    const int h = oldDpi > 0 ? g.height() * newDpi / oldDpi : g.height();
    RECT suggested{g.left(), g.top(), g.left() + w, g.top() + h};
    Deliver(core, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
  }
}

void SendDisplayChange() {
  QScreen* p = QGuiApplication::primaryScreen();
  const QSize size = p ? p->geometry().size() : QSize();
  for (const std::shared_ptr<WindowCore>& core : AllCores())
    if (!core->destroying) Deliver(core, WM_DISPLAYCHANGE, kBitsPerPixel, MAKELPARAM(size.width(), size.height()));
}

void WatchScreen(QScreen* s) {
  // The last DPI seen, to suggest the window's new size.
  auto last = std::make_shared<int>(ScreenDpi(s));
  QObject::connect(s, &QScreen::logicalDotsPerInchChanged, s, [s, last](qreal dpi) {
    const int now = static_cast<int>(dpi + 0.5);
    if (now == *last) return;
    const int old = *last;
    *last = now;
    SendDpiChanged(s, now, old);
  });
  QObject::connect(s, &QScreen::geometryChanged, s, [](const QRect&) { SendDisplayChange(); });
}

}  // namespace

RECT GetMonitorWorkArea(HWND hWnd) {
  QScreen* s = ScreenOf(hWnd);
  return s ? ToRect(s->availableGeometry()) : RECT{0, 0, 1024, 768};
}

bool GetCursorPos(POINT* pt) {
  if (!pt || !QGuiApplication::instance()) return false;
  const QPoint p = QCursor::pos();
  *pt = POINT{p.x(), p.y()};
  return true;
}

bool ClientToScreen(HWND hWnd, POINT* pt) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !pt) return false;
  const QPoint g = core->host->mapToGlobal(QPoint(pt->x, pt->y));
  *pt = POINT{g.x(), g.y()};
  return true;
}

bool SetTopMost(HWND hWnd, bool topMost) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !IsUiThread()) return false;
  if (topMost) core->exStyle |= WS_EX_TOPMOST;
  else core->exStyle &= ~WS_EX_TOPMOST;
  const bool visible = core->host->isVisible();
  core->host->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
  if (visible) core->host->show();  // changing flags hides a window
  return true;
}

bool IsTopMost(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  return core && core->host && (core->host->windowFlags() & Qt::WindowStaysOnTopHint);
}

bool SetCloseOnDeactivate(HWND hWnd, bool close) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core) return false;
  core->closeOnDeactivate = close;
  return true;
}

bool PlaceNextTo(HWND hWnd, HWND anchorWnd, const RECT& anchor, Anchor side, int gap) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !IsWindow(anchorWnd)) return false;
  POINT tl{anchor.left, anchor.top}, br{anchor.right, anchor.bottom};
  if (!ClientToScreen(anchorWnd, &tl) || !ClientToScreen(anchorWnd, &br)) return false;
  const RECT area = GetMonitorWorkArea(anchorWnd);
  const int w = core->host->width(), h = core->host->height();
  int x = tl.x, y = br.y + gap;
  switch (side) {
    case Anchor::Below:
      if (y + h > area.bottom && tl.y - gap - h >= area.top) y = tl.y - gap - h;
      break;
    case Anchor::Above:
      y = tl.y - gap - h;
      if (y < area.top && br.y + gap + h <= area.bottom) y = br.y + gap;
      break;
    case Anchor::Right:
      x = br.x + gap;
      y = tl.y;
      if (x + w > area.right && tl.x - gap - w >= area.left) x = tl.x - gap - w;
      break;
    case Anchor::Left:
      x = tl.x - gap - w;
      y = tl.y;
      if (x < area.left && br.x + gap + w <= area.right) x = br.x + gap;
      break;
  }
  x = std::clamp(x, static_cast<int>(area.left), std::max(static_cast<int>(area.left), static_cast<int>(area.right) - w));
  y = std::clamp(y, static_cast<int>(area.top), std::max(static_cast<int>(area.top), static_cast<int>(area.bottom) - h));
  core->host->move(x, y);
  return true;
}

void WatchScreens() {
  static bool watching = false;
  if (watching || !QGuiApplication::instance() || !IsUiThread()) return;
  watching = true;
  for (QScreen* s : QGuiApplication::screens()) WatchScreen(s);
  auto* app = static_cast<QGuiApplication*>(QGuiApplication::instance());
  QObject::connect(app, &QGuiApplication::screenAdded, app, [](QScreen* s) {
    WatchScreen(s);
    SendDisplayChange();
  });
  QObject::connect(app, &QGuiApplication::screenRemoved, app, [](QScreen*) { SendDisplayChange(); });
}

}  // namespace talmi
