// The published properties of the StdCtrls classes (what text form resources read and write) and the
// registration of the classes by name.

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

// Groups every control of this unit publishes alike.
#define XJ_STD_PLACEMENT \
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored) XJ_PROP(BiDiMode, bdLeftToRight) XJ_PROP(Constraints)
#define XJ_STD_DRAG           \
  XJ_PROP(DragCursor, crDrag) \
  XJ_PROP(DragKind, dkDrag)   \
  XJ_PROP(DragMode, dmManual)
#define XJ_STD_STATE \
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored) XJ_PROP(Font) XJ_STORED(IsFontStored) XJ_PROP(ParentBiDiMode, true)
#define XJ_STD_HINTS            \
  XJ_PROP(ParentShowHint, true) \
  XJ_PROP(PopupMenu)            \
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
#define XJ_STD_DRAG_EVENTS \
  XJ_EVENT(OnDragDrop)     \
  XJ_EVENT(OnDragOver)     \
  XJ_EVENT(OnEndDock)      \
  XJ_EVENT(OnEndDrag)      \
  XJ_EVENT(OnStartDock)    \
  XJ_EVENT(OnStartDrag)
#define XJ_STD_MOUSE_EVENTS \
  XJ_EVENT(OnMouseDown)     \
  XJ_EVENT(OnMouseMove)     \
  XJ_EVENT(OnMouseUp)
#define XJ_STD_KEY_EVENTS \
  XJ_EVENT(OnEnter)       \
  XJ_EVENT(OnExit)        \
  XJ_EVENT(OnKeyDown)     \
  XJ_EVENT(OnKeyPress)    \
  XJ_EVENT(OnKeyUp)
#define XJ_STD_WINDOWED      \
  XJ_PROP(Ctl3D, true)       \
  XJ_PROP(ParentCtl3D, true) \
  XJ_PROP(TabOrder)

XJ_PUBLISHED(TCustomLabel);
XJ_PUBLISHED(TLabel,
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_STD_PLACEMENT
  XJ_PROP(AutoSize, true)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(FocusControl)
  XJ_PROP(Layout, tlTop)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_PROP(ShowAccelChar, true)
  XJ_PROP(Transparent, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WordWrap, false)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_STD_DRAG_EVENTS
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TButtonControl);
XJ_PUBLISHED(TButton,
  XJ_PROP(Action)
  XJ_STD_PLACEMENT
  XJ_PROP(Cancel, false)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Default, false)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(ModalResult, 0)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_STD_DRAG_EVENTS
  XJ_STD_KEY_EVENTS
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TCustomCheckBox);
XJ_PUBLISHED(TCheckBox,
  XJ_PROP(Action)
  XJ_PROP(Alignment, taRightJustify)
  XJ_PROP(AllowGrayed, false)
  XJ_STD_PLACEMENT
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Checked, false) XJ_STORED(IsCheckedStored)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_PROP(State, cbUnchecked)
  XJ_STD_WINDOWED
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_STD_DRAG_EVENTS
  XJ_STD_KEY_EVENTS
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TRadioButton,
  XJ_PROP(Action)
  XJ_PROP(Alignment, taRightJustify)
  XJ_STD_PLACEMENT
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Checked, false)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_STD_WINDOWED
  XJ_PROP(TabStop, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_STD_DRAG_EVENTS
  XJ_STD_KEY_EVENTS
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TCustomGroupBox);
XJ_PUBLISHED(TGroupBox,
  XJ_PROP(Align, alNone)
  XJ_STD_PLACEMENT
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_STD_WINDOWED
  XJ_PROP(TabStop, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_STD_DRAG_EVENTS
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TCustomEdit);
XJ_PUBLISHED(TEdit,
  XJ_STD_PLACEMENT
  XJ_PROP(AutoSelect, true)
  XJ_PROP(AutoSize, true)
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(CharCase, ecNormal)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(HideSelection, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(OEMConvert, false)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_PROP(PasswordChar, '\0')
  XJ_PROP(ReadOnly, false)
  XJ_STD_WINDOWED
  XJ_PROP(TabStop, true)
  XJ_PROP(Text)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_STD_DRAG_EVENTS
  XJ_STD_KEY_EVENTS
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TCustomListBox);
XJ_PUBLISHED(TListBox,
  XJ_PROP(Align, alNone)
  XJ_STD_PLACEMENT
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Columns, 0)
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(ExtendedSelect, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(IntegralHeight, false)
  XJ_PROP(ItemHeight, 16)
  XJ_PROP(Items)
  XJ_PROP(MultiSelect, false)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentFont, true)
  XJ_STD_HINTS
  XJ_PROP(Sorted, false)
  XJ_PROP(Style, lbStandard)
  XJ_STD_WINDOWED
  XJ_PROP(TabStop, true)
  XJ_PROP(TabWidth, 0)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDblClick)
  XJ_STD_DRAG_EVENTS
  XJ_EVENT(OnDrawItem)
  XJ_STD_KEY_EVENTS
  XJ_EVENT(OnMeasureItem)
  XJ_STD_MOUSE_EVENTS);

XJ_PUBLISHED(TScrollBar,
  XJ_PROP(Align, alNone)
  XJ_STD_PLACEMENT
  XJ_STD_DRAG
  XJ_STD_STATE
  XJ_PROP(Kind, sbHorizontal)
  XJ_PROP(LargeChange, 1)
  XJ_PROP(Max, 100)
  XJ_PROP(Min, 0)
  XJ_PROP(PageSize, 0)
  XJ_STD_HINTS
  XJ_PROP(Position, 0)
  XJ_PROP(SmallChange, 1)
  XJ_STD_WINDOWED
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnContextPopup)
  XJ_STD_DRAG_EVENTS
  XJ_STD_KEY_EVENTS
  XJ_EVENT(OnScroll));

namespace xj::vcl {

bool RegisterStdCtrls() {
  static const bool registered =
      (RegisterClasses({ TLabel::StaticClass(), TButton::StaticClass(), TCheckBox::StaticClass(),
                         TRadioButton::StaticClass(), TGroupBox::StaticClass(), TEdit::StaticClass(),
                         TListBox::StaticClass(), TScrollBar::StaticClass() }),
       true);
  return registered;
}

}  // namespace xj::vcl
