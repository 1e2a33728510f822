#include "toolkit/combo_popup.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

#include "toolkit/combo.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"
#include "toolkit/qt_render_context.h"
#include "toolkit/window_core.h"

namespace talmi {
namespace {

QColor ToQColor(DWORD c) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c), ColorAlpha(c)); }

class DropWidget : public QWidget {
 public:
  DropWidget(QWidget* host, CComboUI* combo, const RECT& box) : QWidget(host), m_combo(combo), m_box(box) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setGeometry(box.left, box.top, RectWidth(box), RectHeight(box));
    host->installEventFilter(this);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(kColorSurface));
    p.translate(-m_box.left, -m_box.top);
    CRenderContext ctx(&p);
    for (int i = 0; i < m_combo->GetCount(); ++i) {
      CControlUI* row = m_combo->GetItemAt(i);
      if (!row->IsVisible()) continue;
      RECT r = row->GetPos();
      if (r.bottom <= m_box.top || r.top >= m_box.bottom) continue;
      if (i == m_hot && i != m_combo->GetCurSel()) CRenderEngine::DrawColor(&ctx, r, kColorRaised);
      row->Paint(&ctx, m_box);
    }
    p.setPen(ToQColor(kColorBorder));
    p.drawRect(QRect(m_box.left, m_box.top, RectWidth(m_box) - 1, RectHeight(m_box) - 1));
  }

  void mouseMoveEvent(QMouseEvent* e) override {
    const int hot = RowAt(e->position().toPoint());
    if (hot != m_hot) {
      m_hot = hot;
      update();
    }
  }

  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    const int row = RowAt(e->position().toPoint());
    if (row < 0) return;
    // Choosing closes the drop-down; the notification may delete the combo.
    CComboUI* combo = m_combo;
    combo->CloseDropDown();
    combo->SelectItem(row, false, true);
  }

  void wheelEvent(QWheelEvent* e) override {
    const int steps = e->angleDelta().y() / 120;
    if (steps) m_combo->ScrollDropDown(-steps);
  }

  bool eventFilter(QObject* obj, QEvent* e) override {
    // A press anywhere else in the window closes the drop-down; a press on
    // the combo itself is the combo's to handle (it toggles).
    if (e->type() == QEvent::MouseButtonPress && obj == parent()) {
      const QPoint pt = static_cast<QMouseEvent*>(e)->position().toPoint();
      const RECT rc = m_combo->GetPos();
      if (!PtInRect(rc, POINT{pt.x(), pt.y()})) m_combo->CloseDropDown();
    }
    return QWidget::eventFilter(obj, e);
  }

 private:
  int RowAt(QPoint local) const {
    const POINT pt{local.x() + m_box.left, local.y() + m_box.top};
    for (int i = 0; i < m_combo->GetCount(); ++i) {
      CControlUI* row = m_combo->GetItemAt(i);
      if (row->IsVisible() && row->IsEnabled() && PtInRect(row->GetPos(), pt)) return i;
    }
    return -1;
  }

  CComboUI* m_combo;
  RECT m_box;
  int m_hot = -1;
};

}  // namespace

struct ComboPopup {
  QPointer<DropWidget> widget;
};

ComboPopup* OpenComboPopup(CComboUI* combo, const RECT& box) {
  CPaintManagerUI* pm = combo ? combo->GetManager() : nullptr;
  if (!pm) return nullptr;
  std::shared_ptr<WindowCore> core = FindCore(pm->GetPaintWindow());
  if (!core || !core->host || core->destroying) return nullptr;
  auto* popup = new ComboPopup;
  popup->widget = new DropWidget(core->host, combo, box);
  popup->widget->show();
  popup->widget->raise();
  return popup;
}

void CloseComboPopup(ComboPopup* popup) {
  if (!popup) return;
  if (DropWidget* w = popup->widget) {
    if (QWidget* host = w->parentWidget()) host->removeEventFilter(w);
    w->hide();
    w->deleteLater();
  }
  delete popup;
}

void RepaintComboPopup(ComboPopup* popup) {
  if (popup && popup->widget) popup->widget->update();
}

bool IsComboPopupShown(const ComboPopup* popup) { return popup && popup->widget && popup->widget->isVisible(); }

}  // namespace talmi
