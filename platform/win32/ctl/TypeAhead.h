#pragma once
// The characters typed in a row that a view searches its items' captions by, for every view that
// chooses an item by typing (list view, tree view, list box).

#include <cctype>
#include <string>

#include "platform/win32/WinBase.h"

namespace xj::ctl {

// Keys arrive one byte at a time, a two-byte (GBK) character as its lead byte then its trail byte: the
// lead is held until its trail comes, so a search is only ever asked for whole characters. A pause of a
// second or more before a character starts a new search.
struct TypeAhead {
  static constexpr DWORD kPause = 1000;  // ms between keys that still extend the search

  enum Step {
    kHeld,    // c is a character's lead byte: nothing to search for yet
    kFresh,   // `typed` starts a new search
    kLonger,  // `typed` extends the last search
  };

  // Adds byte c typed at `now` (ms) and says what to search for.
  Step Add(char c, DWORD now) {
    const auto b = (unsigned char)c;
    if (lead && b >= 0x40 && b != 0x7F && b != 0xFF) {
      typed += lead;
      typed += c;
      lead = 0;
      return leadFresh ? kFresh : kLonger;
    }
    lead = 0;  // a lead byte not followed by a trail byte is dropped
    const bool fresh = typed.empty() || now - at >= kPause;
    at = now;
    if (fresh) typed.clear();
    if (IsDBCSLeadByte(b)) {
      lead = c;
      leadFresh = fresh;
      return kHeld;
    }
    typed += c;
    return fresh ? kFresh : kLonger;
  }

  // Whether Text begins with Typed, ASCII letters in either case; a double-byte character matches only
  // byte for byte, so no trail byte is taken for a letter.
  static bool Starts(const std::string& Text, const std::string& Typed) {
    if (Text.size() < Typed.size()) return false;
    for (size_t i = 0; i < Typed.size(); ++i) {
      const auto a = (unsigned char)Text[i], b = (unsigned char)Typed[i];
      if (IsDBCSLeadByte(b) && i + 1 < Typed.size()) {
        if (a != b || Text[i + 1] != Typed[i + 1]) return false;
        ++i;
      } else if ((a < 0x80 ? std::tolower(a) : a) != (b < 0x80 ? std::tolower(b) : b)) {
        return false;
      }
    }
    return true;
  }

  std::string typed;  // whole characters only
  DWORD at { 0 };     // when the last character began
  char lead { 0 };    // a lead byte waiting for its trail byte
  bool leadFresh { false };
};

}  // namespace xj::ctl
