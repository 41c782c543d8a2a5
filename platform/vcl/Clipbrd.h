#pragma once
// The class library's Clipbrd unit: the clipboard object (text).

#include "platform/vcl/Classes.h"

class TClipboard : public TPersistent {
  XJ_CLASS(TClipboard, TPersistent)
 public:
  // The text on the clipboard (GBK), "" when there is none.
  AnsiString AsText();
  // Replaces the clipboard's contents by the text. Raises EClipboardError when the clipboard cannot be
  // opened.
  void SetAsText(const AnsiString& Value);
  bool HasFormat(UINT Format);
  void Clear();
  // Nested; the clipboard stays open until the last Close.
  void Open();
  void Close();

 private:
  int FOpenRefCount { 0 };
};

XJ_EXCEPTION(EClipboardError, Exception);

TClipboard* Clipboard();
