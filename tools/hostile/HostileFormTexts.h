#pragma once
// Form texts at the edges of the published types: for every registered skinned class, one text per
// published property (a sub-object's too, as Font.Height) and edge of its type, holding that class alone
// on a form with the property set last. Integers at 0, -1, the ends of int and of their own range;
// enumerations at their first and last value and one past the last by number (which the reader
// refuses); strings empty and of 64 KiB, characters #0 and #255; floats at 0, -1 and the ends of their
// range; sets empty and full; component references nil and to the control itself (or the form) where
// the class fits; collections empty and of 1,000 items; string lists empty, of 10,000 lines and of one
// 64 KiB line.
//
// The texts come from the class library's type information alone, so they follow every class and
// property as it is added; they take nothing from the seed. The driver reads each into a form over the
// good skin, whose skin data component the text's control names (FormSkinDataName).
#include <string>

namespace hostile {

// The name of the form's skin data component, to which the texts bind the control under test.
inline constexpr const char* FormSkinDataName = "bsSkinData1";

// Adds the form-text families to the set, once (a family per kind of type).
void AddFormFamilies();
}  // namespace hostile
