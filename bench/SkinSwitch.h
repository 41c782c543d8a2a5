#pragma once
// The floor a skin switch is measured against: the test skin and the second skin loaded by turns into a
// skin data component that no form or control uses.

#include <string>

#include "skin/data/bsSkinData.h"

namespace xj::bench {

inline const std::string kTestSkinIni = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";
inline const std::string kSecondSkinIni = std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini";

class LoadAlone {
 public:
  void operator()() {
    FSecond = !FSecond;
    FData.LoadFromFile(FSecond ? kSecondSkinIni : kTestSkinIni);
  }

 private:
  TbsSkinData FData { nullptr };
  bool FSecond { false };
};

}  // namespace xj::bench
