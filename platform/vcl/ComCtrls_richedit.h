#pragma once
// TCustomRichEdit and TRichEdit over the native "RICHEDIT" window: the memo's editing, lines and
// streaming with the scroll state in pixels on both axes and wrapping kept apart from the bars. Of
// character formatting only the protected attribute exists (EM_SETCHARFORMAT with CFM_PROTECTED): with
// PlainText off, Lines reads RTF by keeping its text and paragraph breaks and writes a minimal RTF
// document.

#include "platform/vcl/StdCtrls.h"

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
  void CNNotify(TMessage& Message);

  bool FPlainText { false };
};

class TRichEdit : public TCustomRichEdit {
  XJ_CLASS(TRichEdit, TCustomRichEdit)
 public:
  explicit TRichEdit(TComponent* AOwner);
  ~TRichEdit() override;
};

XJ_UNIT_REGISTRATION(RegisterComCtrlsRichEdit)
