// Tick counts, local and system time, the time picture of GetTimeFormatA, Sleep.

#include <atomic>
#include <cstring>

#include "platform/win32/Clock.h"
#include "platform/win32/WinBase.h"

namespace {

std::atomic<xj::LocaleTimeFormat (*)()> gTimeFormatProvider { nullptr };

xj::LocaleTimeFormat CurrentTimeFormat() {
  if (auto provider = gTimeFormatProvider.load()) return provider();
  return { "H:mm:ss", "上午", "下午" };
}

bool ValidTime(const SYSTEMTIME& st) {
  return st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

void AppendNumber(std::string& out, int value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
  out += digits;
}

// The locale picture: h/hh 12-hour, H/HH 24-hour, m/mm, s/ss, t (first character of the marker)
// and tt; '...' is literal text and '' a quote.
std::string FormatTimePicture(const std::string& picture, const SYSTEMTIME& st, const xj::LocaleTimeFormat& names) {
  std::string out;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {
      ++i;
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += picture[i++];
      }
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const int width = run >= 2 ? 2 : 1;
    switch (c) {
      case 'h':
        AppendNumber(out, st.wHour % 12 == 0 ? 12 : st.wHour % 12, width);
        break;
      case 'H':
        AppendNumber(out, st.wHour, width);
        break;
      case 'm':
        AppendNumber(out, st.wMinute, width);
        break;
      case 's':
        AppendNumber(out, st.wSecond, width);
        break;
      case 't': {
        const std::string& marker = st.wHour < 12 ? names.TimeAMString : names.TimePMString;
        // One 't' takes the first character, which for a GBK marker is its first double-byte character.
        out += run >= 2 ? marker
                        : marker.substr(
                              0, marker.empty() ? 0 : xj::GbkCharLength(marker.data(), marker.data() + marker.size()));
        break;
      }
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
  return out;
}

}  // namespace

namespace xj {
void SetLocaleTimeFormatProvider(LocaleTimeFormat (*provider)()) { gTimeFormatProvider.store(provider); }
}  // namespace xj

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(xj::CurrentClock().Milliseconds()); }

ULONGLONG WINAPI GetTickCount64() { return xj::CurrentClock().Milliseconds(); }

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime) xj::CurrentClock().LocalTime(*lpSystemTime);
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime) xj::CurrentClock().SystemTime(*lpSystemTime);
}

int WINAPI GetTimeFormatA(LCID, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                          int cchTime) {
  if (dwFlags != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (cchTime < 0 || (cchTime > 0 && !lpTimeStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SYSTEMTIME now;
  if (!lpTime) {
    GetLocalTime(&now);
    lpTime = &now;
  }
  if (!ValidTime(*lpTime)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const xj::LocaleTimeFormat names = CurrentTimeFormat();
  const std::string text = FormatTimePicture(lpFormat ? std::string(lpFormat) : names.LongTimeFormat, *lpTime, names);
  const int needed = static_cast<int>(text.size()) + 1;
  if (cchTime == 0) return needed;
  if (cchTime < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpTimeStr, text.c_str(), needed);
  return needed;
}

void WINAPI Sleep(DWORD dwMilliseconds) { xj::CurrentClock().Sleep(dwMilliseconds); }

DWORD WINAPI SleepEx(DWORD dwMilliseconds, BOOL) {
  xj::CurrentClock().Sleep(dwMilliseconds);
  return 0;
}
