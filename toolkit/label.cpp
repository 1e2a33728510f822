#include "toolkit/label.h"

#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"

namespace talmi {

CLabelUI::CLabelUI() = default;

CDuiString CLabelUI::GetClass() const { return "LabelUI"; }

void* CLabelUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_LABEL) == 0) return this;
  return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextStyle(UINT style) {
  m_uTextStyle = style;
  Invalidate();
}

void CLabelUI::SetTextColor(DWORD color) {
  m_dwTextColor = color;
  Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
  m_dwDisabledTextColor = color;
  Invalidate();
}

void CLabelUI::SetFont(int id) {
  m_iFont = id;
  Invalidate();
}

RECT CLabelUI::GetTextPadding() const { return Scale(m_rcTextPadding); }

void CLabelUI::SetTextPadding(RECT rc) {
  m_rcTextPadding = rc;
  Invalidate();
}

void CLabelUI::SetAutoCalcWidth(bool on) {
  m_bAutoCalcWidth = on;
  NeedParentUpdate();
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable) {
  SIZE sz = CControlUI::EstimateSize(szAvailable);
  if (m_bAutoCalcWidth && m_pManager) {
    RECT pad = GetTextPadding();
    SIZE text = CRenderEngine::MeasureText(m_pManager, GetText(), m_iFont, 9999, m_uTextStyle);
    sz.cx = text.cx + pad.left + pad.right;
  }
  return sz;
}

void CLabelUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  DWORD color = 0;
  int i = 0;
  RECT rc{};
  if (n == "align") {
    m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
    if (v.find("center") != std::string_view::npos) m_uTextStyle |= DT_CENTER;
    else if (v.find("right") != std::string_view::npos) m_uTextStyle |= DT_RIGHT;
    if (v.find("top") != std::string_view::npos) m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
    if (v.find("bottom") != std::string_view::npos) {
      m_uTextStyle &= ~DT_VCENTER;
      m_uTextStyle |= DT_BOTTOM;
    }
    if (v.find("vcenter") != std::string_view::npos) {
      m_uTextStyle &= ~DT_BOTTOM;
      m_uTextStyle |= DT_VCENTER;
    }
    Invalidate();
  } else if (n == "valign") {
    m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
    if (v == "vcenter" || v == "center") m_uTextStyle |= DT_VCENTER;
    else if (v == "bottom") m_uTextStyle |= DT_BOTTOM;
    Invalidate();
  } else if (n == "endellipsis") {
    if (ParseBool(v)) m_uTextStyle |= DT_END_ELLIPSIS;
    else m_uTextStyle &= ~DT_END_ELLIPSIS;
  } else if (n == "wordbreak" || n == "multiline") {
    if (ParseBool(v)) {
      m_uTextStyle &= ~DT_SINGLELINE;
      m_uTextStyle |= DT_WORDBREAK;
    } else {
      m_uTextStyle &= ~DT_WORDBREAK;
      m_uTextStyle |= DT_SINGLELINE;
    }
  } else if (n == "font") {
    if (ParseInt(v, i)) SetFont(i);
  } else if (n == "textcolor") {
    if (ParseColor(v, color)) SetTextColor(color);
  } else if (n == "disabledtextcolor") {
    if (ParseColor(v, color)) SetDisabledTextColor(color);
  } else if (n == "textpadding") {
    if (ParseRect(v, rc)) SetTextPadding(rc);
  } else if (n == "autocalcwidth") {
    SetAutoCalcWidth(ParseBool(v));
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

DWORD CLabelUI::CurrentTextColor() const {
  if (!IsEnabled()) {
    if (m_dwDisabledTextColor) return m_dwDisabledTextColor;
    return m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFF5C6370;
  }
  if (m_dwTextColor) return m_dwTextColor;
  return m_pManager ? m_pManager->GetDefaultFontColor() : 0xFFE6E8EE;
}

void CLabelUI::DrawTextIn(HDC hDC, const RECT& rc, DWORD color) {
  CDuiString text = GetText();
  if (text.IsEmpty()) return;
  RECT pad = GetTextPadding();
  RECT r{rc.left + pad.left, rc.top + pad.top, rc.right - pad.right, rc.bottom - pad.bottom};
  CRenderEngine::DrawText(hDC, m_pManager, r, text, color, m_iFont, m_uTextStyle);
}

void CLabelUI::PaintText(HDC hDC) { DrawTextIn(hDC, m_rcItem, CurrentTextColor()); }

}  // namespace talmi
