#include "toolkit/edit_overlay.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include "toolkit/edit.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"
#include "toolkit/window_core.h"

namespace talmi {
namespace {

constexpr WPARAM kVkTab = 0x09;
constexpr WPARAM kVkReturn = 0x0D;
constexpr WPARAM kVkEscape = 0x1B;

QString Hex(DWORD c) { return QString("#%1").arg(c & 0xFFFFFF, 6, 16, QChar('0')); }

QFont OverlayFont(CPaintManagerUI* pm, int fontId) {
  TFontInfo info = pm->GetFontInfo(fontId);
  QFont f;
  if (!info.sFontName.IsEmpty()) f.setFamily(QString::fromUtf8(info.sFontName.GetData()));
  const int px = pm->ScaleValue(info.iSize);
  f.setPixelSize(px > 0 ? px : 1);
  f.setBold(info.bBold);
  f.setItalic(info.bItalic);
  return f;
}

// Tab, Escape and (where the field does not want it) Return belong to the
// window: focus moves, dialogs close or take their default.
class KeyForwarder : public QObject {
 public:
  KeyForwarder(HWND hwnd, bool wantReturn) : m_hwnd(hwnd), m_wantReturn(wantReturn) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return QObject::eventFilter(obj, e);
    auto* k = static_cast<QKeyEvent*>(e);
    WPARAM vk = 0;
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) vk = kVkTab;
    else if (k->key() == Qt::Key_Escape) vk = kVkEscape;
    else if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && !m_wantReturn) vk = kVkReturn;
    if (!vk) return QObject::eventFilter(obj, e);
    const bool shift = (k->modifiers() & Qt::ShiftModifier) || k->key() == Qt::Key_Backtab;
    SendMessage(m_hwnd, WM_KEYDOWN, vk, shift ? kKeyShiftHeld : 0);
    return true;
  }

 private:
  HWND m_hwnd;
  bool m_wantReturn;
};

}  // namespace

struct EditOverlay {
  QPointer<QWidget> field;
  QPointer<QObject> forwarder;
  bool updating = false;
};

EditOverlay* OpenEditOverlay(CEditUI* edit) {
  CPaintManagerUI* pm = edit ? edit->GetManager() : nullptr;
  if (!pm) return nullptr;
  std::shared_ptr<WindowCore> core = FindCore(pm->GetPaintWindow());
  if (!core || !core->host || core->destroying) return nullptr;
  auto* ov = new EditOverlay;
  const bool rich = edit->GetInterface(DUI_CTR_RICHEDIT) != nullptr;
  const bool wantReturn = rich && (edit->GetControlFlags() & UIFLAG_WANTRETURN);
  const QString text = QString::fromUtf8(edit->GetText().GetData());
  const QString style = QString("background:%1;color:%2;border:none;selection-background-color:%3;")
                            .arg(Hex(kColorRaised), Hex(kColorText), Hex(kColorAccent));
  auto* fwd = new KeyForwarder(pm->GetPaintWindow(), wantReturn);
  if (rich) {
    auto* w = new QPlainTextEdit(core->host);
    w->setPlainText(text);
    w->setFrameShape(QFrame::NoFrame);
    QObject::connect(w, &QPlainTextEdit::textChanged, [ov, edit, w] {
      if (ov->updating) return;
      const QString typed = w->toPlainText();
      const CDuiString filtered = edit->FilterInput(typed.toUtf8().constData());
      if (QString::fromUtf8(filtered.GetData()) != typed) {
        ov->updating = true;
        w->setPlainText(QString::fromUtf8(filtered.GetData()));
        w->moveCursor(QTextCursor::End);
        ov->updating = false;
      }
      // Last: a handler of "textchanged" may move the focus and close this field.
      edit->SetUserText(filtered);
    });
    ov->field = w;
  } else {
    auto* w = new QLineEdit(core->host);
    w->setText(text);
    w->setFrame(false);
    if (edit->GetMaxChar() > 0) w->setMaxLength(edit->GetMaxChar());
    if (edit->IsPasswordMode()) w->setEchoMode(QLineEdit::Password);
    w->setReadOnly(edit->IsReadOnly());
    QObject::connect(w, &QLineEdit::textEdited, [ov, edit, w](const QString& typed) {
      if (ov->updating) return;
      const CDuiString filtered = edit->FilterInput(typed.toUtf8().constData());
      const QString back = QString::fromUtf8(filtered.GetData());
      if (back != typed) {
        // Refused characters never show: the field goes back to what the control holds.
        ov->updating = true;
        const int cursor = w->cursorPosition() - (typed.size() - back.size());
        w->setText(back);
        w->setCursorPosition(cursor < 0 ? 0 : cursor);
        ov->updating = false;
      }
      // Last: a handler of "textchanged" may move the focus and close this field.
      edit->SetUserText(filtered);
    });
    ov->field = w;
  }
  ov->field->setStyleSheet(style);
  ov->field->setFont(OverlayFont(pm, edit->GetFont()));
  fwd->setParent(ov->field);
  ov->forwarder = fwd;
  ov->field->installEventFilter(fwd);
  MoveEditOverlay(ov, edit->GetPos());
  ov->field->show();
  ov->field->setFocus(Qt::OtherFocusReason);
  return ov;
}

void CloseEditOverlay(EditOverlay* ov) {
  if (!ov) return;
  if (QWidget* w = ov->field) {
    // Signals stop now; the widget may be the one whose key press led here.
    QObject::disconnect(w, nullptr, nullptr, nullptr);
    w->removeEventFilter(ov->forwarder);
    if (QWidget* host = w->parentWidget()) host->setFocus(Qt::OtherFocusReason);
    w->hide();
    w->deleteLater();
  }
  delete ov;
}

void MoveEditOverlay(EditOverlay* ov, const RECT& rc) {
  if (!ov || !ov->field) return;
  // Inside the control's border, which the control keeps drawing.
  const int inset = 2;
  ov->field->setGeometry(rc.left + inset + 6, rc.top + inset, RectWidth(rc) - 2 * inset - 12,
                         RectHeight(rc) - 2 * inset);
}

void SetEditOverlayText(EditOverlay* ov, const char* text) {
  if (!ov || !ov->field) return;
  ov->updating = true;
  if (auto* l = qobject_cast<QLineEdit*>(ov->field.data())) l->setText(QString::fromUtf8(text));
  else if (auto* p = qobject_cast<QPlainTextEdit*>(ov->field.data())) p->setPlainText(QString::fromUtf8(text));
  ov->updating = false;
}

}  // namespace talmi
