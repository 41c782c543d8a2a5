// The clipboard: CF_TEXT in GBK inside the program, UTF-8 text at the display's edge, and formats
// registered by name (RTF beside the text, say) inside the program only. Memory blocks (GlobalAlloc)
// are checked handles, so a block freed twice or never allocated is refused.

#include <cerrno>
#include <cstring>
#include <string>
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
  HGLOBAL text {};                 // ours, or fetched from the display
  std::map<UINT, HGLOBAL> others;  // registered formats, set inside the program
  std::map<std::string, UINT> names;
  bool changed { false };

  ~Clipboard() override {
    if (text) GlobalFree(text);
    for (auto& [format, block] : std::map<UINT, HGLOBAL>(others)) GlobalFree(block);
  }
};

constexpr UINT kFirstRegistered = 0xC000;

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

void DropOther(UINT format) {
  Clipboard& c = Clip();
  auto it = c.others.find(format);
  if (it == c.others.end()) return;
  HGLOBAL block = it->second;
  c.others.erase(it);
  GlobalFree(block);
}

bool Registered(UINT format) { return format >= kFirstRegistered && format < kFirstRegistered + Clip().names.size(); }

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
  Clipboard& c = Clip();
  if (c.text == mem) c.text = nullptr;
  for (auto it = c.others.begin(); it != c.others.end(); ++it)
    if (it->second == mem) {
      c.others.erase(it);
      break;
    }
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
  while (!c.others.empty()) DropOther(c.others.begin()->first);
  c.owner = c.opener;
  c.changed = true;
  return TRUE;
}

HWND GetClipboardOwner() { return IsWindow(Clip().owner) ? Clip().owner : nullptr; }

UINT RegisterClipboardFormatA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Clipboard& c = Clip();
  auto [it, added] = c.names.emplace(name, kFirstRegistered + (UINT)c.names.size());
  return it->second;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Clipboard& c = Clip();
  if (!c.open || (format != CF_TEXT && !Registered(format)) || (data && !BlockOf(data))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (format != CF_TEXT) {
    if (c.others.count(format) && c.others[format] != data) DropOther(format);
    if (data) c.others[format] = data;
    return data;
  }
  if (c.text != data) DropText();
  c.text = data;
  c.changed = true;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& c = Clip();
  if (!c.open || (format != CF_TEXT && !Registered(format))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (format != CF_TEXT) return c.others.count(format) ? c.others[format] : nullptr;
  if (!c.text)
    if (xj::display::Backend* d = CurrentDisplay())
      if (auto t = d->ClipboardText()) c.text = BlockFrom(xj::Utf8ToGbk(*t));
  return c.text;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format != CF_TEXT) return Clip().others.count(format) != 0;
  if (Clip().text) return TRUE;
  xj::display::Backend* d = CurrentDisplay();
  return d && d->ClipboardText().has_value();
}
