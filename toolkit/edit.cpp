#include "toolkit/edit.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/edit_overlay.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"
#include "toolkit/resource_manager.h"

namespace talmi {

int Utf8Length(const CDuiString& s) {
  int n = 0;
  for (unsigned char c : s.str())
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

CEditUI::CEditUI() {
  m_uTextStyle = DT_SINGLELINE | DT_VCENTER;
  m_rcTextPadding = RECT{8, 0, 8, 0};
}

CEditUI::~CEditUI() { CloseEditOverlay(m_pOverlay); }

CDuiString CEditUI::GetClass() const { return "EditUI"; }

void* CEditUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_EDIT) == 0) return this;
  return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR | UIFLAG_TABSTOP : 0; }

void CEditUI::SetText(const CDuiString& text) {
  // The limit holds for text put in by code as well.
  if (m_iMaxChar > 0 && Utf8Length(text) > m_iMaxChar) CLabelUI::SetText(FilterInput(text));
  else CLabelUI::SetText(text);
  SetEditOverlayText(m_pOverlay, m_sText.GetData());
}

void CEditUI::SetNumberOnly(bool on) { m_bNumberOnly = on; }

void CEditUI::SetMinValue(int v) {
  m_iMinValue = v;
  m_bHasMin = true;
}

void CEditUI::SetMaxValue(int v) {
  m_iMaxValue = v;
  m_bHasMax = true;
}

void CEditUI::SetMaxChar(int count) {
  m_iMaxChar = count < 0 ? 0 : count;
  if (m_iMaxChar > 0 && Utf8Length(m_sText) > m_iMaxChar) CLabelUI::SetText(FilterInput(m_sText));
}

CDuiString CEditUI::FilterInput(const CDuiString& text) const {
  std::string out;
  int chars = 0;
  const std::string& s = text.str();
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (i + len > s.size()) break;
    if (m_bNumberOnly && !(c >= '0' && c <= '9')) {
      i += len;
      continue;
    }
    if (m_iMaxChar > 0 && chars >= m_iMaxChar) break;
    out.append(s, i, len);
    ++chars;
    i += len;
  }
  return out;
}

void CEditUI::SetUserText(const CDuiString& text) {
  if (m_bReadOnly) return;
  CDuiString filtered = FilterInput(text);
  if (filtered == m_sText) return;
  CLabelUI::SetText(filtered);
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
}

bool CEditUI::ApplyValueRange() {
  if (!m_bNumberOnly || !HasValueRange() || m_sText.IsEmpty()) return false;
  long long v = std::strtoll(m_sText.GetData(), nullptr, 10);
  long long clamped = v;
  if (m_bHasMin && clamped < m_iMinValue) clamped = m_iMinValue;
  if (m_bHasMax && clamped > m_iMaxValue) clamped = m_iMaxValue;
  CDuiString s;
  s.Format("%lld", clamped);
  if (s == m_sText) return false;
  CLabelUI::SetText(s);
  return true;
}

void CEditUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SETFOCUS && !m_pOverlay && IsEnabled()) m_pOverlay = OpenEditOverlay(this);
  if (event.Type == UIEVENT_KILLFOCUS) {
    // The typed text stays; only the native field goes.
    EditOverlay* ov = m_pOverlay;
    m_pOverlay = nullptr;
    CloseEditOverlay(ov);
    ApplyValueRange();
  }
  if (event.Type == UIEVENT_BUTTONDOWN && IsEnabled()) {
    SetFocus();
    return;
  }
  CLabelUI::DoEvent(event);
}

void CEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CLabelUI::SetPos(rc, bNeedInvalidate);
  MoveEditOverlay(m_pOverlay, m_rcItem);
}

void CEditUI::SetVisible(bool visible) {
  if (!visible && m_pOverlay) {
    EditOverlay* ov = m_pOverlay;
    m_pOverlay = nullptr;
    CloseEditOverlay(ov);
  }
  CLabelUI::SetVisible(visible);
}

void CEditUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  int i = 0;
  DWORD c = 0;
  if (n == "numberonly") SetNumberOnly(ParseBool(v));
  else if (n == "minvalue") { if (ParseInt(v, i)) SetMinValue(i); }
  else if (n == "maxvalue") { if (ParseInt(v, i)) SetMaxValue(i); }
  else if (n == "maxchar") { if (ParseInt(v, i)) SetMaxChar(i); }
  else if (n == "readonly") SetReadOnly(ParseBool(v));
  else if (n == "password") SetPasswordMode(ParseBool(v));
  else if (n == "tipvalue") SetTipValue(value);
  else if (n == "tipvaluecolor") { if (ParseColor(v, c)) m_dwTipValueColor = c; }
  else CLabelUI::SetAttribute(name, value);
}

void CEditUI::PaintBkColor(HDC hDC) {
  if (ColorAlpha(m_dwBackColor) || !m_sBkImage.IsEmpty()) {
    CLabelUI::PaintBkColor(hDC);
    return;
  }
  CRenderEngine::DrawColor(hDC, m_rcItem, kColorRaised, Scale(kInputRadius));
}

void CEditUI::PaintBorder(HDC hDC) {
  if (m_nBorderSize > 0) {
    CLabelUI::PaintBorder(hDC);
    return;
  }
  DWORD color = IsFocused() ? kColorAccent : kColorBorder;
  CRenderEngine::DrawBorder(hDC, m_rcItem, Scale(1), color, Scale(kInputRadius));
}

void CEditUI::PaintText(HDC hDC) {
  CDuiString text = GetText();
  RECT pad = GetTextPadding();
  RECT r{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right,
         m_rcItem.bottom - pad.bottom};
  if (text.IsEmpty()) {
    CDuiString tip = CResourceManager::Translate(m_sTipValue, m_bResourceText);
    if (!tip.IsEmpty()) CRenderEngine::DrawText(hDC, m_pManager, r, tip, m_dwTipValueColor, m_iFont, m_uTextStyle);
    return;
  }
  if (m_bPassword) text = CDuiString(std::string(static_cast<size_t>(Utf8Length(text)), '*'));
  CRenderEngine::DrawText(hDC, m_pManager, r, text, CurrentTextColor(), m_iFont, m_uTextStyle);
}

CRichEditUI::CRichEditUI() {
  m_uTextStyle = DT_WORDBREAK;
  m_rcTextPadding = RECT{8, 6, 8, 6};
  m_iMaxChar = 0;
}

CDuiString CRichEditUI::GetClass() const { return "RichEditUI"; }

void* CRichEditUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_RICHEDIT) == 0) return this;
  return CEditUI::GetInterface(name);
}

UINT CRichEditUI::GetControlFlags() const {
  return CEditUI::GetControlFlags() | (m_bWantReturn ? UIFLAG_WANTRETURN : 0);
}

void CRichEditUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  if (n == "wantreturn") m_bWantReturn = ParseBool(v);
  else if (n == "rich") {
  } else CEditUI::SetAttribute(name, value);
}

}  // namespace talmi
