#pragma once
// The generated test skin as data: the INI sections in file order and every picture the INI names.
#include "tools/mkskin/Bmp.h"
#include "tools/mkskin/LookSkin.h"

#include <string>
#include <utility>
#include <vector>

namespace mkskin {

struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;  // in file order
};

// A picture of the skin with the name the INI gives it and the path it has on disk (relative to the
// skin directory, "/"-separated). The two differ on purpose for a few pictures: a "\" in the INI name
// and a file whose letter case differs from the INI's spelling.
struct SkinPicture {
  std::string iniName;
  std::string fileName;
  Picture picture;
};

struct Skin {
  std::vector<IniSection> ini;
  SkinPicture picture;                      // [PICTURES] picture
  SkinPicture inactivePicture;              // [PICTURES] inactivepicture
  SkinPicture mask;                         // [PICTURES] mask
  std::vector<SkinPicture> activePictures;  // [PICTURES] 0 .. activepicturescount-1
};

// The complete test skin: every global section, every skin object and control record class, the
// control records under the names the controls look up by default, every picture colour-coded
// (tools/mkskin/SkinColours.h). Deterministic: every call gives the same skin.
Skin BuildTestSkin();

// The second test skin: the same record names with other face sizes, lopsided corner insets and owner
// codes of its own (kOwnerSecondObject0, kOwnerSecondControl0); a few records without a picture, one of
// another class than its name suggests and a few missing entirely (SecondSkinGaps()).
Skin BuildSecondSkin();

// A skin of the real look in the given colours: every control record the test skin has, under the same
// names and classes, and the frame, menu and hint records, drawn as a skin meant for users. No masks.
Skin BuildLookSkin(const LookPalette& look);

struct SkinGaps {
  std::vector<std::string> missing;     // names the second skin has no record for
  std::vector<std::string> noPicture;   // records whose picture index is -1
  std::vector<std::string> otherClass;  // records of a class the control of that name does not take
};
const SkinGaps& SecondSkinGaps();

}  // namespace mkskin
