// What a loaded skin may draw. A skin is a file from outside: each rectangle, point and measure of its
// form geometry and records is checked against the picture it is cut from, and what does not fit counts
// as a missing picture, so painting never makes a bitmap larger than the skin's own pictures and no
// coordinate is large enough for arithmetic on it to overflow.

#include <cstdlib>
#include <cstring>

#include "skin/data/bsSkinDataPrivate.h"
#include "skin/data/bsUtils.h"

namespace {

using xj::skin::TSkinKey;
using xj::skin::TSkinKeys;

// No picture a skin can load is wider or taller than this; offsets and sizes beyond it fit no picture.
constexpr int MaxSkinMeasure = 32767;
// Past this no value is kept, with a picture or without: sums of a few such values and a window's size
// stay far inside the int range.
constexpr int MaxSkinCoordinate = 1 << 24;

struct TArea {
  int W { 0 }, H { 0 };
};

TArea AreaOf(const TBitmap* Picture) {
  return Picture && !Picture->Empty() ? TArea { Picture->Width(), Picture->Height() } : TArea {};
}

TArea Larger(TArea A, TArea B) { return { Max(A.W, B.W), Max(A.H, B.H) }; }

// Every edge within the area: an empty or inverted rectangle draws nothing, but its edges may still
// measure borders and insets.
bool Inside(const TRect& R, TArea A) {
  return R.Left >= 0 && R.Left <= A.W && R.Right >= 0 && R.Right <= A.W && R.Top >= 0 && R.Top <= A.H &&
         R.Bottom >= 0 && R.Bottom <= A.H;
}

bool Inside(const TPoint& P, TArea A) { return P.X >= 0 && P.X <= A.W && P.Y >= 0 && P.Y <= A.H; }

bool PictureIndexKey(const TSkinKey& K) { return std::strstr(K.Key, "pictureindex") != nullptr; }

// Every rectangle and point of Record's tables within Area, every other measure (offsets, sizes, font
// heights) within what a picture can hold.
bool Fits(TObject* Record, const std::vector<const TSkinKeys*>& Tables, TArea Area) {
  for (const TSkinKeys* table : Tables)
    for (const TSkinKey& k : *table) {
      void* field = k.Field(Record);
      switch (k.Kind) {
        case xj::skin::kkRect:
          if (!Inside(*static_cast<const TRect*>(field), Area)) return false;
          break;
        case xj::skin::kkPoint:
          if (!Inside(*static_cast<const TPoint*>(field), Area)) return false;
          break;
        case xj::skin::kkInteger: {
          const int v = *static_cast<const int*>(field);
          if (!PictureIndexKey(k) && (v < -MaxSkinMeasure || v > MaxSkinMeasure)) return false;
          break;
        }
        default:
          break;
      }
    }
  return true;
}

bool Fits(TObject* Record, TArea Area) { return Fits(Record, xj::skin::KeyTablesOf(Record), Area); }

bool InRange(int V) { return V >= -MaxSkinCoordinate && V <= MaxSkinCoordinate; }

// No picture is wider or taller than MaxSkinMeasure, whatever its edges are offset by.
bool SpanFits(const TRect& R) {
  return std::abs(R.Right - R.Left) <= MaxSkinMeasure && std::abs(R.Bottom - R.Top) <= MaxSkinMeasure;
}

// Clears each rectangle, point and measure of Record that lies past MaxSkinCoordinate, and each rectangle
// wider or taller than any picture: no picture is that large, so nothing is drawn from it, arithmetic on
// it could overflow, and a record without a picture still sizes its control by its face rectangle.
void ClearUnbounded(TObject* Record, const std::vector<const TSkinKeys*>& Tables) {
  for (const TSkinKeys* table : Tables)
    for (const TSkinKey& k : *table) {
      void* field = k.Field(Record);
      if (k.Kind == xj::skin::kkRect) {
        auto& r = *static_cast<TRect*>(field);
        if (!InRange(r.Left) || !InRange(r.Top) || !InRange(r.Right) || !InRange(r.Bottom) || !SpanFits(r)) r = TRect();
      } else if (k.Kind == xj::skin::kkPoint) {
        auto& p = *static_cast<TPoint*>(field);
        if (!InRange(p.X) || !InRange(p.Y)) p = TPoint();
      } else if (k.Kind == xj::skin::kkInteger && !PictureIndexKey(k)) {
        auto& v = *static_cast<int*>(field);
        if (!InRange(v)) v = 0;
      }
    }
}

void ClearUnbounded(TObject* Record) { ClearUnbounded(Record, xj::skin::KeyTablesOf(Record)); }

TBitmap* ActivePicture(const TbsSkinData& Data, int Index) {
  return Index >= 0 && Index < Data.ActivePictures->Count() ? static_cast<TBitmap*>(Data.ActivePictures->Items(Index))
                                                            : nullptr;
}

TArea ActiveArea(const TbsSkinData& Data, int Index) { return AreaOf(ActivePicture(Data, Index)); }

bool Usable(TArea A) { return A.W > 0 && A.H > 0; }

// A larger mask would only cost memory where it is read whole; a smaller one leaves part unshaped.
bool SameSize(TArea A, TArea B) { return A.W == B.W && A.H == B.H; }

// A record whose geometry does not fit its picture loses the picture and its mask, as if it had none; its
// values stay as read. A mask is exactly as large as what it shapes: Face (null: the whole picture).
void CheckPicture(TbsSkinData& Data, TObject* Record, int& PictureIndex, int& MaskIndex, const TRect* Face) {
  const TArea area = ActiveArea(Data, PictureIndex);
  if (!Usable(area)) return;  // drawn without a picture already
  if (!Fits(Record, area)) {
    PictureIndex = -1;
    MaskIndex = -1;
    return;
  }
  const TArea mask = ActiveArea(Data, MaskIndex);
  const TArea shaped = Face ? TArea { RectWidth(*Face), RectHeight(*Face) } : area;
  if (Usable(mask) && !SameSize(mask, shaped)) MaskIndex = -1;
}

// Menu items and the buttons of the main menu bar cut their face from their active picture; the frame's
// objects from the frame picture unless they say otherwise.
bool FaceInActivePicture(const TbsDataSkinObject* R) {
  return R->SkinRectInAPicture || R->InheritsFrom(TbsDataSkinMenuItem::StaticClass()) ||
         R->InheritsFrom(TbsDataSkinMainMenuItem::StaticClass()) ||
         R->InheritsFrom(TbsDataSkinMainMenuBarButton::StaticClass());
}

void CheckObject(TbsSkinData& Data, TbsDataSkinObject* R) {
  const TArea active = ActiveArea(Data, R->ActivePictureIndex);
  const TArea face = FaceInActivePicture(R) ? active : AreaOf(Data.Picture.get());
  if (!Usable(face) && !Usable(active)) return;  // drawn without a picture already
  if (!Inside(R->SkinRect, face)) {
    // The face cannot be drawn: the object has no look and no place on the frame.
    R->SkinRect = TRect();
    R->ActivePictureIndex = -1;
  } else if (!Fits(R, Larger(face, active))) {
    R->ActivePictureIndex = -1;
  }
}

void CheckFrame(TbsSkinData& Data) {
  const std::vector<const TSkinKeys*> tables = xj::skin::FormKeyTables();
  const TArea frame = AreaOf(Data.Picture.get());
  if (Usable(frame) && !Fits(&Data, tables, frame)) {
    Data.Picture->Assign(nullptr);
    Data.InActivePicture->Assign(nullptr);
    Data.Mask->Assign(nullptr);
  }
  ClearUnbounded(&Data, tables);
  if (!Usable(frame)) return;
  // The inactive picture is read with the frame's geometry; the mask shapes the frame picture.
  const TArea inactive = AreaOf(Data.InActivePicture.get());
  if (Usable(inactive) && !Fits(&Data, tables, inactive)) Data.InActivePicture->Assign(nullptr);
  const TArea mask = AreaOf(Data.Mask.get());
  if (Usable(mask) && !SameSize(mask, frame)) Data.Mask->Assign(nullptr);
}

}  // namespace

void xj::skin::DropUndrawableGeometry(TbsSkinData& Data) {
  CheckFrame(Data);
  for (int i = 0; i < Data.ObjectList->Count(); ++i) {
    auto* r = static_cast<TbsDataSkinObject*>(Data.ObjectList->Items(i));
    CheckObject(Data, r);
    ClearUnbounded(r);
  }
  for (int i = 0; i < Data.CtrlList->Count(); ++i) {
    auto* r = static_cast<TbsDataSkinControl*>(Data.CtrlList->Items(i));
    CheckPicture(Data, r, r->PictureIndex, r->MaskPictureIndex, &r->SkinRect);
    ClearUnbounded(r);
  }
  TbsDataSkinPopupWindow& popup = *Data.PopupWindow;
  CheckPicture(Data, &popup, popup.WindowPictureIndex, popup.MaskPictureIndex, nullptr);
  ClearUnbounded(&popup);
  TbsDataSkinHintWindow& hint = *Data.HintWindow;
  CheckPicture(Data, &hint, hint.WindowPictureIndex, hint.MaskPictureIndex, nullptr);
  ClearUnbounded(&hint);
}
