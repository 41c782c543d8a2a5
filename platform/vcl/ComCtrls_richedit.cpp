// TCustomRichEdit and TRichEdit: the memo over the "RICHEDIT" window, selection notices, and lines
// streamed as RTF.

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"
#include "platform/win32/ctl/Rtf.h"

// ---- TRichEditStrings ---------------------------------------------------------------------------------------------

TRichEditStrings::TRichEditStrings(TCustomRichEdit* RichEdit) : TMemoStrings(RichEdit), FRichEdit(RichEdit) {}
TRichEditStrings::~TRichEditStrings() = default;

// RTF gives its text; what is not RTF is taken as it is, as is everything when PlainText.
void TRichEditStrings::LoadFromStream(TStream* Stream) {
  const int64_t size = Stream->Size() - Stream->Position();
  AnsiString data;
  if (size > 0) {
    data.resize(static_cast<size_t>(size));
    data.resize(static_cast<size_t>(Stream->Read(data.data(), static_cast<int>(size))));
  }
  AnsiString text;
  if (FRichEdit->PlainText() || !xj::ctl::RtfToText(data, text)) text = std::move(data);
  SetTextStr(text);
}

void TRichEditStrings::SaveToStream(TStream* Stream) {
  AnsiString text = GetTextStr();
  if (!FRichEdit->PlainText()) text = xj::ctl::TextToRtf(text);
  if (!text.empty()) Stream->WriteBuffer(text.data(), static_cast<int>(text.size()));
}

// ---- TCustomRichEdit ------------------------------------------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {
  ReplaceLines(std::make_unique<TRichEditStrings>(this));
}

TCustomRichEdit::~TCustomRichEdit() { TearDownWindow(); }

void TCustomRichEdit::CreateParams(TCreateParams& Params) {
  TCustomMemo::CreateParams(Params);
  CreateSubClass(Params, RICHEDIT_CLASSA);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// The window reports changes and selection moves, and wraps as WordWrap says whatever bars it has.
void TCustomRichEdit::CreateWnd() {
  TCustomMemo::CreateWnd();
  Perform(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_PROTECTED | ENM_REQUESTRESIZE);
  Perform(EM_SETTARGETDEVICE, 0, WordWrap() ? 0 : 1);
}

void TCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

bool TCustomRichEdit::ProtectChange(int StartPos, int EndPos) {
  bool allow = false;
  if (OnProtectChange) OnProtectChange(this, StartPos, EndPos, allow);
  return allow;
}

void TCustomRichEdit::RequestSize(const TRect& Rect) {
  if (OnResizeRequest) OnResizeRequest(this, Rect);
}

bool TCustomRichEdit::SaveClipboard(int NumObj, int NumChars) {
  bool save = true;
  if (OnSaveClipboard) OnSaveClipboard(this, NumObj, NumChars, save);
  return save;
}

// The window's questions: a non-zero answer refuses a change of protected text, or drops the clipboard.
void TCustomRichEdit::CNNotify(TMessage& Message) {
  const auto* header = reinterpret_cast<const NMHDR*>(Message.LParam);
  switch (header ? header->code : 0) {
    case EN_SELCHANGE:
      return SelectionChange();
    case EN_REQUESTRESIZE:
      return RequestSize(reinterpret_cast<const REQRESIZE*>(header)->rc);
    case EN_PROTECTED: {
      const CHARRANGE r = reinterpret_cast<const ENPROTECTED*>(header)->chrg;
      Message.Result = ProtectChange(r.cpMin, r.cpMax) ? 0 : 1;
      return;
    }
    case EN_SAVECLIPBOARD: {
      const auto* ask = reinterpret_cast<const ENSAVECLIPBOARD*>(header);
      Message.Result = SaveClipboard(ask->cObjectCount, ask->cch) ? 0 : 1;
      return;
    }
  }
  TCustomMemo::Dispatch(Message);
}

void TCustomRichEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) return CNNotify(Message);
  TCustomMemo::Dispatch(Message);
}

// ---- TRichEdit ----------------------------------------------------------------------------------------------------

TRichEdit::TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
TRichEdit::~TRichEdit() = default;

// ---- Streaming ----------------------------------------------------------------------------------------------------

XJ_PUBLISHED(TCustomRichEdit);
XJ_PUBLISHED(TRichEdit,
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(Lines)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PlainText, false)
  XJ_PROP(PopupMenu)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(ScrollBars, ssNone)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WantReturns, true)
  XJ_PROP(WantTabs, false)
  XJ_PROP(WordWrap, true)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnMouseWheel)
  XJ_EVENT(OnMouseWheelDown)
  XJ_EVENT(OnMouseWheelUp)
  XJ_EVENT(OnProtectChange)
  XJ_EVENT(OnResizeRequest)
  XJ_EVENT(OnSaveClipboard)
  XJ_EVENT(OnSelectionChange)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

namespace xj::vcl {

bool RegisterComCtrlsRichEdit() {
  static const bool registered = (RegisterClasses({ TRichEdit::StaticClass() }), true);
  return registered;
}

}  // namespace xj::vcl
