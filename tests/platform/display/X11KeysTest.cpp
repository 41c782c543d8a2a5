// Key symbols to virtual keys, and the text conversions of the X side.

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "platform/display/x11/X11Keys.h"

using namespace xj::display;

TEST(X11Keys, SymbolsMapToVirtualKeys) {
  struct Case {
    KeySym base, shifted;
    UINT vk;
    bool extended;
  };
  const Case cases[] = {
    { XK_a, XK_A, 'A', false },  // letters by their key, whatever the shift
    { XK_z, XK_z, 'Z', false },
    { XK_1, XK_exclam, '1', false },  // Shift+1 is still the 1 key
    { XK_F1, XK_F1, 0x70, false },
    { XK_F12, XK_F12, 0x7B, false },
    { XK_Return, XK_Return, 0x0D, false },
    { XK_KP_Enter, XK_KP_Enter, 0x0D, true },
    { XK_Control_R, XK_Control_R, 0x11, true },
    { XK_Shift_R, XK_Shift_R, 0x10, false },
    { XK_Alt_L, XK_Meta_L, 0x12, false },
    { XK_Tab, XK_ISO_Left_Tab, 0x09, false },
    { XK_Home, XK_Home, 0x24, true },         // the grey keys are extended ...
    { XK_KP_Home, XK_KP_7, 0x67, false },     // ... the keypad with Num Lock types digits ...
    { XK_KP_Home, XK_KP_Home, 0x24, false },  // ... and without it moves, not extended
    { XK_KP_Delete, XK_KP_Decimal, 0x6E, false },
    { XK_KP_Divide, XK_KP_Divide, 0x6F, true },
    { XK_Menu, XK_Menu, 0x5D, true },
    { XK_minus, XK_underscore, 0xBD, false },
    { XK_apostrophe, XK_quotedbl, 0xDE, false },
    { NoSymbol, XK_Escape, 0x1B, false },  // no base symbol: the shifted one decides
    { XK_eacute, XK_Eacute, 0, false },    // no key of its own
    { 0x1004E2D, 0x1004E2D, 0, false },
  };
  for (const Case& c : cases) {
    VirtualKey key = KeySymToVirtualKey(c.base, c.shifted);
    EXPECT_EQ(key.vk, c.vk) << std::hex << c.base << " " << c.shifted;
    EXPECT_EQ(key.extended, c.extended) << std::hex << c.base << " " << c.shifted;
  }
}

TEST(X11Keys, TextConversions) {
  EXPECT_EQ(KeySymToUtf8(XK_a), "a");
  EXPECT_EQ(KeySymToUtf8(XK_eacute), "\xC3\xA9");
  EXPECT_EQ(KeySymToUtf8(0x1004E2D), "\xE4\xB8\xAD");
  EXPECT_EQ(KeySymToUtf8(0x101F600), "\xF0\x9F\x98\x80");  // beyond the BMP
  EXPECT_EQ(KeySymToUtf8(XK_F5), "");
  EXPECT_EQ(KeySymToUtf8(XK_BackSpace), "");

  EXPECT_EQ(Latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(Utf8ToLatin1("caf\xC3\xA9 \xE4\xB8\xAD!"), "caf\xE9 ?!");
  // Broken sequences are taken byte by byte rather than swallowing what follows.
  EXPECT_EQ(Utf8ToLatin1("a\xE4\xB8"), "a\xE4\xB8");
  EXPECT_EQ(Utf8ToLatin1("\xC3(x"), "\xC3(x");
  EXPECT_EQ(Utf8ToLatin1(""), "");
}
