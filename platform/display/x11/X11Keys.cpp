#include "platform/display/x11/X11Keys.h"

#include <X11/keysym.h>

namespace xj::display {

namespace {

struct KeyRow {
  KeySym sym;
  UINT vk;
  bool extended;
};

// Everything that is not a letter, a digit or a function key.
constexpr KeyRow kKeys[] = {
  { XK_BackSpace, 0x08, false },   { XK_Tab, 0x09, false },          { XK_ISO_Left_Tab, 0x09, false },
  { XK_Clear, 0x0C, false },       { XK_Return, 0x0D, false },       { XK_KP_Enter, 0x0D, true },
  { XK_Shift_L, 0x10, false },     { XK_Shift_R, 0x10, false },      { XK_Control_L, 0x11, false },
  { XK_Control_R, 0x11, true },    { XK_Alt_L, 0x12, false },        { XK_Alt_R, 0x12, true },
  { XK_Meta_L, 0x12, false },      { XK_Meta_R, 0x12, true },        { XK_ISO_Level3_Shift, 0x12, true },
  { XK_Pause, 0x13, false },       { XK_Caps_Lock, 0x14, false },    { XK_Escape, 0x1B, false },
  { XK_space, 0x20, false },       { XK_Prior, 0x21, true },         { XK_Next, 0x22, true },
  { XK_End, 0x23, true },          { XK_Home, 0x24, true },          { XK_Left, 0x25, true },
  { XK_Up, 0x26, true },           { XK_Right, 0x27, true },         { XK_Down, 0x28, true },
  { XK_Select, 0x29, false },      { XK_Print, 0x2C, true },         { XK_Insert, 0x2D, true },
  { XK_Delete, 0x2E, true },       { XK_Help, 0x2F, false },         { XK_Super_L, 0x5B, true },
  { XK_Super_R, 0x5C, true },      { XK_Menu, 0x5D, true },          { XK_KP_0, 0x60, false },
  { XK_KP_1, 0x61, false },        { XK_KP_2, 0x62, false },         { XK_KP_3, 0x63, false },
  { XK_KP_4, 0x64, false },        { XK_KP_5, 0x65, false },         { XK_KP_6, 0x66, false },
  { XK_KP_7, 0x67, false },        { XK_KP_8, 0x68, false },         { XK_KP_9, 0x69, false },
  { XK_KP_Multiply, 0x6A, false }, { XK_KP_Add, 0x6B, false },       { XK_KP_Separator, 0x6C, false },
  { XK_KP_Subtract, 0x6D, false }, { XK_KP_Decimal, 0x6E, false },   { XK_KP_Divide, 0x6F, true },
  { XK_KP_Home, 0x24, false },     { XK_KP_End, 0x23, false },       { XK_KP_Prior, 0x21, false },
  { XK_KP_Next, 0x22, false },     { XK_KP_Left, 0x25, false },      { XK_KP_Up, 0x26, false },
  { XK_KP_Right, 0x27, false },    { XK_KP_Down, 0x28, false },      { XK_KP_Insert, 0x2D, false },
  { XK_KP_Delete, 0x2E, false },   { XK_KP_Begin, 0x0C, false },     { XK_KP_Space, 0x20, false },
  { XK_KP_Tab, 0x09, false },      { XK_KP_Equal, 0xBB, false },     { XK_Num_Lock, 0x90, true },
  { XK_Scroll_Lock, 0x91, false }, { XK_semicolon, 0xBA, false },    { XK_equal, 0xBB, false },
  { XK_comma, 0xBC, false },       { XK_minus, 0xBD, false },        { XK_period, 0xBE, false },
  { XK_slash, 0xBF, false },       { XK_grave, 0xC0, false },        { XK_bracketleft, 0xDB, false },
  { XK_backslash, 0xDC, false },   { XK_bracketright, 0xDD, false }, { XK_apostrophe, 0xDE, false },
};

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

VirtualKey KeySymToVirtualKey(KeySym base, KeySym shifted) {
  bool keypad = shifted >= XK_KP_Space && shifted <= XK_KP_9;
  KeySym sym = keypad || base == NoSymbol ? shifted : base;
  if (sym >= XK_a && sym <= XK_z) return { UINT('A' + (sym - XK_a)), false };
  if (sym >= XK_A && sym <= XK_Z) return { UINT(sym), false };
  if (sym >= XK_0 && sym <= XK_9) return { UINT(sym), false };
  if (sym >= XK_F1 && sym <= XK_F24) return { UINT(0x70 + (sym - XK_F1)), false };
  for (const KeyRow& row : kKeys)
    if (row.sym == sym) return { row.vk, row.extended };
  return {};
}

std::string KeySymToUtf8(KeySym sym) {
  std::string out;
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
    AppendUtf8(out, uint32_t(sym));
  else if (sym >= 0x01000100 && sym <= 0x0110FFFF)  // the Unicode block of key symbols
    AppendUtf8(out, uint32_t(sym - 0x01000000));
  return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (unsigned char c : latin1) AppendUtf8(out, c);
  return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = len > 0 && i + len <= utf8.size();
    for (int k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    if (!ok) {
      out += char(c);
      ++i;
      continue;
    }
    uint32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out += cp <= 0xFF ? char(cp) : '?';
    i += size_t(len);
  }
  return out;
}

}  // namespace xj::display
