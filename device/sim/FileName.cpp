#include "device/sim/FileName.h"

#include <iconv.h>

#include <algorithm>

namespace kaldo {

std::optional<std::string> GbkFileNameToUtf8(std::string_view gbk) {
  iconv_t cd = ::iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(gbk.size() * 3 + 4, '\0');  // a GBK character never takes more than 3 UTF-8 bytes
  char* in = const_cast<char*>(gbk.data());
  size_t inLeft = gbk.size();
  char* o = out.data();
  size_t outLeft = out.size();
  size_t r = ::iconv(cd, &in, &inLeft, &o, &outLeft);
  ::iconv_close(cd);
  if (r == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  // Converted first, so that a GBK trail byte of 0x5C is never taken for a separator.
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

}  // namespace kaldo
