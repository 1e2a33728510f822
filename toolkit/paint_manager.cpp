#include "toolkit/paint_manager.h"

#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <mutex>
#include <unistd.h>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/button.h"
#include "toolkit/control.h"
#include "toolkit/palette.h"
#include "toolkit/qt_render_context.h"
#include "toolkit/window_core.h"

namespace talmi {

struct CPaintManagerUI::Impl {
  // Expires with the manager: queued work checks it before touching this.
  std::shared_ptr<int> alive = std::make_shared<int>(0);
  std::map<std::pair<CControlUI*, UINT>, QTimer*> timers;
  std::vector<TNotifyUI> asyncQueue;
  bool flushScheduled = false;
  bool initScheduled = false;
  CControlUI* delivering = nullptr;
  bool senderGone = false;
  // A control an event is running on; cleared when it is deleted meanwhile.
  CControlUI* watched = nullptr;
};

namespace {

struct Shared {
  HINSTANCE instance = nullptr;
  CDuiString resourcePath;
  CDuiString resourceZip;
  int resourceType = UILIB_FILE;
  std::map<int, TFontInfo> fonts;
  bool hasDefaultFont = false;
  TFontInfo defaultFont;
  std::map<std::string, CDuiString> defaults;
  std::vector<CPaintManagerUI*> managers;
};

Shared& G() {
  static Shared s;
  return s;
}

CControlUI* FindByNameProc(CControlUI* c, void* data) {
  const std::string& key = *static_cast<const std::string*>(data);
  return FoldCase(c->GetName().view()) == key ? c : nullptr;
}

CControlUI* HitProc(CControlUI* c, void*) { return c; }

struct ClassSearch {
  std::string cls;
  int index;
  std::vector<CControlUI*>* all;
};

CControlUI* ClassProc(CControlUI* c, void* data) {
  auto* s = static_cast<ClassSearch*>(data);
  std::string mine = FoldCase(c->GetClass().view());
  // Skin class name or class name both match ("Button" and "ButtonUI").
  if (mine != s->cls && mine != s->cls + "ui") return nullptr;
  if (s->all) {
    s->all->push_back(c);
    return nullptr;
  }
  return s->index-- == 0 ? c : nullptr;
}

CControlUI* CollectNames(CControlUI* c, void* data) {
  auto* names = static_cast<std::multimap<std::string, CControlUI*>*>(data);
  if (!c->GetName().IsEmpty()) names->emplace(FoldCase(c->GetName().view()), c);
  return nullptr;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() : m_impl(std::make_unique<Impl>()) { G().managers.push_back(this); }

CPaintManagerUI::~CPaintManagerUI() {
  RemoveAllTimers();
  DetachDialog();
  if (m_hWnd) DetachPaintManager(m_hWnd, this);
  std::erase(G().managers, this);
}

void CPaintManagerUI::SetInstance(HINSTANCE instance) { G().instance = instance; }
HINSTANCE CPaintManagerUI::GetInstance() { return G().instance; }

CDuiString CPaintManagerUI::GetInstancePath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? CDuiString("./") : CDuiString(path.substr(0, slash + 1));
}

void CPaintManagerUI::SetResourcePath(const CDuiString& path) {
  std::string p = NormalizePath(path.view());
  if (!p.empty() && p.back() != '/') p += '/';
  G().resourcePath = p;
}

CDuiString CPaintManagerUI::GetResourcePath() { return G().resourcePath; }
void CPaintManagerUI::SetResourceZip(const CDuiString& zip) { G().resourceZip = zip; }
CDuiString CPaintManagerUI::GetResourceZip() { return G().resourceZip; }
void CPaintManagerUI::SetResourceType(int type) { G().resourceType = type; }
int CPaintManagerUI::GetResourceType() { return G().resourceType; }

int CPaintManagerUI::MessageLoop() { return RunMessageLoop(); }

void CPaintManagerUI::SetAllDPI(int dpi) {
  std::vector<CPaintManagerUI*> all = G().managers;
  for (CPaintManagerUI* pm : all) pm->SetDPI(dpi);
}

std::vector<CPaintManagerUI*> CPaintManagerUI::GetPaintManagers() { return G().managers; }

int CPaintManagerUI::AddSharedFont(int id, const CDuiString& name, int size, bool bold, bool underline, bool italic) {
  if (id < 0) return -1;
  G().fonts[id] = TFontInfo{name, size, bold, underline, italic};
  for (CPaintManagerUI* pm : G().managers) pm->NeedUpdate();
  return id;
}

void CPaintManagerUI::RemoveAllSharedFonts() {
  G().fonts.clear();
  G().hasDefaultFont = false;
  for (CPaintManagerUI* pm : G().managers) pm->NeedUpdate();
}

void CPaintManagerUI::Init(HWND hWnd, const CDuiString& name) {
  if (m_hWnd && m_hWnd != hWnd) DetachPaintManager(m_hWnd, this);
  m_hWnd = hWnd;
  m_sName = name;
  if (hWnd) AttachPaintManager(hWnd, this);
}

SIZE CPaintManagerUI::GetClientSize() const {
  if (m_hWnd && IsWindow(m_hWnd)) return ClientSize(m_hWnd);
  return ScaleSize(m_szInit);
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
  m_szInit = SIZE{cx, cy};
  if (m_hWnd && IsWindow(m_hWnd) && cx > 0 && cy > 0) {
    RECT rc{};
    GetWindowRect(m_hWnd, &rc);
    MoveWindow(m_hWnd, rc.left, rc.top, ScaleValue(cx), ScaleValue(cy));
  }
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
  if (!root) return false;
  if (m_pRoot && m_pRoot != root) DetachDialog();
  m_pRoot = root;
  root->SetManager(this, nullptr, true);
  root->Init();
  m_bNamesDirty = true;
  NeedUpdate();
  ScheduleInit();
  return true;
}

void CPaintManagerUI::DetachDialog() {
  CControlUI* root = m_pRoot;
  m_pRoot = nullptr;
  m_pFocus = m_pEventHover = m_pEventClick = nullptr;
  delete root;
  m_names.clear();
  m_bNamesDirty = true;
}

void CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
  if (!control) return;
  control->SetManager(this, parent, true);
  control->Init();
  m_bNamesDirty = true;
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
  if (!control) return;
  if (control == m_pFocus) m_pFocus = nullptr;
  if (control == m_pEventHover) m_pEventHover = nullptr;
  if (control == m_pEventClick) m_pEventClick = nullptr;
  if (control == m_pRoot) m_pRoot = nullptr;
  if (control == m_impl->delivering) m_impl->senderGone = true;
  if (control == m_impl->watched) m_impl->watched = nullptr;
  KillTimer(control);
  std::erase_if(m_impl->asyncQueue, [control](const TNotifyUI& m) { return m.pSender == control; });
  m_bNamesDirty = true;
}

void CPaintManagerUI::RebuildNameIndex() const {
  m_names.clear();
  if (m_pRoot) m_pRoot->FindControl(CollectNames, &m_names, UIFIND_ALL | UIFIND_ME_FIRST);
  m_bNamesDirty = false;
}

CControlUI* CPaintManagerUI::FindControl(const CDuiString& name) const {
  if (name.IsEmpty() || !m_pRoot) return nullptr;
  if (m_bNamesDirty) RebuildNameIndex();
  auto it = m_names.find(FoldCase(name.view()));
  return it == m_names.end() ? nullptr : it->second;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
  if (!m_pRoot) return nullptr;
  return m_pRoot->FindControl(HitProc, &pt, UIFIND_VISIBLE | UIFIND_HITTEST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const CDuiString& name) const {
  if (!parent) parent = m_pRoot;
  if (!parent || name.IsEmpty()) return nullptr;
  std::string key = FoldCase(name.view());
  return parent->FindControl(FindByNameProc, &key, UIFIND_ALL | UIFIND_ME_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, const CDuiString& cls, int index) const {
  if (!parent) parent = m_pRoot;
  if (!parent || index < 0) return nullptr;
  ClassSearch s{FoldCase(cls.view()), index, nullptr};
  return parent->FindControl(ClassProc, &s, UIFIND_ALL | UIFIND_ME_FIRST);
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent, const CDuiString& cls) const {
  std::vector<CControlUI*> out;
  if (!parent) parent = m_pRoot;
  if (!parent) return out;
  ClassSearch s{FoldCase(cls.view()), 0, &out};
  parent->FindControl(ClassProc, &s, UIFIND_ALL | UIFIND_ME_FIRST);
  return out;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
  if (control == m_pFocus) return;
  if (control && (!control->IsVisible() || !control->IsEnabled() || control->GetManager() != this)) return;
  if (CControlUI* old = m_pFocus) {
    m_pFocus = nullptr;
    TEventUI e;
    e.Type = UIEVENT_KILLFOCUS;
    e.pSender = control;
    e.dwTimestamp = GetTickCount();
    m_impl->watched = old;
    old->Event(e);
    // The event may have deleted it.
    if (m_impl->watched == old) SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    m_impl->watched = nullptr;
  }
  if (!control) return;
  m_pFocus = control;
  TEventUI e;
  e.Type = UIEVENT_SETFOCUS;
  e.pSender = control;
  e.dwTimestamp = GetTickCount();
  control->Event(e);
  if (m_pFocus == control) SendNotify(control, DUI_MSGTYPE_SETFOCUS);
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapse) {
  if (!control || !IsUiThread()) return false;
  QTimer*& timer = m_impl->timers[{control, id}];
  if (!timer) {
    timer = new QTimer;
    std::weak_ptr<int> alive = m_impl->alive;
    QObject::connect(timer, &QTimer::timeout, [this, alive, control, id] {
      if (!alive.expired()) FireTimer(control, id);
    });
  }
  timer->start(static_cast<int>(elapse < 1 ? 1 : elapse));
  return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id) {
  auto it = m_impl->timers.find({control, id});
  if (it == m_impl->timers.end()) return false;
  it->second->stop();
  it->second->deleteLater();
  m_impl->timers.erase(it);
  return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
  for (auto it = m_impl->timers.begin(); it != m_impl->timers.end();) {
    if (it->first.first == control) {
      it->second->stop();
      it->second->deleteLater();
      it = m_impl->timers.erase(it);
    } else {
      ++it;
    }
  }
}

void CPaintManagerUI::RemoveAllTimers() {
  for (auto& [key, t] : m_impl->timers) {
    t->stop();
    t->deleteLater();
  }
  m_impl->timers.clear();
}

bool CPaintManagerUI::HasTimer(CControlUI* control, UINT id) const {
  return m_impl->timers.count({control, id}) != 0;
}

void CPaintManagerUI::FireTimer(CControlUI* control, UINT id) {
  if (!HasTimer(control, id)) return;
  TEventUI e;
  e.Type = UIEVENT_TIMER;
  e.pSender = control;
  e.wParam = id;
  e.dwTimestamp = GetTickCount();
  control->Event(e);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
  if (!notifier || std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) return false;
  m_notifiers.push_back(notifier);
  return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
  auto it = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
  if (it == m_notifiers.end()) return false;
  m_notifiers.erase(it);
  return true;
}

void CPaintManagerUI::SendNotify(CControlUI* control, const char* type, WPARAM wParam, LPARAM lParam, bool async) {
  TNotifyUI msg;
  msg.pSender = control;
  msg.sType = type;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  msg.dwTimestamp = GetTickCount();
  if (msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
  if (!async) {
    DeliverNotify(msg);
    return;
  }
  m_impl->asyncQueue.push_back(msg);
  if (m_impl->flushScheduled) return;
  m_impl->flushScheduled = true;
  std::weak_ptr<int> alive = m_impl->alive;
  QTimer::singleShot(0, [this, alive] {
    if (!alive.expired()) FlushAsyncNotify();
  });
}

void CPaintManagerUI::FlushAsyncNotify() {
  m_impl->flushScheduled = false;
  std::weak_ptr<int> alive = m_impl->alive;
  while (!alive.expired() && !m_impl->asyncQueue.empty()) {
    TNotifyUI msg = m_impl->asyncQueue.front();
    m_impl->asyncQueue.erase(m_impl->asyncQueue.begin());
    DeliverNotify(msg);
  }
}

void CPaintManagerUI::DeliverNotify(TNotifyUI& msg) {
  // A handler may delete the sender or close the window (and this manager
  // with it); delivery stops there instead of touching freed memory.
  std::weak_ptr<int> alive = m_impl->alive;
  CControlUI* prevDelivering = m_impl->delivering;
  bool prevGone = m_impl->senderGone;
  m_impl->delivering = msg.pSender;
  m_impl->senderGone = false;
  auto stop = [&] { return alive.expired() || m_impl->senderGone; };
  if (msg.pSender) msg.pSender->RunNotifyHooks(msg);
  std::vector<INotifyUI*> notifiers = m_notifiers;
  for (INotifyUI* n : notifiers) {
    if (stop()) break;
    if (std::find(m_notifiers.begin(), m_notifiers.end(), n) == m_notifiers.end()) continue;
    n->Notify(msg);
  }
  if (alive.expired()) return;
  m_impl->delivering = prevDelivering;
  m_impl->senderGone = prevGone;
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
  if (!filter || std::find(m_preFilters.begin(), m_preFilters.end(), filter) != m_preFilters.end()) return false;
  m_preFilters.push_back(filter);
  return true;
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
  auto it = std::find(m_preFilters.begin(), m_preFilters.end(), filter);
  if (it == m_preFilters.end()) return false;
  m_preFilters.erase(it);
  return true;
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
  if (!filter || std::find(m_filters.begin(), m_filters.end(), filter) != m_filters.end()) return false;
  m_filters.push_back(filter);
  return true;
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
  auto it = std::find(m_filters.begin(), m_filters.end(), filter);
  if (it == m_filters.end()) return false;
  m_filters.erase(it);
  return true;
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  std::vector<IMessageFilterUI*> filters = m_preFilters;
  for (IMessageFilterUI* f : filters) {
    bool handled = false;
    LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) {
      lRes = r;
      return true;
    }
  }
  return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  std::weak_ptr<int> alive = m_impl->alive;
  std::vector<IMessageFilterUI*> filters = m_filters;
  for (IMessageFilterUI* f : filters) {
    bool handled = false;
    LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
    if (alive.expired()) return true;
    if (handled) {
      lRes = r;
      return true;
    }
  }
  switch (uMsg) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) {
        NeedUpdate();
        if (m_pRoot && m_bInitSent) SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWSIZE, wParam, lParam);
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE:
      HandleMouse(uMsg, wParam, lParam);
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      HandleKey(uMsg, wParam, lParam);
      break;
    default:
      break;
  }
  return false;
}

void CPaintManagerUI::HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (!m_pRoot) return;
  DoLayout();
  TEventUI e;
  e.ptMouse = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  e.wParam = wParam;
  e.lParam = lParam;
  e.dwTimestamp = GetTickCount();
  e.wKeyState = static_cast<WORD>(wParam);
  auto send = [&](CControlUI* c, int type) {
    if (!c) return;
    e.Type = type;
    e.pSender = c;
    c->Event(e);
  };
  if (uMsg == WM_MOUSELEAVE) {
    CControlUI* hover = m_pEventHover;
    m_pEventHover = nullptr;
    send(hover, UIEVENT_MOUSELEAVE);
    return;
  }
  // The wheel scrolls what is under the pointer; rows and children pass it up.
  CControlUI* hit = FindControl(e.ptMouse);
  if (uMsg == WM_MOUSEWHEEL && !hit) hit = m_pFocus;
  if (hit && !hit->IsEnabled()) hit = nullptr;
  switch (uMsg) {
    case WM_MOUSEMOVE:
      if (hit != m_pEventHover) {
        CControlUI* old = m_pEventHover;
        m_pEventHover = hit;
        send(old, UIEVENT_MOUSELEAVE);
        send(m_pEventHover, UIEVENT_MOUSEENTER);
      }
      send(m_pEventClick ? m_pEventClick : m_pEventHover, UIEVENT_MOUSEMOVE);
      break;
    case WM_LBUTTONDOWN:
      m_pEventClick = hit;
      if (hit && (hit->GetControlFlags() & UIFLAG_TABSTOP)) SetFocus(hit);
      send(m_pEventClick, UIEVENT_BUTTONDOWN);
      break;
    case WM_LBUTTONUP: {
      CControlUI* c = m_pEventClick;
      m_pEventClick = nullptr;
      send(c, UIEVENT_BUTTONUP);
      break;
    }
    case WM_LBUTTONDBLCLK:
      m_pEventClick = hit;
      send(hit, UIEVENT_DBLCLICK);
      break;
    case WM_RBUTTONDOWN:
      send(hit, UIEVENT_RBUTTONDOWN);
      break;
    case WM_RBUTTONUP:
      send(hit, UIEVENT_CONTEXTMENU);
      break;
    case WM_MOUSEWHEEL:
      send(hit, UIEVENT_SCROLLWHEEL);
      break;
    default:
      break;
  }
}

namespace {

bool IsTabStop(CControlUI* c) {
  if (!(c->GetControlFlags() & UIFLAG_TABSTOP) || !c->IsKeyboardEnabled()) return false;
  for (CControlUI* p = c; p; p = p->GetParent())
    if (!p->IsVisible() || !p->IsEnabled()) return false;
  return true;
}

CControlUI* CollectTabStop(CControlUI* c, void* data) {
  auto* out = static_cast<std::vector<CControlUI*>*>(data);
  if (IsTabStop(c)) out->push_back(c);
  return nullptr;
}

}  // namespace

bool CPaintManagerUI::SetNextTabControl(bool forward) {
  if (!m_pRoot) return false;
  DoLayout();
  std::vector<CControlUI*> stops;
  m_pRoot->FindControl(CollectTabStop, &stops, UIFIND_VISIBLE | UIFIND_ME_FIRST);
  if (stops.empty()) return false;
  const int n = static_cast<int>(stops.size());
  int at = -1;
  for (int i = 0; i < n; ++i)
    if (stops[static_cast<size_t>(i)] == m_pFocus) at = i;
  int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
  SetFocus(stops[static_cast<size_t>(next)]);
  return true;
}

CControlUI* FindPrimaryButton(CControlUI* c, void*) {
  auto* b = static_cast<CButtonUI*>(c->GetInterface(DUI_CTR_BUTTON));
  if (!b || !b->IsPrimary() || c->GetInterface(DUI_CTR_OPTION)) return nullptr;
  for (CControlUI* p = c; p; p = p->GetParent())
    if (!p->IsVisible() || !p->IsEnabled()) return nullptr;
  return c;
}

bool CPaintManagerUI::ActivateDefaultButton() {
  if (!m_pRoot) return false;
  CControlUI* b = m_pRoot->FindControl(FindPrimaryButton, nullptr, UIFIND_VISIBLE | UIFIND_ME_FIRST);
  return b && b->Activate();
}

void CPaintManagerUI::HandleKey(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CControlUI* focus = m_pFocus;
  if (uMsg == WM_KEYDOWN && wParam == 0x09) {
    SetNextTabControl((lParam & kKeyShiftHeld) == 0);
    return;
  }
  if (uMsg == WM_KEYDOWN && wParam == 0x0D) {
    // Buttons, edits and combos answer Return themselves.
    const bool own = focus && (focus->GetInterface(DUI_CTR_BUTTON) || focus->GetInterface(DUI_CTR_EDIT) ||
                               focus->GetInterface(DUI_CTR_COMBO));
    if (!own && ActivateDefaultButton()) return;
  }
  if (!focus) return;
  TEventUI e;
  e.Type = uMsg == WM_KEYDOWN ? UIEVENT_KEYDOWN : uMsg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR;
  e.pSender = focus;
  e.chKey = static_cast<unsigned short>(wParam);
  e.wParam = wParam;
  e.lParam = lParam;
  e.dwTimestamp = GetTickCount();
  focus->Event(e);
  if (uMsg == WM_KEYDOWN && wParam == 0x0D && m_pFocus == focus && focus->GetInterface(DUI_CTR_EDIT))
    SendNotify(focus, DUI_MSGTYPE_RETURN);
}

RECT CPaintManagerUI::ScaleRect(RECT rc) const {
  return RECT{ScaleValue(rc.left), ScaleValue(rc.top), ScaleValue(rc.right), ScaleValue(rc.bottom)};
}

SIZE CPaintManagerUI::ScaleSize(SIZE sz) const { return SIZE{ScaleValue(sz.cx), ScaleValue(sz.cy)}; }

bool CPaintManagerUI::SetDPI(int dpi) {
  // The windows of the program use 48..192; below 48 text becomes unreadable.
  if (dpi < 48 || dpi > 192) {
    DebugOutputF("CPaintManagerUI::SetDPI: %d refused", dpi);
    return false;
  }
  if (dpi == m_iDpi) return true;
  const int old = m_iDpi;
  m_iDpi = dpi;
  if (m_hWnd && IsWindow(m_hWnd)) {
    RECT rc{};
    GetWindowRect(m_hWnd, &rc);
    MoveWindow(m_hWnd, rc.left, rc.top, RectWidth(rc) * dpi / old, RectHeight(rc) * dpi / old);
  }
  ResetDPIAssets();
  return true;
}

void CPaintManagerUI::ResetDPIAssets() {
  // Fonts and images are made at the current scale when drawn; what is
  // cached goes, and every size is laid out again.
  CRenderEngine::FlushImageCache();
  NeedUpdate();
}

int CPaintManagerUI::AddFont(int id, const CDuiString& name, int size, bool bold, bool underline, bool italic,
                             bool shared) {
  if (id < 0) return -1;
  if (shared) return AddSharedFont(id, name, size, bold, underline, italic);
  m_fonts[id] = TFontInfo{name, size, bold, underline, italic};
  NeedUpdate();
  return id;
}

bool CPaintManagerUI::RemoveFont(int id) {
  bool removed = m_fonts.erase(id) != 0;
  if (removed) NeedUpdate();
  return removed;
}

void CPaintManagerUI::RemoveAllFonts(bool shared) {
  if (shared) {
    RemoveAllSharedFonts();
    return;
  }
  m_fonts.clear();
  m_bHasDefaultFont = false;
  NeedUpdate();
}

void CPaintManagerUI::SetDefaultFont(const CDuiString& name, int size, bool bold, bool underline, bool italic,
                                     bool shared) {
  TFontInfo f{name, size, bold, underline, italic};
  if (shared) {
    G().defaultFont = f;
    G().hasDefaultFont = true;
  } else {
    m_defaultFont = f;
    m_bHasDefaultFont = true;
  }
  NeedUpdate();
}

TFontInfo CPaintManagerUI::GetFontInfo(int id) const {
  if (id >= 0) {
    auto it = m_fonts.find(id);
    if (it != m_fonts.end()) return it->second;
    auto sh = G().fonts.find(id);
    if (sh != G().fonts.end()) return sh->second;
  }
  if (m_bHasDefaultFont) return m_defaultFont;
  if (G().hasDefaultFont) return G().defaultFont;
  TFontInfo f;
  f.iSize = kDefaultFontSize;
  return f;
}

bool CPaintManagerUI::HasFont(int id) const { return m_fonts.count(id) || G().fonts.count(id); }

void CPaintManagerUI::AddDefaultAttributeList(const CDuiString& cls, const CDuiString& list, bool shared) {
  if (cls.IsEmpty()) return;
  if (shared) G().defaults[FoldCase(cls.view())] = list;
  else m_defaults[FoldCase(cls.view())] = list;
}

CDuiString CPaintManagerUI::GetDefaultAttributeList(const CDuiString& cls) const {
  std::string key = FoldCase(cls.view());
  auto it = m_defaults.find(key);
  if (it != m_defaults.end()) return it->second;
  auto sh = G().defaults.find(key);
  return sh == G().defaults.end() ? CDuiString() : sh->second;
}

void CPaintManagerUI::RemoveAllDefaultAttributeList() { m_defaults.clear(); }

void CPaintManagerUI::Invalidate() {
  if (m_hWnd) InvalidateWindow(m_hWnd, nullptr);
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
  if (m_hWnd && !IsRectEmpty(rc)) InvalidateWindow(m_hWnd, &rc);
}

void CPaintManagerUI::DoLayout(bool force) {
  if (!m_pRoot) return;
  SIZE client = GetClientSize();
  RECT rc{0, 0, client.cx, client.cy};
  if (force || m_bUpdateNeeded || m_pRoot->IsUpdateNeeded() || !(m_pRoot->GetPos() == rc)) {
    m_bUpdateNeeded = false;
    m_pRoot->SetPos(rc, false);
  }
}

void CPaintManagerUI::ScheduleInit() {
  if (m_bInitSent || m_impl->initScheduled) return;
  m_impl->initScheduled = true;
  std::weak_ptr<int> alive = m_impl->alive;
  QTimer::singleShot(0, [this, alive] {
    if (alive.expired()) return;
    m_impl->initScheduled = false;
    SendWindowInit();
  });
}

void CPaintManagerUI::SendWindowInit() {
  if (m_bInitSent || !m_pRoot) return;
  DoLayout(true);
  m_bInitSent = true;
  SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT);
}

void CPaintManagerUI::Render(HDC hDC, const RECT& rcPaint) {
  if (!m_pRoot || m_bPainting) return;
  m_bPainting = true;
  DoLayout();
  m_pRoot->Paint(hDC, rcPaint);
  m_bPainting = false;
}

bool CPaintManagerUI::SaveToPng(const CDuiString& path) {
  if (!m_pRoot) return false;
  SIZE size = GetClientSize();
  if (size.cx <= 0 || size.cy <= 0 || size.cx > 16384 || size.cy > 16384) return false;
  QImage image(size.cx, size.cy, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor(ColorRed(kColorWindow), ColorGreen(kColorWindow), ColorBlue(kColorWindow)));
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    CRenderContext ctx(&painter);
    DoLayout();
    RECT all{0, 0, size.cx, size.cy};
    m_pRoot->Paint(&ctx, all);
  }
  if (!image.save(QString::fromUtf8(path.GetData()), "PNG")) {
    DebugOutputF("CPaintManagerUI::SaveToPng: cannot write \"%s\"", path.GetData());
    return false;
  }
  return true;
}

}  // namespace talmi
