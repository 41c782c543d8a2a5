// Code page 936 (GBK) and UTF-8, and reading the code pages other systems' documents name. GBK decodes
// through a table made from glibc's iconv when the platform is built (tools/mkgbk), and encodes through
// iconv. Malformed input never stops a conversion: each bad
// character becomes a replacement, and nothing past the input's end is read.

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/WinBase.h"

namespace xj {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One converter per direction and thread (iconv_t is not thread-safe).
class Converter {
 public:
  Converter(const char* to, const char* from) : FCd(iconv_open(to, from)) {}
  ~Converter() {
    if (FCd != reinterpret_cast<iconv_t>(-1)) iconv_close(FCd);
  }
  // Converts as much of [in, in+n) as it can, appending to out. Returns the bytes consumed; stops at
  // the first character it cannot convert (or everything, when the converter could not be made). The
  // output goes through a small buffer, so a call costs what it converts, not what it was offered.
  size_t Run(const char* in, size_t n, std::string& out) {
    if (FCd == reinterpret_cast<iconv_t>(-1)) return 0;
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    size_t srcLeft = n;
    char buffer[4096];
    for (;;) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t done = iconv(FCd, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (done != static_cast<size_t>(-1) || errno != E2BIG) break;
    }
    return n - srcLeft;
  }

 private:
  iconv_t FCd;
};

const char* kUtf32 = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-32LE" : "UTF-32BE";

Converter& ToGbk() {
  thread_local Converter c("GBK", kUtf32);  // a conversion descriptor keeps state: one per thread
  return c;
}

// GBK to UTF-32; sets *clean to false when anything was replaced.
std::u32string DecodeGbk(std::string_view gbk, bool* clean) {
  std::u32string out;
  out.reserve(gbk.size());
  const char* p = gbk.data();
  const char* const end = p + gbk.size();
  while (p < end) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      out.push_back(static_cast<unsigned char>(*p++));
      continue;
    }
    const int n = GbkCharLength(p, end);
    const char32_t c = GbkCharToUnicode(p, n);
    out.push_back(c ? c : kReplacement);
    if (!c && clean) *clean = false;
    p += n;
  }
  return out;
}

// UTF-32 to GBK, appended to out; characters GBK lacks become `fallback`.
void EncodeGbk(std::u32string_view text, std::string_view fallback, bool* clean, std::string& out) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] < 0x80) {
      out.push_back(static_cast<char>(text[i++]));
      continue;
    }
    size_t runEnd = i;
    while (runEnd < text.size() && text[runEnd] >= 0x80) ++runEnd;
    while (i < runEnd) {
      const char* in = reinterpret_cast<const char*>(text.data() + i);
      const size_t used = ToGbk().Run(in, (runEnd - i) * 4, out);
      i += used / 4;
      if (i < runEnd) {
        out.append(fallback);
        if (clean) *clean = false;
        ++i;
      }
    }
  }
}

std::string EncodeGbk(std::u32string_view text, std::string_view fallback, bool* clean) {
  std::string out;
  out.reserve(text.size() * 2);
  EncodeGbk(text, fallback, clean, out);
  return out;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Strict UTF-8, appended to out: overlong forms, surrogates and values past U+10FFFF are malformed;
// each malformed byte becomes one U+FFFD.
void DecodeUtf8(std::string_view s, bool* clean, std::u32string& out) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int len = 0;
    char32_t c = 0, min = 0;
    if ((b & 0xE0) == 0xC0)
      len = 2, c = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0)
      len = 3, c = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0)
      len = 4, c = b & 0x07, min = 0x10000;
    bool ok = len != 0 && i + len <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      ok = (t & 0xC0) == 0x80;
      c = (c << 6) | (t & 0x3F);
    }
    ok = ok && c >= min && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (ok) {
      out.push_back(c);
      i += len;
    } else {
      out.push_back(kReplacement);
      if (clean) *clean = false;
      ++i;
    }
  }
}

std::u32string DecodeUtf8(std::string_view s, bool* clean) {
  std::u32string out;
  out.reserve(s.size());
  DecodeUtf8(s, clean, out);
  return out;
}

// Where a piece of UTF-8 that starts at `from` may end, at most kPiece bytes on, without cutting a
// character in two: before a lead byte, or where no character of four bytes can span the cut.
constexpr size_t kPiece = 64 * 1024;
size_t Utf8PieceEnd(std::string_view s, size_t from) {
  const size_t end = std::min(s.size(), from + kPiece);
  for (size_t cut = end; cut > from && cut + 3 >= end; --cut)
    if (cut == s.size() || (static_cast<unsigned char>(s[cut]) & 0xC0) != 0x80) return cut;
  return end;
}

// UTF-8 to GBK a piece at a time, written at `out`, which may be the UTF-8's own start or anywhere before
// it: no GBK character is longer than the UTF-8 one it comes from (a character GBK has not becomes one
// '?'), so what is written never overtakes what is still to be read. Returns the bytes written.
size_t Utf8ToGbkAt(std::string_view utf8, char* out) {
  std::u32string wide;
  std::string gbk;
  size_t written = 0;
  for (size_t from = 0; from < utf8.size();) {
    const size_t end = Utf8PieceEnd(utf8, from);
    wide.clear();
    gbk.clear();
    DecodeUtf8(utf8.substr(from, end - from), nullptr, wide);
    EncodeGbk(wide, "?", nullptr, gbk);
    std::memcpy(out + written, gbk.data(), gbk.size());
    written += gbk.size();
    from = end;
  }
  return written;
}

enum class CodePage { Gbk, Utf8, Western, Other, Unknown };

// Code pages that documents from elsewhere name (an RTF font's character set): read, never written.
// The western one is common enough to be a table; the others are iconv's, loaded when first read.
struct OtherPage {
  UINT cp;
  const char* name;
};
constexpr OtherPage kOtherPages[] = { { 437, "CP437" },   { 874, "CP874" },      { 932, "CP932" },   { 949, "CP949" },
                                      { 950, "CP950" },   { 1250, "CP1250" },    { 1251, "CP1251" }, { 1253, "CP1253" },
                                      { 1254, "CP1254" }, { 1255, "CP1255" },    { 1256, "CP1256" }, { 1257, "CP1257" },
                                      { 1258, "CP1258" }, { 10000, "MACINTOSH" } };

const char* OtherName(UINT cp) {
  for (const OtherPage& p : kOtherPages)
    if (p.cp == cp) return p.name;
  return nullptr;
}

CodePage Classify(UINT cp) {
  if (cp == CP_ACP || cp == CP_OEMCP || cp == CP_GBK) return CodePage::Gbk;
  if (cp == CP_UTF8) return CodePage::Utf8;
  if (cp == 1252) return CodePage::Western;
  return OtherName(cp) ? CodePage::Other : CodePage::Unknown;
}

// Windows-1252: Latin-1 but for 0x80-0x9F (0: a byte the page leaves undefined).
constexpr char16_t kWestern80[32] = { 0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178 };

std::u32string DecodeWestern(std::string_view s, bool* clean) {
  std::u32string out;
  out.reserve(s.size());
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    const char32_t u = b >= 0x80 && b < 0xA0 ? kWestern80[b - 0x80] : b;
    out.push_back(u ? u : kReplacement);
    if (!u && b && clean) *clean = false;
  }
  return out;
}

// Through iconv; a conversion descriptor keeps state, so one per page and thread. A byte it cannot take
// becomes a replacement.
std::u32string DecodeOther(UINT cp, std::string_view s, bool* clean) {
  thread_local std::vector<std::pair<UINT, std::unique_ptr<Converter>>> converters;
  auto it = std::find_if(converters.begin(), converters.end(), [cp](const auto& c) { return c.first == cp; });
  if (it == converters.end()) {
    converters.emplace_back(cp, std::make_unique<Converter>(kUtf32, OtherName(cp)));
    it = converters.end() - 1;
  }
  std::string bytes;
  for (size_t at = 0; at < s.size();) {
    at += it->second->Run(s.data() + at, s.size() - at, bytes);
    if (at < s.size()) {
      const char32_t bad = kReplacement;
      bytes.append(reinterpret_cast<const char*>(&bad), sizeof bad);
      if (clean) *clean = false;
      ++at;
    }
  }
  std::u32string out(bytes.size() / sizeof(char32_t), U'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(char32_t));
  return out;
}

std::u32string Decode(CodePage page, UINT cp, std::string_view s, bool* clean) {
  switch (page) {
    case CodePage::Gbk:
      return DecodeGbk(s, clean);
    case CodePage::Utf8:
      return DecodeUtf8(s, clean);
    case CodePage::Western:
      return DecodeWestern(s, clean);
    default:
      return DecodeOther(cp, s, clean);
  }
}

}  // namespace

// Generated by mkgbk: [lead - 0x81][trail - 0x40], and single bytes 0x80-0xFF.
extern const char16_t kGbkDoubleByte[126][191];
extern const char16_t kGbkHighByte[128];

char32_t GbkCharToUnicode(const char* p, int length) {
  const auto lead = static_cast<unsigned char>(p[0]);
  if (length == 2) return kGbkDoubleByte[lead - 0x81][static_cast<unsigned char>(p[1]) - 0x40];
  return lead < 0x80 ? lead : kGbkHighByte[lead - 0x80];
}

std::u32string GbkToUtf32(std::string_view gbk) { return DecodeGbk(gbk, nullptr); }

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (char32_t c : DecodeGbk(gbk, nullptr)) AppendUtf8(c, out);
  return out;
}

std::string Utf32ToGbk(std::u32string_view text) { return EncodeGbk(text, "?", nullptr); }

std::string Utf8ToGbk(std::string_view utf8) {
  std::string out(utf8.size(), '\0');
  out.resize(Utf8ToGbkAt(utf8, out.data()));
  return out;
}

std::string GbkFromFileText(std::string text) {
  if (!text.starts_with(kUtf8Bom)) return text;
  // Converted where it lies: a skin or form text of many megabytes takes no second copy.
  text.resize(Utf8ToGbkAt(std::string_view(text).substr(kUtf8Bom.size()), text.data()));
  return text;
}

std::string PathToHost(std::string_view gbkPath) {
  // After conversion a '\' byte is always a real backslash, never half of a double-byte character.
  std::string host = GbkToUtf8(gbkPath);
  for (char& c : host)
    if (c == '\\') c = '/';
  return host;
}

std::string PathFromHost(std::string_view hostPath) { return Utf8ToGbk(hostPath); }

}  // namespace xj

// ---- Win32 names --------------------------------------------------------------------------------

#define MB_ERR_INVALID_CHARS 0x00000008u

UINT WINAPI GetACP() { return CP_GBK; }

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return TestChar >= 0x81 && TestChar <= 0xFE; }

LPSTR WINAPI CharNextA(LPCSTR lpsz) {
  if (!lpsz || !*lpsz) return const_cast<LPSTR>(lpsz);
  return const_cast<LPSTR>(lpsz + xj::GbkCharLength(lpsz, lpsz + (lpsz[1] ? 2 : 1)));
}

LPSTR WINAPI CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent) {
  if (!lpszStart || !lpszCurrent || lpszCurrent <= lpszStart) return const_cast<LPSTR>(lpszStart);
  const char* prev = lpszStart;
  for (const char* p = lpszStart; p < lpszCurrent; p += xj::GbkCharLength(p, lpszCurrent)) prev = p;
  return const_cast<LPSTR>(prev);
}

namespace {

// Copies a converted result into a caller's buffer with the Win32 size rules.
template <class Out, class Str>
int Deliver(const Str& result, Out* buffer, int size) {
  const int needed = static_cast<int>(result.size());
  if (size == 0) return needed;
  if (!buffer || size < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (int i = 0; i < needed; ++i) buffer[i] = static_cast<Out>(result[i]);
  return needed;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  const auto page = xj::Classify(CodePage);
  if (page == xj::CodePage::Unknown || !lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  const std::string_view input(lpMultiByteStr, length);
  bool clean = true;
  const std::u32string wide = xj::Decode(page, CodePage, input, &clean);
  if (!clean && (dwFlags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return Deliver(wide, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                               int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  const auto page = xj::Classify(CodePage);
  const bool utf8 = page == xj::CodePage::Utf8;
  if ((page != xj::CodePage::Gbk && !utf8) || !lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 ||
      cbMultiByte < 0 || (utf8 && (lpDefaultChar || lpUsedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  std::u32string wide(length, U'\0');
  for (size_t i = 0; i < length; ++i) wide[i] = static_cast<char32_t>(lpWideCharStr[i]);
  std::string narrow;
  if (utf8) {
    for (char32_t c : wide) xj::AppendUtf8(c, narrow);
  } else {
    bool clean = true;
    narrow = xj::EncodeGbk(wide, lpDefaultChar && *lpDefaultChar ? std::string_view(lpDefaultChar, 1) : "?", &clean);
    if (lpUsedDefaultChar) *lpUsedDefaultChar = clean ? FALSE : TRUE;
  }
  return Deliver(narrow, lpMultiByteStr, cbMultiByte);
}
