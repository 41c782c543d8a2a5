// The clipboard object over the window manager's clipboard.

#include "platform/vcl/Clipbrd.h"

#include <cstring>

#include "platform/win32/WinUser.h"

TClipboard* Clipboard() {
  static TClipboard* clipboard = new TClipboard;
  return clipboard;
}

void TClipboard::Open() {
  if (FOpenRefCount == 0 && !OpenClipboard(nullptr)) throw EClipboardError("Cannot open clipboard");
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  Close();
}

bool TClipboard::HasFormat(UINT Format) { return IsClipboardFormatAvailable(Format) != FALSE; }

AnsiString TClipboard::AsText() {
  Open();
  AnsiString text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      text.assign(p, strnlen(p, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  Close();
  return text;
}

void TClipboard::SetAsText(const AnsiString& Value) {
  Open();
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, Value.size() + 1);
  if (mem) {
    if (char* p = static_cast<char*>(GlobalLock(mem))) {
      memcpy(p, Value.c_str(), Value.size() + 1);
      GlobalUnlock(mem);
    }
    if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
  }
  Close();
  if (!mem) throw EOutOfMemory("Out of memory");
}
