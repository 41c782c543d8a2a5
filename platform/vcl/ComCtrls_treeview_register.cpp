// The published properties of the tree view (what text form resources read and write) and its
// registration by name.

#include "platform/vcl/ComCtrls_treeview.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"

XJ_PUBLISHED(TTreeNodes);
XJ_PUBLISHED(TCustomTreeView);
XJ_PUBLISHED(TTreeView,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoExpand, false)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(ChangeDelay, 0)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(HotTrack, false)
  XJ_PROP(Images)
  XJ_PROP(Indent, 19)
  XJ_PROP(Items)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(RightClickSelect, false)
  XJ_PROP(RowSelect, false)
  XJ_PROP(ShowButtons, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(ShowLines, true)
  XJ_PROP(ShowRoot, true)
  XJ_PROP(SortType, stNone)
  XJ_PROP(StateImages)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(ToolTips, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnAdvancedCustomDraw)
  XJ_EVENT(OnAdvancedCustomDrawItem)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnChanging)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnCollapsed)
  XJ_EVENT(OnCollapsing)
  XJ_EVENT(OnCompare)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnCustomDraw)
  XJ_EVENT(OnCustomDrawItem)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDeletion)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEdited)
  XJ_EVENT(OnEditing)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnExpanding)
  XJ_EVENT(OnExpanded)
  XJ_EVENT(OnGetImageIndex)
  XJ_EVENT(OnGetSelectedIndex)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

namespace xj::vcl {
bool RegisterComCtrlsTreeView() {
  static const bool registered = (RegisterClasses({ TTreeView::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
