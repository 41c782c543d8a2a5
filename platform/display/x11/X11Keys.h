#pragma once
// Key symbols to Win32 virtual keys, and the small text conversions the X side needs.

#include <X11/X.h>

#include <string>
#include <string_view>

#include "platform/base/BasicTypes.h"

namespace xj::display {

struct VirtualKey {
  UINT vk { 0 };  // 0: the key has no virtual-key code
  bool extended { false };
};

// `base` is the key's unshifted symbol, `shifted` the one its modifiers select: letters, digits and
// punctuation are named by the unshifted key (Shift+1 is still '1'), the keypad by what Num Lock makes it.
VirtualKey KeySymToVirtualKey(KeySym base, KeySym shifted);
// The character a key symbol stands for (Latin-1 and Unicode symbols), UTF-8; empty when none.
std::string KeySymToUtf8(KeySym sym);
std::string Latin1ToUtf8(std::string_view latin1);
// Characters above U+00FF become '?'. Malformed UTF-8 bytes are taken as Latin-1.
std::string Utf8ToLatin1(std::string_view utf8);

}  // namespace xj::display
