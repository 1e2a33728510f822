#include "toolkit/menu.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "platform/debug_output.h"
#include "toolkit/control.h"
#include "toolkit/palette.h"
#include "toolkit/render.h"
#include "toolkit/ui_defs.h"
#include "toolkit/window_core.h"

namespace talmi {
namespace {

// Private messages of a menu window.
inline constexpr UINT kMsgChosen = WM_USER + 0x7A1;      // the root ends the menu and sends the command
inline constexpr UINT kMsgCheckFocus = WM_USER + 0x7A2;  // after a deactivation

inline constexpr WPARAM kVkReturn = 0x0D;
inline constexpr WPARAM kVkEscape = 0x1B;
inline constexpr WPARAM kVkLeft = 0x25;
inline constexpr WPARAM kVkUp = 0x26;
inline constexpr WPARAM kVkRight = 0x27;
inline constexpr WPARAM kVkDown = 0x28;

// 96-DPI metrics of the menu face.
inline constexpr int kRowHeight = 30;
inline constexpr int kSeparatorHeight = 9;
inline constexpr int kFramePadding = 4;  // inside the border, above and below the rows
inline constexpr int kTextPadding = 12;
inline constexpr int kArrowWidth = 20;
inline constexpr int kMinWidth = 140;
inline constexpr int kRadius = 6;

QWidget* HostOf(HWND hwnd) {
  std::shared_ptr<WindowCore> core = FindCore(hwnd);
  return core ? core->host : nullptr;
}

}  // namespace

// Paints the menu's rows; all input is handled by the window.
class CMenuBodyUI : public CControlUI {
 public:
  explicit CMenuBodyUI(CMenuWnd* menu) : m_menu(menu) {}
  CDuiString GetClass() const override { return "MenuBodyUI"; }

  void PaintBkColor(HDC hDC) override {
    const RECT& rc = GetPos();
    CPaintManagerUI* pm = GetManager();
    CRenderEngine::DrawColor(hDC, rc, kColorRaised, pm->ScaleValue(kRadius));
    CRenderEngine::DrawBorder(hDC, rc, 1, kColorBorder, pm->ScaleValue(kRadius));
    for (size_t i = 0; i < m_menu->m_items.size(); ++i) PaintRow(hDC, static_cast<int>(i));
  }

 private:
  void PaintRow(HDC hDC, int index) {
    const MenuItem& item = m_menu->m_items[static_cast<size_t>(index)];
    CPaintManagerUI* pm = GetManager();
    RECT row = m_menu->ItemRect(index);
    if (item.separator) {
      const int y = (row.top + row.bottom) / 2;
      CRenderEngine::DrawLine(hDC, RECT{row.left + pm->ScaleValue(8), y, row.right - pm->ScaleValue(8), y}, 1,
                              kColorBorder);
      return;
    }
    const bool hot = index == m_menu->m_hot && item.Selectable();
    if (hot) CRenderEngine::DrawColor(hDC, row, kColorAccentSelectedRow, pm->ScaleValue(4));
    const DWORD color = item.enabled ? kColorText : kColorTextDisabled;
    RECT text = row;
    text.left += pm->ScaleValue(kTextPadding);
    text.right -= pm->ScaleValue(kArrowWidth);
    CRenderEngine::DrawText(hDC, pm, text, item.text, color, -1, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (item.HasSubMenu()) {
      RECT arrow{row.right - pm->ScaleValue(kArrowWidth), row.top, row.right - pm->ScaleValue(4), row.bottom};
      CRenderEngine::DrawText(hDC, pm, arrow, "\u203A", item.enabled ? kColorTextSecondary : kColorTextDisabled, -1,
                              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }

  CMenuWnd* m_menu;
};

CMenuWnd* CMenuWnd::Open(HWND owner, const CDuiString& xml, POINT pt, UINT alignment) {
  if (!IsUiThread()) {
    DebugOutput("CMenuWnd::Open: not on the UI thread");
    return nullptr;
  }
  std::vector<MenuItem> items;
  if (!LoadMenuItems(xml, items)) return nullptr;
  auto* menu = new CMenuWnd;
  if (!menu->Show(owner, nullptr, std::move(items), pt, alignment)) return nullptr;  // deleted itself
  return menu;
}

CMenuWnd::~CMenuWnd() = default;

bool CMenuWnd::Show(HWND owner, CMenuWnd* parent, std::vector<MenuItem> items, POINT pt, UINT alignment) {
  m_owner = owner;
  m_parent = parent;
  m_items = std::move(items);
  HWND createOwner = parent ? parent->GetHWND() : owner;
  if (!Create(createOwner, "menu", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, pt.x, pt.y, 10, 10)) {
    delete this;
    return false;
  }
  SIZE size = Measure();
  int x = (alignment & eMenuAlignment_Right) ? pt.x - size.cx : pt.x;
  int y = (alignment & eMenuAlignment_Bottom) ? pt.y - size.cy : pt.y;
  // Keep the menu on the screen of the point.
  QScreen* screen = QGuiApplication::screenAt(QPoint(pt.x, pt.y));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    QRect area = screen->availableGeometry();
    if (x + size.cx > area.right() + 1) x = area.right() + 1 - size.cx;
    if (y + size.cy > area.bottom() + 1) y = area.bottom() + 1 - size.cy;
    if (x < area.left()) x = area.left();
    if (y < area.top()) y = area.top();
  }
  MoveWindow(m_hWnd, x, y, size.cx, size.cy);
  ShowWindow(true, true);
  if (QWidget* host = HostOf(m_hWnd)) {
    host->activateWindow();
  }
  return true;
}

SIZE CMenuWnd::Measure() {
  int width = m_pm.ScaleValue(kMinWidth);
  int y = m_pm.ScaleValue(kFramePadding);
  m_rows.clear();
  for (const MenuItem& item : m_items) {
    const int h = m_pm.ScaleValue(item.separator ? kSeparatorHeight : kRowHeight);
    m_rows.push_back(RECT{1, y, 0, y + h});
    y += h;
    if (item.separator) continue;
    SIZE text = CRenderEngine::MeasureText(&m_pm, item.text, -1, 0, DT_SINGLELINE);
    width = std::max(width, static_cast<int>(text.cx) + m_pm.ScaleValue(kTextPadding + kArrowWidth) + 2);
  }
  for (RECT& r : m_rows) r.right = width - 1;
  return SIZE{width, y + m_pm.ScaleValue(kFramePadding)};
}

RECT CMenuWnd::ItemRect(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) return RECT{};
  return m_rows[static_cast<size_t>(index)];
}

int CMenuWnd::ItemAt(POINT client) const {
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const RECT& r = m_rows[i];
    if (client.x >= r.left && client.x < r.right && client.y >= r.top && client.y < r.bottom)
      return static_cast<int>(i);
  }
  return -1;
}

void CMenuWnd::SetHot(int index) {
  if (index >= 0 && !m_items[static_cast<size_t>(index)].Selectable()) index = -1;
  if (index == m_hot) return;
  m_hot = index;
  InvalidateWindow(m_hWnd, nullptr);
}

void CMenuWnd::MoveHot(int step) {
  const int n = static_cast<int>(m_items.size());
  int i = m_hot;
  for (int tries = 0; tries < n; ++tries) {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    if (m_items[static_cast<size_t>(i)].Selectable()) {
      SetHot(i);
      return;
    }
  }
}

CMenuWnd* CMenuWnd::Root() {
  CMenuWnd* m = this;
  while (m->m_parent) m = m->m_parent;
  return m;
}

void CMenuWnd::CloseMenu() {
  CMenuWnd* root = Root();
  if (IsWindow(root->m_hWnd)) DestroyWindow(root->m_hWnd);
}

void CMenuWnd::Activate(int index) {
  if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return;
  const MenuItem& item = m_items[static_cast<size_t>(index)];
  if (!item.Selectable()) return;
  if (item.HasSubMenu()) {
    OpenSub(index);
    return;
  }
  CMenuWnd* root = Root();
  if (root->m_hasChoice) return;
  root->m_hasChoice = true;
  root->m_chosen = MenuCmd{item.name, item.text};
  // Ended from the message queue, not from inside this window's input event.
  root->PostMessage(kMsgChosen);
}

void CMenuWnd::OpenSub(int index) {
  if (m_sub && m_subIndex == index) return;
  CloseSub();
  const MenuItem& item = m_items[static_cast<size_t>(index)];
  if (!item.Selectable() || !item.HasSubMenu()) return;
  RECT win{};
  GetWindowRect(m_hWnd, &win);
  const RECT& row = m_rows[static_cast<size_t>(index)];
  POINT pt{win.right - 2, win.top + row.top - m_pm.ScaleValue(kFramePadding)};
  UINT align = eMenuAlignment_Left | eMenuAlignment_Top;
  QScreen* screen = QGuiApplication::screenAt(QPoint(win.left, win.top));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen && pt.x + m_pm.ScaleValue(kMinWidth) > screen->availableGeometry().right()) {
    pt.x = win.left + 2;  // no room on the right: open to the left
    align = eMenuAlignment_Right | eMenuAlignment_Top;
  }
  SetHot(index);
  auto* sub = new CMenuWnd;
  m_sub = sub;
  m_subIndex = index;
  if (!sub->Show(m_owner, this, item.children, pt, align)) {
    m_sub = nullptr;
    m_subIndex = -1;
  }
}

void CMenuWnd::CloseSub() {
  if (!m_sub) return;
  HWND h = m_sub->GetHWND();
  m_sub = nullptr;
  m_subIndex = -1;
  if (IsWindow(h)) DestroyWindow(h);
}

void CMenuWnd::OnKey(WPARAM vk) {
  switch (vk) {
    case kVkEscape:
      if (m_parent) {
        CMenuWnd* parent = m_parent;
        parent->CloseSub();  // deletes this
        if (QWidget* host = HostOf(parent->GetHWND())) host->activateWindow();
      } else {
        CloseMenu();
      }
      return;
    case kVkUp: MoveHot(-1); return;
    case kVkDown: MoveHot(1); return;
    case kVkRight:
      if (m_hot >= 0 && m_items[static_cast<size_t>(m_hot)].HasSubMenu()) {
        OpenSub(m_hot);
        if (m_sub) m_sub->MoveHot(1);
      }
      return;
    case kVkLeft:
      if (m_parent) OnKey(kVkEscape);
      return;
    case kVkReturn: Activate(m_hot); return;
    default: return;
  }
}

void CMenuWnd::CheckFocus() {
  QWidget* active = QApplication::activeWindow();
  for (CMenuWnd* m = Root(); m; m = m->m_sub)
    if (active && HostOf(m->GetHWND()) == active) return;
  CloseMenu();
}

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CREATE:
      m_pm.Init(m_hWnd, GetWindowClassName());
      if (std::shared_ptr<WindowCore> owner = FindCore(m_owner))
        if (owner->pm && owner->pm->GetDPI() != m_pm.GetDPI()) m_pm.SetDPI(owner->pm->GetDPI());
      m_pm.AttachDialog(new CMenuBodyUI(this));
      return 0;
    case WM_MOUSEMOVE: {
      const int index = ItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (index < 0) return 0;
      SetHot(index);
      if (m_items[static_cast<size_t>(index)].HasSubMenu()) OpenSub(index);
      else if (m_hot == index) CloseSub();
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      Activate(ItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return 0;
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) PostMessage(kMsgCheckFocus);
      return 0;
    case kMsgCheckFocus:
      CheckFocus();
      return 0;
    case kMsgChosen: {
      if (!m_hasChoice) return 0;
      MenuCmd cmd = m_chosen;
      HWND owner = m_owner;
      DestroyWindow(m_hWnd);  // deletes this
      if (IsWindow(owner)) ::talmi::SendMessage(owner, WM_MENUCLICK, reinterpret_cast<WPARAM>(&cmd), 0);
      return 0;
    }
    default: break;
  }
  LRESULT lRes = 0;
  if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CMenuWnd::OnFinalMessage(HWND) {
  if (m_parent && m_parent->m_sub == this) {
    m_parent->m_sub = nullptr;
    m_parent->m_subIndex = -1;
  }
  delete this;
}

}  // namespace talmi
