// Feeds arbitrary bytes to the rich edit's RTF reader: it must end, keep its output within a small
// multiple of the input, and read back exactly what the writer made of any text it produced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win32/ctl/Rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  std::string text;
  if (!xj::ctl::RtfToText(in, text)) return 0;
  if (text.size() > 2 * in.size()) std::abort();  // every input byte gives two output bytes at most
  // The text, with its breaks as CR LF, survives a trip through the writer.
  std::string normal;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      normal += "\r\n";
    } else if (c != 0) {
      normal += c;
    }
  }
  std::string back;
  if (!xj::ctl::RtfToText(xj::ctl::TextToRtf(normal), back) || back != normal) std::abort();
  return 0;
}
