// Feeds arbitrary text to the skin reader as a skin's INI file: every section, record list, record and
// value codec must take it without a crash, a hang or an unbounded allocation. What loads, written back
// and loaded again, must write the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsSkinData.h"

namespace {

// The skin's sections written into an INI held in memory; false when a name cannot be written back.
bool Written(TbsSkinData& data, std::string& text) {
  TMemIniFile ini("");
  try {
    data.WriteFormInfo(&ini);
    data.PopupWindow->SaveToFile(&ini);
    data.HintWindow->SaveToFile(&ini);
    data.WriteObjects(&ini);
    data.WriteCtrls(&ini);
  } catch (const EIniFileException&) {
    return false;  // say an IDName holding "]" or a line break: refused, not written half
  }
  TStringList lines;
  ini.GetStrings(&lines);
  text = "[VERSION]\r\nver=1\r\n[PICTURES]\r\nactivepicturescount=0\r\n" + lines.Text();
  return true;
}

void Load(TbsSkinData& data, TbsStoredSkin& stored, const std::string& text) {
  TStringList lines;
  lines.SetText(text);
  stored.SetIniStrings(&lines);
  data.LoadStoredSkin(&stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TbsStoredSkin stored(nullptr);
  TbsSkinData skin(nullptr);
  Load(skin, stored, text);
  for (int i = 0; i < skin.CtrlList->Count(); ++i)
    skin.GetControlIndex(static_cast<TbsDataSkinControl*>(skin.CtrlList->Items(i))->IDName);
  if (skin.Empty) return 0;
  std::string once, twice;
  if (!Written(skin, once)) return 0;
  Load(skin, stored, once);
  if (skin.Empty || !Written(skin, twice) || twice != once) std::abort();
  return 0;
}
