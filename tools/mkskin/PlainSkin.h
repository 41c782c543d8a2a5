#pragma once
// The plain skin: every record of the test skin under the same names and classes, drawn by code with a
// plain, conventional desktop look, for programs and pictures that show a skin to a person.
#include "tools/mkskin/TestSkin.h"

namespace mkskin {

// Deterministic: every call gives the same skin.
Skin BuildPlainSkin();

}  // namespace mkskin
