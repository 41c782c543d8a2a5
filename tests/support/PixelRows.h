#pragma once
// Pixel tests compare a picture with rows of characters, one character a pixel; Rows joins the rows
// they expect into the text their maps produce (each row ended by a line feed).

#include <initializer_list>
#include <string>

namespace xj::test {

inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) {
    s += r;
    s += '\n';
  }
  return s;
}

}  // namespace xj::test
