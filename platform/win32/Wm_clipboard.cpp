// The clipboard: CF_TEXT in GBK inside the program, UTF-8 text at the display's edge. Memory blocks
// (GlobalAlloc) are checked handles, so a block freed twice or never allocated is refused.

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/display/Display.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmInternal.h"

using namespace xj::wm;

namespace {

struct Block {
  std::vector<char> bytes;
  int locks { 0 };
};

std::map<HGLOBAL, std::unique_ptr<Block>>& Blocks() {
  static auto* b = new std::map<HGLOBAL, std::unique_ptr<Block>>;
  return *b;
}

Block* BlockOf(HGLOBAL h) {
  auto it = Blocks().find(h);
  return it == Blocks().end() ? nullptr : it->second.get();
}

struct Clipboard : StatePart {
  bool open { false };
  HWND opener {};
  HWND owner {};
  HGLOBAL text {};  // ours, or fetched from the display
  bool changed { false };

  ~Clipboard() override {
    if (text) GlobalFree(text);
  }
};

Clipboard& Clip() { return Part<Clipboard>(PartId::Clipboard); }

HGLOBAL BlockFrom(const std::string& s) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
  if (char* p = (char*)GlobalLock(h)) {
    memcpy(p, s.c_str(), s.size() + 1);
    GlobalUnlock(h);
  }
  return h;
}

void DropText() {
  Clipboard& c = Clip();
  if (c.text) GlobalFree(c.text);
  c.text = nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
  auto b = std::make_unique<Block>();
  b->bytes.assign(bytes ? bytes : 1, 0);  // zero-filled whatever the flags
  HGLOBAL h = (HGLOBAL)b.get();
  Blocks()[h] = std::move(b);
  return h;
}

LPVOID GlobalLock(HGLOBAL mem) {
  Block* b = BlockOf(mem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++b->locks;
  return b->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL mem) {
  Block* b = BlockOf(mem);
  if (!b || b->locks == 0) return FALSE;
  return --b->locks > 0;
}

size_t GlobalSize(HGLOBAL mem) {
  Block* b = BlockOf(mem);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  if (!mem) return nullptr;
  if (Blocks().erase(mem) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return mem;
  }
  if (Clip().text == mem) Clip().text = nullptr;
  return nullptr;
}

BOOL OpenClipboard(HWND owner) {
  Clipboard& c = Clip();
  if (c.open || (owner && !IsWindow(owner))) {
    SetLastError(c.open ? ERROR_BUSY : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  c.open = true;
  c.opener = owner;
  c.changed = false;
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& c = Clip();
  if (!c.open) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  c.open = false;
  if (c.changed)
    if (xj::display::Backend* d = CurrentDisplay()) {
      const char* p = c.text ? (const char*)BlockOf(c.text)->bytes.data() : "";
      d->SetClipboardText(xj::GbkToUtf8(std::string(p, strnlen(p, GlobalSize(c.text)))));
    }
  c.changed = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  Clipboard& c = Clip();
  if (!c.open) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DropText();
  c.owner = c.opener;
  c.changed = true;
  return TRUE;
}

HWND GetClipboardOwner() { return IsWindow(Clip().owner) ? Clip().owner : nullptr; }

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Clipboard& c = Clip();
  if (!c.open || format != CF_TEXT || (data && !BlockOf(data))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (c.text != data) DropText();
  c.text = data;
  c.changed = true;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& c = Clip();
  if (!c.open || format != CF_TEXT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!c.text)
    if (xj::display::Backend* d = CurrentDisplay())
      if (auto t = d->ClipboardText()) c.text = BlockFrom(xj::Utf8ToGbk(*t));
  return c.text;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format != CF_TEXT) return FALSE;
  if (Clip().text) return TRUE;
  xj::display::Backend* d = CurrentDisplay();
  return d && d->ClipboardText().has_value();
}
