#include "toolkit/control_factory.h"

#include "toolkit/button.h"
#include "toolkit/color_palette.h"
#include "toolkit/combo.h"
#include "toolkit/edit.h"
#include "toolkit/layouts.h"
#include "toolkit/list.h"
#include "toolkit/progress.h"

namespace talmi {
namespace {

template <typename T>
CControlUI* Make() {
  return new T;
}

struct StockEntry {
  const char* name;
  CControlUI* (*create)();
};

constexpr StockEntry kStockControls[] = {
    {DUI_CTR_CONTROL, Make<CControlUI>},
    {DUI_CTR_CONTAINER, Make<CContainerUI>},
    {DUI_CTR_HORIZONTALLAYOUT, Make<CHorizontalLayoutUI>},
    {DUI_CTR_VERTICALLAYOUT, Make<CVerticalLayoutUI>},
    {DUI_CTR_TABLAYOUT, Make<CTabLayoutUI>},
    {DUI_CTR_LABEL, Make<CLabelUI>},
    {"Text", Make<CLabelUI>},
    {DUI_CTR_BUTTON, Make<CButtonUI>},
    {DUI_CTR_OPTION, Make<COptionUI>},
    {"CheckBox", Make<COptionUI>},
    {DUI_CTR_EDIT, Make<CEditUI>},
    {DUI_CTR_RICHEDIT, Make<CRichEditUI>},
    {DUI_CTR_COMBO, Make<CComboUI>},
    {DUI_CTR_LIST, Make<CListUI>},
    {DUI_CTR_LISTHEADER, Make<CListHeaderUI>},
    {DUI_CTR_LISTHEADERITEM, Make<CListHeaderItemUI>},
    {DUI_CTR_LISTLABELELEMENT, Make<CListLabelElementUI>},
    {DUI_CTR_LISTCONTAINERELEMENT, Make<CListContainerElementUI>},
    {DUI_CTR_SLIDER, Make<CSliderUI>},
    {DUI_CTR_PROGRESS, Make<CProgressUI>},
    {DUI_CTR_COLORPALETTE, Make<CColorPaletteUI>},
};

}  // namespace

CControlFactory* CControlFactory::GetInstance() {
  static CControlFactory instance;
  return &instance;
}

CControlFactory::CControlFactory() {
  for (const StockEntry& e : kStockControls) m_creators[FoldCase(e.name)] = e.create;
}

void CControlFactory::RegistControl(const CDuiString& className, CreateClass creator) {
  if (className.IsEmpty() || !creator) return;
  std::lock_guard<std::mutex> guard(m_lock);
  m_creators[FoldCase(className.view())] = std::move(creator);
}

CControlUI* CControlFactory::CreateControl(const CDuiString& className) const {
  CreateClass creator;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_creators.find(FoldCase(className.view()));
    if (it == m_creators.end()) return nullptr;
    creator = it->second;
  }
  return creator();
}

bool CControlFactory::IsRegistered(const CDuiString& className) const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_creators.count(FoldCase(className.view())) != 0;
}

}  // namespace talmi
