// Feeds arbitrary text to the INI parser shared by the profile functions and the INI classes, then
// checks that every value read back is stable, that a write reads back as written, and that after
// writes and erasures the document reads as its own text parsed afresh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win32/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // Only one leading byte-order mark is skipped; a second would surface as one after a rewrite.
  while (text.rfind("\xEF\xBB\xBF\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  xj::TIniDocument doc;
  doc.Parse(text);
  for (const std::string& section : doc.SectionNames()) {
    for (const std::string& key : doc.KeyNames(section)) {
      std::string value;
      if (!doc.ReadString(section, key, value)) std::abort();  // a listed key must be readable
    }
    doc.SectionValues(section);
  }
  // Writing the document out and parsing it again must give the same text.
  std::string once = doc.Text();
  xj::TIniDocument again;
  again.Parse(once);
  if (again.Text() != once) std::abort();
  // A write that is accepted reads back as written, less the blanks around the value.
  std::string half = text.substr(0, text.size() / 2), rest = text.substr(text.size() / 2);
  if (doc.WriteString("S", half, rest)) {
    size_t first = rest.find_first_not_of(" \t"), last = rest.find_last_not_of(" \t");
    std::string expected = first == std::string::npos ? std::string() : rest.substr(first, last - first + 1);
    std::string value;
    if (!doc.ReadString("s", half, value) || value != expected) std::abort();
  }
  // Writes and erasures keep the lookups up to date as they go; they must agree with a document
  // parsed afresh from the text they leave.
  doc.EraseSection("S");
  doc.WriteString(half.substr(0, 8), "k", "1");
  doc.EraseSection(rest.substr(0, 8));
  doc.DeleteKey(half.substr(0, 8), "k");
  doc.WriteString("S", "k", "2");
  xj::TIniDocument fresh;
  fresh.Parse(doc.Text());
  if (fresh.SectionNames() != doc.SectionNames()) std::abort();
  for (const std::string& section : doc.SectionNames())
    if (fresh.SectionValues(section) != doc.SectionValues(section)) std::abort();
  return 0;
}
