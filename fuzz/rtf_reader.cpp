// Feeds arbitrary bytes to the rich edit's RTF reader: it must end, keep its text within a small
// multiple of the input, and read back exactly what the writer made of the document it read, format
// by format.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win32/ctl/Rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  xj::ctl::RichDocument doc;
  if (!xj::ctl::ReadRtf(in, doc)) return 0;
  if (doc.text.size() > 2 * in.size()) std::abort();  // every input byte gives two output bytes at most
  xj::ctl::RichDocument back;
  if (!xj::ctl::ReadRtf(xj::ctl::WriteRtf(doc), back) || back.text != doc.text) std::abort();
  size_t paraStart = 0;
  for (size_t i = 0; i < doc.text.size(); ++i) {
    // A break's format is its first byte's, so the second byte of a break is not compared.
    if (i > 0 && doc.text[i] == '\n' && doc.text[i - 1] == '\r') {
      paraStart = i + 1;
      continue;
    }
    if (!(doc.rich.CharAt(i) == back.rich.CharAt(i))) std::abort();
    if (!(doc.rich.ParaAt(paraStart) == back.rich.ParaAt(paraStart))) std::abort();
  }
  return 0;
}
