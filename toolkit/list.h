#pragma once
// Lists: an owner (list or combo) holds item rows; each row knows its index
// and its owner, and the owner keeps the one current selection.
#include "toolkit/layouts.h"
#include "toolkit/label.h"

namespace talmi {

// How the owner draws its rows.
struct TListInfoUI {
  int nFont = -1;
  UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
  RECT rcTextPadding{10, 0, 10, 0};
  DWORD dwTextColor = 0;
  DWORD dwBkColor = 0;
  DWORD dwSelectedTextColor = 0;
  DWORD dwSelectedBkColor = 0;
  DWORD dwHotTextColor = 0;
  DWORD dwHotBkColor = 0;
  DWORD dwDisabledTextColor = 0;
  CDuiString sBkImage;
  CDuiString sSelectedImage;
  CDuiString sHotImage;
  int nItemHeight = 30;
  // Reads the item* attributes of an owner; false when the name is not one.
  bool SetAttribute(const char* name, const char* value);
};

class IListItemUI;

class IListOwnerUI {
 public:
  virtual ~IListOwnerUI() = default;
  virtual TListInfoUI* GetListInfo() = 0;
  virtual int GetCurSel() const = 0;
  // -1 clears the selection. "itemselect" (wParam new index, lParam old)
  // goes out when triggerEvent is set and the selection changed.
  virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
  virtual void DoEvent(TEventUI& event) = 0;
};

class IListItemUI {
 public:
  virtual ~IListItemUI() = default;
  virtual int GetIndex() const = 0;
  virtual void SetIndex(int index) = 0;
  virtual IListOwnerUI* GetOwner() = 0;
  virtual void SetOwner(CControlUI* owner) = 0;
  virtual bool IsSelected() const = 0;
  // The row's own mark; the owner calls it. Use the owner's SelectItem to
  // change the selection.
  virtual bool Select(bool selected = true) = 0;
};

// The row state and the drawing shared by both row kinds.
class CListRowState : public IListItemUI {
 public:
  int GetIndex() const override { return m_iIndex; }
  void SetIndex(int index) override { m_iIndex = index; }
  IListOwnerUI* GetOwner() override { return m_pOwner; }
  void SetOwner(CControlUI* owner) override;
  bool IsSelected() const override { return m_bSelected; }

 protected:
  // Routes the common row input: a press selects the row and sends
  // "itemclick", a double click sends "itemactivate".
  bool HandleRowEvent(CControlUI* self, TEventUI& event);
  void PaintRowBk(CControlUI* self, HDC hDC);

  int m_iIndex = -1;
  bool m_bSelected = false;
  bool m_bHot = false;
  IListOwnerUI* m_pOwner = nullptr;
};

class CListLabelElementUI : public CLabelUI, public CListRowState {
 public:
  CListLabelElementUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  bool Select(bool selected = true) override;
  bool Activate() override;
  void DoEvent(TEventUI& event) override;
  SIZE EstimateSize(SIZE szAvailable) override;
  void PaintBkColor(HDC hDC) override;
  void PaintText(HDC hDC) override;
  void SetVisible(bool visible = true) override;
};

class CListContainerElementUI : public CHorizontalLayoutUI, public CListRowState {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  bool Select(bool selected = true) override;
  bool Activate() override;
  void DoEvent(TEventUI& event) override;
  SIZE EstimateSize(SIZE szAvailable) override;
  void PaintBkColor(HDC hDC) override;
};

class CListHeaderUI : public CHorizontalLayoutUI {
 public:
  CListHeaderUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
};

class CListHeaderItemUI : public CLabelUI {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  // Rows only; the header (when there is one) is not counted.
  CControlUI* GetItemAt(int index) const override;
  int GetItemIndex(CControlUI* control) const override;
  int GetCount() const override;
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  CListHeaderUI* GetHeader() const { return m_pHeader; }

  TListInfoUI* GetListInfo() override { return &m_info; }
  int GetCurSel() const override { return m_iCurSel; }
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  void DoEvent(TEventUI& event) override;
  void SetAttribute(const char* name, const char* value) override;

  // Vertical scrolling, in pixels. Only the rows inside the view are laid
  // out, hit-tested and drawn, so long lists stay cheap.
  SIZE GetScrollPos() const { return SIZE{0, m_iScrollY}; }
  SIZE GetScrollRange() const;
  void SetScrollPos(SIZE pos);
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();
  void HomeUp();
  void EndDown();
  // Scrolls just enough to show the row.
  void EnsureVisible(int index);
  bool IsScrollBarShown() const { return m_bScrollBar; }
  RECT GetScrollBarRect() const;
  RECT GetScrollThumbRect() const;
  // The rows laid out in the view now (first, last), or (-1, -1).
  POINT GetVisibleRange() const { return POINT{m_iFirstShown, m_iLastShown}; }

  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
  bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

 private:
  int Offset() const { return m_pHeader ? 1 : 0; }
  void Renumber();
  void LayoutRows();
  void ForgetLayout();
  int RowHeight(CControlUI* row);
  int LineStep() const;
  // Row moves of the keyboard: select and show.
  void MoveSelection(int to);

  RECT m_rcView{};
  std::vector<int> m_rowTop;  // per row, from the top of the content; one extra entry: the total
  int m_iScrollY = 0;
  bool m_bScrollBar = false;
  bool m_bThumbDrag = false;
  bool m_bBarHot = false;
  int m_iDragStartY = 0;
  int m_iDragStartScroll = 0;
  int m_iFirstShown = -1;
  int m_iLastShown = -1;

  TListInfoUI m_info;
  CListHeaderUI* m_pHeader = nullptr;
  int m_iCurSel = -1;
};

}  // namespace talmi
