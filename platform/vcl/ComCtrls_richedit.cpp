// TCustomRichEdit and TRichEdit: the memo over the "RICHEDIT" window, selection notices, and lines
// streamed as RTF.

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"
#include "platform/win32/ctl/Rtf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// ---- Streams through the window --------------------------------------------------------------------------------

namespace {

struct Source {
  const AnsiString& data;
  size_t at { 0 };
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG room, LONG* got) {
  auto* source = reinterpret_cast<Source*>(cookie);
  const size_t n = std::min(source->data.size() - source->at, static_cast<size_t>(std::max<LONG>(room, 0)));
  memcpy(buffer, source->data.data() + source->at, n);
  source->at += n;
  *got = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteChunk(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* took) {
  reinterpret_cast<AnsiString*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
  *took = count;
  return 0;
}

void StreamIn(TCustomRichEdit* edit, const AnsiString& data, WPARAM how) {
  Source source { data };
  EDITSTREAM es { reinterpret_cast<DWORD_PTR>(&source), 0, ReadChunk };
  edit->Perform(EM_STREAMIN, how, reinterpret_cast<LPARAM>(&es));
}

AnsiString StreamOut(TCustomRichEdit* edit, WPARAM how) {
  AnsiString out;
  EDITSTREAM es { reinterpret_cast<DWORD_PTR>(&out), 0, WriteChunk };
  edit->Perform(EM_STREAMOUT, how, reinterpret_cast<LPARAM>(&es));
  return out;
}

}  // namespace

// ---- TRichEditStrings ---------------------------------------------------------------------------------------------

TRichEditStrings::TRichEditStrings(TCustomRichEdit* RichEdit) : TMemoStrings(RichEdit), FRichEdit(RichEdit) {}
TRichEditStrings::~TRichEditStrings() = default;

// RTF gives its text and formats; what is not RTF is taken as it is, as is everything when PlainText.
// Before the window exists the text is set and the document kept until it does.
void TRichEditStrings::LoadFromStream(TStream* Stream) {
  const int64_t size = Stream->Size() - Stream->Position();
  AnsiString data;
  if (size > 0) {
    data.resize(static_cast<size_t>(size));
    data.resize(static_cast<size_t>(Stream->Read(data.data(), static_cast<int>(size))));
  }
  FRichEdit->FPendingRtf.clear();
  if (FRichEdit->PlainText() || !xj::ctl::IsRtf(data)) return SetTextStr(data);
  if (!FRichEdit->HandleAllocated()) {
    AnsiString text;
    xj::ctl::RtfToText(data, text);
    SetTextStr(text);
    FRichEdit->FPendingRtf = std::move(data);
    return;
  }
  StreamIn(FRichEdit, data, SF_RTF);
  FRichEdit->Perform(CM_TEXTCHANGED, 0, 0);
}

void TRichEditStrings::SaveToStream(TStream* Stream) {
  AnsiString out;
  if (FRichEdit->PlainText())
    out = GetTextStr();
  else if (FRichEdit->HandleAllocated())
    out = StreamOut(FRichEdit, SF_RTF);
  else if (AnsiString text; xj::ctl::RtfToText(FRichEdit->FPendingRtf, text) && text == GetTextStr())
    out = FRichEdit->FPendingRtf;  // read before the window came, and not changed since
  else
    out = xj::ctl::TextToRtf(GetTextStr());
  if (!out.empty()) Stream->WriteBuffer(out.data(), static_cast<int>(out.size()));
}

namespace {

CHARFORMATA CharMask(DWORD mask, DWORD effects = 0) {
  CHARFORMATA f {};
  f.cbSize = sizeof f;
  f.dwMask = mask;
  f.dwEffects = effects;
  return f;
}

PARAFORMAT ParaMask(DWORD mask) {
  PARAFORMAT f {};
  f.cbSize = sizeof f;
  f.dwMask = mask;
  return f;
}

}  // namespace

// ---- TTextAttributes ------------------------------------------------------------------------------------------------

TTextAttributes::TTextAttributes(TCustomRichEdit* RichEdit, TAttributeType Type) : FRichEdit(RichEdit), FType(Type) {}

CHARFORMATA TTextAttributes::Get() const {
  CHARFORMATA f {};
  f.cbSize = sizeof f;
  FRichEdit->Perform(EM_GETCHARFORMAT, FType == atSelected ? SCF_SELECTION : SCF_DEFAULT, reinterpret_cast<LPARAM>(&f));
  return f;
}

void TTextAttributes::Put(CHARFORMATA& Format) {
  Format.cbSize = sizeof Format;
  FRichEdit->Perform(EM_SETCHARFORMAT, FType == atSelected ? SCF_SELECTION : SCF_DEFAULT,
                     reinterpret_cast<LPARAM>(&Format));
}

int TTextAttributes::PixelsPerInch() const { return FRichEdit->Font()->PixelsPerInch(); }

TFontCharset TTextAttributes::Charset() const { return Get().bCharSet; }
void TTextAttributes::SetCharset(TFontCharset Value) {
  CHARFORMATA f = CharMask(CFM_CHARSET);
  f.bCharSet = Value;
  Put(f);
}

TColor TTextAttributes::Color() const {
  const CHARFORMATA f = Get();
  return (f.dwEffects & CFE_AUTOCOLOR) ? clWindowText : TColor(static_cast<int32_t>(f.crTextColor));
}
void TTextAttributes::SetColor(TColor Value) {
  CHARFORMATA f = CharMask(CFM_COLOR);
  if (Value == clWindowText)
    f.dwEffects = CFE_AUTOCOLOR;
  else
    f.crTextColor = static_cast<COLORREF>(ColorToRGB(Value));
  Put(f);
}

TConsistentAttributes TTextAttributes::ConsistentAttributes() const {
  static constexpr std::pair<DWORD, TConsistentAttribute> kParts[] = {
    { CFM_BOLD, caBold },           { CFM_COLOR, caColor },         { CFM_FACE, caFace },
    { CFM_ITALIC, caItalic },       { CFM_SIZE, caSize },           { CFM_STRIKEOUT, caStrikeOut },
    { CFM_UNDERLINE, caUnderline }, { CFM_PROTECTED, caProtected },
  };
  const DWORD mask = Get().dwMask;
  TConsistentAttributes out;
  for (auto [bit, part] : kParts)
    if (mask & bit) out << part;
  return out;
}

TFontName TTextAttributes::Name() const { return Get().szFaceName; }
void TTextAttributes::SetName(const TFontName& Value) {
  CHARFORMATA f = Get();
  f.dwMask = CFM_FACE;
  memset(f.szFaceName, 0, sizeof f.szFaceName);
  memcpy(f.szFaceName, Value.data(), std::min(Value.size(), sizeof f.szFaceName - 1));
  Put(f);
}

TFontPitch TTextAttributes::Pitch() const {
  const int pitch = Get().bPitchAndFamily & 3;
  return pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
}
void TTextAttributes::SetPitch(TFontPitch Value) {
  CHARFORMATA f = Get();  // the pitch goes with the face
  f.dwMask = CFM_FACE;
  f.bPitchAndFamily = static_cast<BYTE>((f.bPitchAndFamily & 0xF0) | (Value == fpFixed      ? FIXED_PITCH
                                                                      : Value == fpVariable ? VARIABLE_PITCH
                                                                                            : 0));
  Put(f);
}

bool TTextAttributes::Protected() const { return (Get().dwEffects & CFE_PROTECTED) != 0; }
void TTextAttributes::SetProtected(bool Value) {
  CHARFORMATA f = CharMask(CFM_PROTECTED, Value ? static_cast<DWORD>(CFE_PROTECTED) : 0);
  Put(f);
}

int TTextAttributes::Size() const { return Get().yHeight / 20; }
void TTextAttributes::SetSize(int Value) {
  CHARFORMATA f = CharMask(CFM_SIZE);
  f.yHeight = Value * 20;
  Put(f);
}

int TTextAttributes::Height() const { return MulDiv(Size(), PixelsPerInch(), 72); }
void TTextAttributes::SetHeight(int Value) { SetSize(MulDiv(Value, 72, PixelsPerInch())); }

TFontStyles TTextAttributes::Style() const {
  const DWORD on = Get().dwEffects;
  TFontStyles style;
  if (on & CFE_BOLD) style << fsBold;
  if (on & CFE_ITALIC) style << fsItalic;
  if (on & CFE_UNDERLINE) style << fsUnderline;
  if (on & CFE_STRIKEOUT) style << fsStrikeOut;
  return style;
}
void TTextAttributes::SetStyle(TFontStyles Value) {
  CHARFORMATA f = CharMask(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT);
  f.dwEffects = (Value.Contains(fsBold) ? CFE_BOLD : 0) | (Value.Contains(fsItalic) ? CFE_ITALIC : 0) |
                (Value.Contains(fsUnderline) ? CFE_UNDERLINE : 0) | (Value.Contains(fsStrikeOut) ? CFE_STRIKEOUT : 0);
  Put(f);
}

// A font's attributes (its colour as the text colour), or another set of attributes, at once.
void TTextAttributes::Assign(TPersistent* Source) {
  CHARFORMATA f {};
  if (auto* font = dynamic_cast<TFont*>(Source)) {
    f.dwMask = CFM_ALL & ~CFM_PROTECTED;
    const TFontStyles style = font->Style();
    f.dwEffects = (style.Contains(fsBold) ? CFE_BOLD : 0) | (style.Contains(fsItalic) ? CFE_ITALIC : 0) |
                  (style.Contains(fsUnderline) ? CFE_UNDERLINE : 0) |
                  (style.Contains(fsStrikeOut) ? CFE_STRIKEOUT : 0) |
                  (font->Color() == clWindowText ? CFE_AUTOCOLOR : 0);
    f.crTextColor = static_cast<COLORREF>(ColorToRGB(font->Color()));
    f.yHeight = MulDiv(std::abs(font->Height()), 1440, font->PixelsPerInch());
    f.bCharSet = font->Charset();
    f.bPitchAndFamily = font->Pitch() == fpFixed ? FIXED_PITCH : font->Pitch() == fpVariable ? VARIABLE_PITCH : 0;
    memcpy(f.szFaceName, font->Name().data(), std::min(font->Name().size(), sizeof f.szFaceName - 1));
  } else if (auto* other = dynamic_cast<TTextAttributes*>(Source)) {
    f = other->Get();
    f.dwMask = CFM_ALL;
  } else {
    return TPersistent::Assign(Source);
  }
  Put(f);
}

void TTextAttributes::AssignTo(TPersistent* Dest) {
  auto* font = dynamic_cast<TFont*>(Dest);
  if (!font) return TPersistent::AssignTo(Dest);
  font->SetName(Name());
  font->SetSize(Size());
  font->SetStyle(Style());
  font->SetColor(Color());
  font->SetCharset(Charset());
  font->SetPitch(Pitch());
}

// ---- TParaAttributes ------------------------------------------------------------------------------------------------

TParaAttributes::TParaAttributes(TCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}

PARAFORMAT TParaAttributes::Get() const {
  PARAFORMAT f {};
  f.cbSize = sizeof f;
  FRichEdit->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&f));
  return f;
}

void TParaAttributes::Put(PARAFORMAT& Format) {
  Format.cbSize = sizeof Format;
  FRichEdit->Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&Format));
}

void TParaAttributes::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TParaAttributes*>(Source);
  if (!other) return TPersistent::Assign(Source);
  PARAFORMAT f = other->Get();
  f.dwMask = PFM_ALL;
  Put(f);
}

TAlignment TParaAttributes::Alignment() const {
  const WORD a = Get().wAlignment;
  return a == PFA_RIGHT ? taRightJustify : a == PFA_CENTER ? taCenter : taLeftJustify;
}
void TParaAttributes::SetAlignment(TAlignment Value) {
  PARAFORMAT f = ParaMask(PFM_ALIGNMENT);
  f.wAlignment = Value == taRightJustify ? PFA_RIGHT : Value == taCenter ? PFA_CENTER : PFA_LEFT;
  Put(f);
}

int TParaAttributes::FirstIndent() const { return Get().dxStartIndent / 20; }
void TParaAttributes::SetFirstIndent(int Value) {
  PARAFORMAT f = ParaMask(PFM_STARTINDENT);
  f.dxStartIndent = Value * 20;
  Put(f);
}

int TParaAttributes::LeftIndent() const { return Get().dxOffset / 20; }
void TParaAttributes::SetLeftIndent(int Value) {
  PARAFORMAT f = ParaMask(PFM_OFFSET);
  f.dxOffset = Value * 20;
  Put(f);
}

int TParaAttributes::RightIndent() const { return Get().dxRightIndent / 20; }
void TParaAttributes::SetRightIndent(int Value) {
  PARAFORMAT f = ParaMask(PFM_RIGHTINDENT);
  f.dxRightIndent = Value * 20;
  Put(f);
}

TNumberingStyle TParaAttributes::Numbering() const { return Get().wNumbering == PFN_BULLET ? nsBullet : nsNone; }
void TParaAttributes::SetNumbering(TNumberingStyle Value) {
  PARAFORMAT f = ParaMask(PFM_NUMBERING);
  f.wNumbering = Value == nsBullet ? PFN_BULLET : 0;
  Put(f);
}

int TParaAttributes::Tab(int Index) const {
  const PARAFORMAT f = Get();
  return Index >= 0 && Index < f.cTabCount ? f.rgxTabs[Index] / 20 : 0;
}
void TParaAttributes::SetTab(int Index, int Value) {
  if (Index < 0 || Index >= MAX_TAB_STOPS) throw EListError(Format("Tab index out of bounds (%d)", Index));
  PARAFORMAT f = Get();
  f.dwMask = PFM_TABSTOPS;
  f.rgxTabs[Index] = Value * 20;
  f.cTabCount = static_cast<SHORT>(std::max<int>(f.cTabCount, Index + 1));
  Put(f);
}

int TParaAttributes::TabCount() const { return Get().cTabCount; }
void TParaAttributes::SetTabCount(int Value) {
  PARAFORMAT f = Get();
  f.dwMask = PFM_TABSTOPS;
  f.cTabCount = static_cast<SHORT>(std::clamp(Value, 0, MAX_TAB_STOPS));
  Put(f);
}

// ---- TCustomRichEdit ------------------------------------------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TCustomMemo(AOwner),
      FSelAttributes(std::make_unique<TTextAttributes>(this, atSelected)),
      FDefAttributes(std::make_unique<TTextAttributes>(this, atDefaultText)),
      FParagraph(std::make_unique<TParaAttributes>(this)) {
  ReplaceLines(std::make_unique<TRichEditStrings>(this));
}

TCustomRichEdit::~TCustomRichEdit() { TearDownWindow(); }

void TCustomRichEdit::CreateParams(TCreateParams& Params) {
  TCustomMemo::CreateParams(Params);
  CreateSubClass(Params, RICHEDIT_CLASSA);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// The window reports changes and selection moves, and wraps as WordWrap says whatever bars it has; its
// default format is the Font, and a document read before it existed is streamed in.
void TCustomRichEdit::CreateWnd() {
  TCustomMemo::CreateWnd();
  if (!HandleAllocated()) return;
  Perform(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_PROTECTED | ENM_REQUESTRESIZE);
  Perform(EM_SETTARGETDEVICE, 0, WordWrap() ? 0 : 1);
  FontToDefault();
  const AnsiString pending = std::move(FPendingRtf);
  FPendingRtf.clear();
  AnsiString text;
  if (!pending.empty() && xj::ctl::RtfToText(pending, text) && text == Text()) StreamIn(this, pending, SF_RTF);
}

void TCustomRichEdit::FontToDefault() {
  if (HandleAllocated()) FDefAttributes->Assign(Font());
}

AnsiString TCustomRichEdit::SelText() {
  if (!HandleAllocated()) return TCustomMemo::SelText();
  CHARRANGE range {};
  Perform(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  AnsiString text(2 * static_cast<size_t>(std::max<LONG>(range.cpMax - range.cpMin, 0)) + 1, '\0');
  text.resize(static_cast<size_t>(Perform(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()))));
  return text;
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
  if (Message.Msg == CM_FONTCHANGED) FontToDefault();
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
