#pragma once
// TCustomRichEdit and TRichEdit over the native "RICHEDIT" window: the memo's editing, lines and
// streaming with the scroll state in pixels on both axes and wrapping kept apart from the bars, and
// the window's character and paragraph formats as TTextAttributes (the selection's, the default's) and
// TParaAttributes. The edit's Font is the default format. With PlainText off, Lines reads and writes
// RTF with its formats.

#include <memory>

#include "platform/vcl/StdCtrls.h"
#include "platform/win32/CommCtrl.h"

class TCustomRichEdit;

enum TAttributeType { atSelected, atDefaultText };
enum TConsistentAttribute { caBold, caColor, caFace, caItalic, caSize, caStrikeOut, caUnderline, caProtected };
typedef Set<TConsistentAttribute> TConsistentAttributes;

// The selection's character format (atSelected; with nothing selected, the format typing takes) or the
// default one, read from and written to the window each time. Size is in points, Height in pixels.
class TTextAttributes : public TPersistent {
  XJ_CLASS(TTextAttributes, TPersistent)
 public:
  TTextAttributes(TCustomRichEdit* RichEdit, TAttributeType Type);

  // From a TFont or another TTextAttributes: every attribute at once.
  void Assign(TPersistent* Source) override;

  TFontCharset Charset() const;
  void SetCharset(TFontCharset Value);
  TColor Color() const;  // clWindowText: the window's text colour
  void SetColor(TColor Value);
  // The attributes the whole selection shares.
  TConsistentAttributes ConsistentAttributes() const;
  TFontName Name() const;
  void SetName(const TFontName& Value);
  TFontPitch Pitch() const;
  void SetPitch(TFontPitch Value);
  bool Protected() const;
  void SetProtected(bool Value);
  int Size() const;
  void SetSize(int Value);
  int Height() const;
  void SetHeight(int Value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles Value);

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  CHARFORMATA Get() const;
  void Put(CHARFORMATA& Format);
  int PixelsPerInch() const;

  TCustomRichEdit* FRichEdit;
  TAttributeType FType;
};

enum TNumberingStyle { nsNone, nsBullet };

// The format of the paragraphs the selection touches, read from and written to the window each time.
// Indents and tab stops are in points; LeftIndent is the other lines' indent past the first line's.
class TParaAttributes : public TPersistent {
  XJ_CLASS(TParaAttributes, TPersistent)
 public:
  explicit TParaAttributes(TCustomRichEdit* RichEdit);

  void Assign(TPersistent* Source) override;

  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  int FirstIndent() const;
  void SetFirstIndent(int Value);
  int LeftIndent() const;
  void SetLeftIndent(int Value);
  int RightIndent() const;
  void SetRightIndent(int Value);
  // Bullets alone: a numbered paragraph (1. 2. 3., letters, Roman numerals, which the window keeps
  // and draws) reads as nsNone, and either value set replaces its numbering.
  TNumberingStyle Numbering() const;
  void SetNumbering(TNumberingStyle Value);
  int Tab(int Index) const;
  void SetTab(int Index, int Value);
  int TabCount() const;
  void SetTabCount(int Value);

 private:
  PARAFORMAT Get() const;
  void Put(PARAFORMAT& Format);

  TCustomRichEdit* FRichEdit;
};

// The lines of a rich edit: the memo's, read and written as RTF unless the edit is PlainText.
class TRichEditStrings : public TMemoStrings {
  XJ_CLASS(TRichEditStrings, TMemoStrings)
 public:
  explicit TRichEditStrings(class TCustomRichEdit* RichEdit);
  ~TRichEditStrings() override;

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

 private:
  TCustomRichEdit* FRichEdit;
};

typedef TClosure<void(TObject* Sender, int StartPos, int EndPos, bool& AllowChange)> TRichEditProtectChange;
typedef TClosure<void(TObject* Sender, TRect Rect)> TRichEditResizeEvent;
typedef TClosure<void(TObject* Sender, int NumObjects, int NumChars, bool& SaveClipboard)> TRichEditSaveClipboard;

class TCustomRichEdit : public TCustomMemo {
  XJ_CLASS(TCustomRichEdit, TCustomMemo)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomRichEdit(TComponent* AOwner);
  ~TCustomRichEdit() override;

  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool Value) { FPlainText = Value; }
  TTextAttributes* SelAttributes() const { return FSelAttributes.get(); }
  void SetSelAttributes(TTextAttributes* Value) { FSelAttributes->Assign(Value); }
  TTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
  void SetDefAttributes(TTextAttributes* Value) { FDefAttributes->Assign(Value); }
  TParaAttributes* Paragraph() const { return FParagraph.get(); }

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnSelectionChange;
  // Before an edit changes protected text [StartPos, EndPos): AllowChange starts false, so protected
  // text stays as it is unless the handler lets it change.
  TRichEditProtectChange OnProtectChange;
  // Whenever the height of the content changes: the format rectangle with the height the text takes.
  TRichEditResizeEvent OnResizeRequest;
  // When the window goes while text it put on the clipboard is there: SaveClipboard starts true;
  // false takes the text off the clipboard.
  TRichEditSaveClipboard OnSaveClipboard;

 protected:
  virtual void SelectionChange();
  virtual bool ProtectChange(int StartPos, int EndPos);
  virtual void RequestSize(const TRect& Rect);
  virtual bool SaveClipboard(int NumObj, int NumChars);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  friend class TRichEditStrings;
  void CNNotify(TMessage& Message);
  void FontToDefault();

  bool FPlainText { false };
  std::unique_ptr<TTextAttributes> FSelAttributes;
  std::unique_ptr<TTextAttributes> FDefAttributes;
  std::unique_ptr<TParaAttributes> FParagraph;
  // RTF read while there was no window: streamed in when the window comes, if the text is still its text.
  AnsiString FPendingRtf;
};

class TRichEdit : public TCustomRichEdit {
  XJ_CLASS(TRichEdit, TCustomRichEdit)
 public:
  explicit TRichEdit(TComponent* AOwner);
  ~TRichEdit() override;
};

XJ_UNIT_REGISTRATION(RegisterComCtrlsRichEdit)
