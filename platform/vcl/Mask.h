#pragma once
// The class library's Mask unit: a single-line edit whose text follows an edit mask.
//
// An edit mask is "mask;save-literals;blank". Mask characters: 0 digit, 9 optional digit, # optional
// digit or sign, L letter, l optional letter, A letter or digit, a optional one, C any character, c
// optional one; > upper-cases and < lower-cases the letters after it (<> ends either); \ makes the next
// character a literal; : and / stand for the time and date separators; _ is a literal blank; ! lets a
// short text fill the mask from the right. Every other character is a literal. Save-literals "0" keeps
// only the typed characters in Text; the blank character (default '_') shows the unfilled positions.
//
// While a mask is set the edit overtypes: the position at the caret is selected, a typed character
// replaces it when its kind fits and the caret skips the literals; Backspace and Delete blank a
// position; pasted text is typed in. Leaving the edit with blanks still in it is allowed.

#include <memory>

#include "platform/vcl/StdCtrls.h"

XJ_EXCEPTION(EDBEditError, Exception);

namespace xj::mask {
class Pattern;
}

class TCustomMaskEdit : public TCustomEdit {
  XJ_CLASS(TCustomMaskEdit, TCustomEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomMaskEdit(TComponent* AOwner);
  ~TCustomMaskEdit() override;

  AnsiString EditMask() const { return FEditMask; }
  // Raises EDBEditError for a mask that cannot be read (a trailing "\", more than three fields, a
  // save-literals field other than 0 or 1, a blank field longer than one character), keeping the old
  // one. The current text is poured into the new mask.
  void SetEditMask(const AnsiString& Value);
  bool IsMasked() const { return static_cast<bool>(FPattern); }
  // The text as shown: literals and blank characters included.
  AnsiString EditText();
  // Takes a text in the shown form (it is still fitted to the mask).
  void SetEditText(const AnsiString& Value);

  void Dispatch(TMessage& Message) override;

 protected:
  // Text of a masked edit: literals only with save-literals, unfilled positions as blanks (spaces).
  AnsiString GetText() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

 private:
  size_t CaretStart();
  size_t CaretEnd();
  // Selects the position at or after `offset` that takes input (the end of the text when none does).
  void SelectInput(size_t offset);
  void SelectPosition(size_t slot);
  // Overwrites the bytes [from, to) of the shown text, as one undoable step. These two return false when
  // the change handler freed the edit.
  bool Overwrite(size_t from, size_t to, const AnsiString& s);
  bool BlankSelection();
  void TypeChar(char c);
  void Backspace();
  void PasteText();

  AnsiString FEditMask;
  std::unique_ptr<xj::mask::Pattern> FPattern;
  bool FRawText { false };    // a WM_SETTEXT that already carries the shown form
  bool FSkipTrail { false };  // a refused lead byte: its trail byte is refused with it
};

class TMaskEdit : public TCustomMaskEdit {
  XJ_CLASS(TMaskEdit, TCustomMaskEdit)
 public:
  explicit TMaskEdit(TComponent* AOwner);
  ~TMaskEdit() override;
};

XJ_UNIT_REGISTRATION(RegisterMask)
