#pragma once
// Helpers shared by the files of the skinned menus and the hint.

#include <functional>
#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsSkinData.h"

namespace bsmenus {

// A disabled timer of Interval ms calling OnTimer; Enabled switches it on and off.
std::unique_ptr<TTimer> NewTimer(unsigned Interval, std::function<void()> OnTimer);
// The skin's active picture at Index, or null when the index is out of range or the picture is empty.
TBitmap* PictureAt(TbsSkinData* Skin, int Index);
// Field := Value, Self hearing when the component Field refers to is freed (and no longer hearing of
// the one it referred to before).
template <class T>
void Link(TComponent* Self, T*& Field, T* Value) {
  if (Field == Value) return;
  if (Field) Field->RemoveFreeNotification(Self);
  Field = Value;
  if (Field) Field->FreeNotification(Self);
}
// Whether the skin is there and loaded.
inline bool Usable(TbsSkinData* Skin) { return Skin && !Skin->Empty; }
// Blends From toward To by K (0..1) with the transition Kind and draws the result on DC at (X, Y).
void DrawMorph(TBitmap* From, TBitmap* To, TbsMorphKind Kind, double K, HDC DC, int X, int Y);

}  // namespace bsmenus
