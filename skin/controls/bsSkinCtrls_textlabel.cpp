#include "skin/controls/bsSkinCtrls_textlabel.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/StdCtrls_private.h"
#include "platform/win32/ShellApi.h"
#include "skin/data/bsSkinData.h"

// ---- Opening a link -------------------------------------------------------------------------------------

namespace {

// "scheme:" as in an address; a single letter before ':' is a drive, not a scheme.
size_t SchemeLength(const AnsiString& s) {
  size_t i = 0;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  while (i < s.size() &&
         (letter(s[i]) || (i > 0 && ((s[i] >= '0' && s[i] <= '9') || s[i] == '+' || s[i] == '-' || s[i] == '.'))))
    ++i;
  return i >= 2 && i < s.size() && s[i] == ':' ? i : 0;
}

// An existing regular file that nobody may run: a document the opener shows rather than starts.
bool IsDocument(const std::string& HostPath) {
  struct stat st {};
  if (::stat(HostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0;
}

}  // namespace

bool bsOpenLink(const AnsiString& URL) {
  if (URL.empty() || URL.find('\0') != AnsiString::npos) return false;
  if (const size_t n = SchemeLength(URL)) {
    // A file address names a local file: the same rule as a plain path. An escaped one is not
    // worked out, so it opens nothing.
    const AnsiString scheme = LowerCase(URL.substr(0, n));
    if (scheme == "file") {
      std::string path = URL.substr(n + 1);
      if (path.rfind("//", 0) == 0) path.erase(0, 2);
      if (path.empty() || path[0] != '/' || path.find('%') != std::string::npos || !IsDocument(path)) return false;
    }
  } else if (!IsDocument(xj::PathToHost(URL))) {
    return false;
  }
  return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", URL.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

// ---- The shared skin lookup -----------------------------------------------------------------------------

int TbsLabelSkin::Read(TbsSkinData* Data, const AnsiString& Name) {
  const int index = !Data || Data->Empty ? -1 : Data->GetControlIndex(Name);
  if (index == -1) return -1;
  auto* r = dynamic_cast<TbsDataSkinStdLabelControl*>(static_cast<TbsDataSkinControl*>(Data->CtrlList->Items(index)));
  if (r) {
    FontName = r->FontName;
    FontStyle = r->FontStyle;
    FontHeight = r->FontHeight;
    FontColor = r->FontColor;
    ActiveFontColor = r->ActiveFontColor;
  }
  return index;
}

void TbsLabelSkin::ApplyFont(TFont* F, TFont* Default) const {
  F->SetName(FontName);
  F->SetStyle(FontStyle);
  F->SetHeight(FontHeight);
  F->SetCharset(Default->Charset());
}

TbsLabelSkinLink::TbsLabelSkinLink(TComponent* Self) : FSelf(Self), FDefaultFont(std::make_unique<TFont>()) {}

TbsLabelSkinLink::~TbsLabelSkinLink() {
  if (FSkinData) FSkinData->RemoveFreeNotification(FSelf);
}

void TbsLabelSkinLink::StoreSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(FSelf);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(FSelf);
  }
  if (Value) ChangeSkinData();
}

void TbsLabelSkinLink::Forget(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    FSkinObjectIndex = -1;
  }
}

// ---- TbsSkinTextLabel -----------------------------------------------------------------------------------

TbsSkinTextLabel::TbsSkinTextLabel(TComponent* AOwner)
    : TCustomLabel(AOwner), TbsLabelSkinLink(this), FLines(std::make_unique<TStringList>()) {
  SetTransparent(true);
  SetBounds(Left(), Top(), 65, 65);
}

TbsSkinTextLabel::~TbsSkinTextLabel() = default;

void TbsSkinTextLabel::SetLines(TStrings* Value) {
  FLines->Assign(Value);
  AdjustBounds();
  Repaint();
}

AnsiString TbsSkinTextLabel::GetLabelText() { return FLines->Text(); }

void TbsSkinTextLabel::ChangeSkinData() {
  LookUp();
  AdjustBounds();
  Repaint();
}

void TbsSkinTextLabel::DoDrawText(TRect& Rect, UINT Flags) {
  LookUp();
  const AnsiString text = GetLabelText();
  Flags = DrawTextBiDiModeFlags(Flags);
  TFont* f = Canvas()->Font();
  if (FSkinObjectIndex == -1) {
    f->Assign(FUseSkinFont ? FDefaultFont.get() : Font());
  } else {
    f->Assign(Font());
    if (FUseSkinFont) FSkin.ApplyFont(f, FDefaultFont.get());
    f->SetColor(FSkin.FontColor);
  }
  xj::stdctrls::DrawCanvasText(Canvas(), text, Rect, Flags, Enabled());
}

void TbsSkinTextLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  Forget(AComponent, Operation);
}

void TbsSkinTextLabel::Dispatch(TMessage& Message) {
  TCustomLabel::Dispatch(Message);
  // The stock label sizes itself to its caption; this one sizes to its lines, on a font change too.
  if (Message.Msg == CM_FONTCHANGED) AdjustBounds();
}

// ---- TbsSkinLinkImage -----------------------------------------------------------------------------------

TbsSkinLinkImage::TbsSkinLinkImage(TComponent* AOwner) : TImage(AOwner) {
  SetAutoSize(true);
  SetCursor(crHandPoint);
}

void TbsSkinLinkImage::Click() {
  auto life = LifeToken();
  TImage::Click();
  if (!life.expired()) bsOpenLink(FURL);
}

// ---- TbsSkinLinkLabel -----------------------------------------------------------------------------------

TbsSkinLinkLabel::TbsSkinLinkLabel(TComponent* AOwner) : TCustomLabel(AOwner), TbsLabelSkinLink(this) {
  SetTransparent(true);
  FDefaultFont->SetName("宋体");
  FDefaultFont->SetHeight(12);
  FDefaultFont->SetStyle({ fsUnderline });
  Font()->Assign(FDefaultFont.get());
  SetCursor(crHandPoint);
}

TbsSkinLinkLabel::~TbsSkinLinkLabel() = default;

void TbsSkinLinkLabel::ChangeSkinData() {
  LookUp();
  Repaint();
}

void TbsSkinLinkLabel::DoDrawText(TRect& Rect, UINT Flags) {
  LookUp();
  AnsiString text = GetLabelText();
  // An empty label still measures one line high (and a lone '&' would measure nothing).
  if (((Flags & DT_CALCRECT) && text.empty()) || (ShowAccelChar() && text == "&")) text += ' ';
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  Flags = DrawTextBiDiModeFlags(Flags);
  TFont* f = Canvas()->Font();
  if (FSkinObjectIndex == -1) {
    f->Assign(FUseSkinFont ? FDefaultFont.get() : Font());
    if (FMouseIn) f->SetColor(FDefaultActiveFontColor);
    f->SetStyle(f->Style() << fsUnderline);
  } else {
    f->Assign(Font());
    if (FUseSkinFont) {
      FSkin.ApplyFont(f, FDefaultFont.get());
      f->SetStyle(f->Style() << fsUnderline);
    }
    f->SetColor(FMouseIn ? FSkin.ActiveFontColor : FSkin.FontColor);
  }
  xj::stdctrls::DrawCanvasText(Canvas(), text, Rect, Flags, Enabled());
}

void TbsSkinLinkLabel::Click() {
  auto life = LifeToken();
  TCustomLabel::Click();
  if (!life.expired()) bsOpenLink(FURL);
}

void TbsSkinLinkLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  Forget(AComponent, Operation);
}

void TbsSkinLinkLabel::Dispatch(TMessage& Message) {
  auto life = LifeToken();
  TCustomLabel::Dispatch(Message);
  if (life.expired() || (Message.Msg != CM_MOUSEENTER && Message.Msg != CM_MOUSELEAVE)) return;
  FMouseIn = Message.Msg == CM_MOUSEENTER;
  Repaint();
}

// ---- TbsSkinButtonLabel ---------------------------------------------------------------------------------

TbsSkinButtonLabel::TbsSkinButtonLabel(TComponent* AOwner)
    : TGraphicControl(AOwner), TbsLabelSkinLink(this), FGlyph(std::make_unique<TBitmap>()) {
  SetControlStyle((ControlStyle() << csSetCaption) >> csOpaque);
  FDefaultFont->SetName("宋体");
  FDefaultFont->SetHeight(12);
  FDefaultFont->SetStyle({});
  SetBounds(Left(), Top(), 100, 50);
}

TbsSkinButtonLabel::~TbsSkinButtonLabel() = default;

void TbsSkinButtonLabel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}

void TbsSkinButtonLabel::SetNumGlyphs(TbsNumGlyphs Value) {
  FNumGlyphs = std::clamp(Value, 1, 4);
  Repaint();
}

void TbsSkinButtonLabel::SetMargin(int Value) {
  if (Value >= -1) ChangeLook(FMargin, bsGlyphMargin(Value));
}

void TbsSkinButtonLabel::SetSpacing(int Value) { ChangeLook(FSpacing, bsGlyphSpacing(Value)); }

void TbsSkinButtonLabel::SetLayout(TbsButtonLayout Value) { ChangeLook(FLayout, Value); }

void TbsSkinButtonLabel::ChangeSkinData() {
  LookUp();
  Repaint();
}

int TbsSkinButtonLabel::GlyphNum() const {
  if (FPressed && FMouseIn && FNumGlyphs > 2) return 3;
  if (FMouseIn && FNumGlyphs > 3) return 4;
  if (!Enabled() && FNumGlyphs > 1) return 2;
  return 1;
}

void TbsSkinButtonLabel::Paint() {
  TFont* f = Canvas()->Font();
  if (FSkinObjectIndex == -1) {
    f->Assign(FDefaultFont.get());
    if (FMouseIn) f->SetColor(FDefaultActiveFontColor);
  } else {
    if (FUseSkinFont)
      FSkin.ApplyFont(f, FDefaultFont.get());
    else
      f->Assign(FDefaultFont.get());
    f->SetColor(FMouseIn ? FSkin.ActiveFontColor : FSkin.FontColor);
  }
  Canvas()->Brush()->SetStyle(bsClear);
  DrawGlyphAndCaption(Canvas(), ClientRect(), FMargin, FSpacing, FLayout, Caption(), FGlyph.get(), FNumGlyphs,
                      GlyphNum(), FPressed);
}

void TbsSkinButtonLabel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FPressed = true;
  Repaint();
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinButtonLabel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FPressed = false;
  Repaint();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinButtonLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  Forget(AComponent, Operation);
}

void TbsSkinButtonLabel::Dispatch(TMessage& Message) {
  auto life = LifeToken();
  TGraphicControl::Dispatch(Message);
  if (life.expired()) return;
  switch (Message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      FMouseIn = Message.Msg == CM_MOUSEENTER;
      Repaint();
      break;
    case CM_TEXTCHANGED:
      Repaint();
      break;
  }
}

// ---- Published properties -------------------------------------------------------------------------------

// What the three labels publish alike from the class library.
#define XJ_LABEL_PLACEMENT_AND_DRAG   \
  XJ_PROP(Anchors, { akLeft, akTop }) \
  XJ_STORED(IsAnchorsStored)          \
  XJ_PROP(BiDiMode, bdLeftToRight)    \
  XJ_PROP(Constraints) XJ_PROP(DragCursor, crDrag) XJ_PROP(DragKind, dkDrag) XJ_PROP(DragMode, dmManual)
#define XJ_LABEL_HINTS          \
  XJ_PROP(ParentShowHint, true) \
  XJ_PROP(PopupMenu)            \
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
#define XJ_LABEL_EVENTS \
  XJ_EVENT(OnDragDrop)  \
  XJ_EVENT(OnDragOver)  \
  XJ_EVENT(OnEndDock)   \
  XJ_EVENT(OnEndDrag)   \
  XJ_EVENT(OnMouseDown) \
  XJ_EVENT(OnMouseMove) \
  XJ_EVENT(OnMouseUp)   \
  XJ_EVENT(OnStartDock) \
  XJ_EVENT(OnStartDrag)

XJ_PUBLISHED(TbsSkinTextLabel,
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(Lines)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(AutoSize, true)
  XJ_PROP(Layout, tlTop)
  XJ_PROP(WordWrap, false)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Align, alNone)
  XJ_LABEL_PLACEMENT_AND_DRAG
  XJ_PROP(Enabled, true)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_LABEL_HINTS
  XJ_PROP(Visible, true)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_LABEL_EVENTS);

// The image sizes itself from the start, so only a picture that does not is written so.
XJ_PUBLISHED(TbsSkinLinkImage,
  XJ_PROP(AutoSize, true)
  XJ_PROP(URL));

XJ_PUBLISHED(TbsSkinLinkLabel,
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(DefaultActiveFontColor)
  XJ_PROP(URL)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(AutoSize, true)
  XJ_PROP(Caption)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_LABEL_PLACEMENT_AND_DRAG
  XJ_PROP(Enabled, true)
  XJ_PROP(FocusControl)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_LABEL_HINTS
  XJ_PROP(ShowAccelChar, true)
  XJ_PROP(Layout, tlTop)
  XJ_PROP(Visible, true)
  XJ_PROP(WordWrap, false)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_LABEL_EVENTS);

XJ_PUBLISHED(TbsSkinButtonLabel,
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(DefaultActiveFontColor)
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs)
  XJ_PROP(Margin, -1)
  XJ_PROP(Spacing, 1)
  XJ_PROP(Layout, blGlyphLeft)
  XJ_PROP(Align, alNone)
  XJ_PROP(AutoSize, false)
  XJ_PROP(Caption)
  XJ_LABEL_PLACEMENT_AND_DRAG
  XJ_PROP(Enabled, true)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, true)
  XJ_PROP(ParentFont, true)
  XJ_LABEL_HINTS
  XJ_PROP(Visible, true)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_LABEL_EVENTS);
