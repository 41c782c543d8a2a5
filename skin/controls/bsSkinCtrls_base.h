#pragma once
// The bases of every windowed skinned control, the interface by which a skin change reaches a control,
// and the glyph-and-caption layout of the button family.
//
// A skinned control names a control record of its skin data (SkinDataName) and looks it up again on
// every paint, resize and skin change; without a skin, or when the record is missing, of another class
// or without a picture, it paints its built-in default look. Pointers into the skin's pictures are only
// held while a lookup has found them, so a skin being replaced or freed is never read.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/IntMath.h"
#include "skin/data/bsUtils.h"

class TbsSkinData;
class TbsDataSkinControl;
class TbsDataSkinCustomControl;
class TCustomImageList;

// What the form engine's skin-change walk calls: BeforeChangeSkinData on every target bound to the skin
// data being changed before the load (the control forgets the skin), ChangeSkinData after it.
class IbsSkinChangeTarget {
 public:
  virtual TbsSkinData* SkinData() const = 0;
  virtual void BeforeChangeSkinData() {}
  virtual void ChangeSkinData() = 0;

 protected:
  ~IbsSkinChangeTarget() = default;
};

// A left press of a control's own, so that a release acts only on it: not on a press begun elsewhere,
// nor on the release at (-1, -1) that a press cancelled by WM_CANCELMODE ends with.
class TbsOwnPress {
 public:
  void Down(TMouseButton Button) { FHeld = FHeld || Button == mbLeft; }
  // Whether a release of Button at (X, Y) ends a held left press over Control; the press ends with it.
  bool Up(TMouseButton Button, const TControl* Control, int X, int Y) {
    return Button == mbLeft && std::exchange(FHeld, false) && Over(Control, X, Y);
  }
  static bool Over(const TControl* Control, int X, int Y) {
    return X >= 0 && Y >= 0 && X < Control->Width() && Y < Control->Height();
  }

 private:
  bool FHeld { false };
};

// The walk itself, depth first from Root: a control, then each of its children in the order of its
// controls list. Only targets bound to Data take part (every target when Data is null); a child its
// parent handed the skin data to while changing (a list's bars) is not changed a second time.
void BeforeChangeSkinDataWalk(TControl* Root, TbsSkinData* Data);
void ChangeSkinDataWalk(TControl* Root, TbsSkinData* Data);

// Picture Index of the skin data's active pictures; null when out of range.
TBitmap* bsActivePicture(TbsSkinData* Data, int Index);

// What of Control's client area can show, as a cut of its face: the part inside the client area of every
// window it lies in, from its own top-left corner on. The whole face for a control without a window.
TbsFaceCut bsVisibleFaceCut(TWinControl* Control);

// While a form is read, a value held against another property (a position against its limits, an index
// against its items) is taken as it comes, since what it depends on may still follow; Loaded holds it.
inline bool bsLoading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

// R moved by (DX, DY), its size kept: how a face's rectangles follow a control grown past its skin.
inline TRect bsShifted(TRect R, int DX, int DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
  return R;
}

// The face geometry of a skin record: its corner points and rectangles, the same moved to a control's
// current size, and the resize mode derived from them. Windowed and windowless skinned controls share it.
struct TbsSkinGeometry {
  // Takes the corner points and rectangles of R and derives the resize mode.
  void ReadGeometry(const TbsDataSkinCustomControl& R);
  // -1 no face rectangle, 0 fixed size, 1 stretched both ways, 2 horizontally, 3 vertically.
  int GetResizeMode() const;
  // Corrects a size W x H for the resize mode and moves the corner points and client rectangle to it.
  void CalcGeometry(int& W, int& H);
  // R, given in face coordinates, moved to where it lies on a face of W x H.
  TRect MapRect(const TRect& R, int W, int H) const;
  // The face of W x H from rectangle R of SB (the caps always measured on SkinRect), cut by FaceCut.
  void CreateFaceImage(TBitmap* B, TBitmap* SB, const TRect& R, int W, int H) const;

  // Copied from the record, and moved to the current size.
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect SkinRect, ClRect;
  TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
  TRect NewClRect;
  int FResizeMode { -1 };
  // How much of the face is built: all of it, but while a control that builds only what shows of itself
  // paints.
  TbsFaceCut FaceCut;
};

class TbsSkinControl : public TCustomControl, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinControl, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinControl(TComponent* AOwner);
  ~TbsSkinControl() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  // Stores Value; a usable skin at run time is applied at once (ChangeSkinData). Setting null only
  // stores it: the next paint shows the default look.
  virtual void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  // Virtual so that a container can follow the name onto its children.
  virtual void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  // The record's index in the skin data's control list; -1: the default look.
  int SkinObjectIndex() const { return FSkinObjectIndex; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // Looks SkinDataName up again (-1 without a usable skin or record).
  virtual void GetSkinData();
  virtual void CreateControlDefaultImage(TBitmap* B);
  virtual void CreateControlSkinImage(TBitmap* B);
  // Looks the record up again and repaints.
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;

  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The whole face into one off-screen bitmap, drawn in one call.
  void Paint() override;
  // Whether the looked-up record can be painted; otherwise the default look is.
  virtual bool CanPaintSkin() const { return FSkinObjectIndex != -1; }
  // The size of the bitmap Paint builds the face in: the whole control.
  virtual TSize FaceSize() const { return TSize(Width(), Height()); }
  // The record at SkinObjectIndex, or null.
  TbsDataSkinControl* SkinRecord() const;

  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName;
  HRGN FRgn { nullptr };  // the region last handed to the window (the window owns it)
  int FSkinObjectIndex { -1 };

  // Written even when empty: an empty name reads back empty, not as the constructor's.
  bool IsSkinDataNameStored() const { return true; }

 private:
  friend bool bsChangedInThisWalk(const TbsSkinControl* Control);
  uint64_t FChangedInWalk { 0 };  // the skin-change walk that changed it already (see SetSkinData)
};

// What the windowed and windowless skinned bases add over their record lookup (TBase): the face geometry
// and picture of a control record, the built-in look's default size and font, and sizing to the skin.
template <class TBase>
class TbsSkinFaceControl : public TBase, public TbsSkinGeometry {
 public:
  explicit TbsSkinFaceControl(TComponent* AOwner);
  ~TbsSkinFaceControl() override;

  int DefaultWidth() const { return FDefaultWidth; }
  // Applied at once while unskinned, when above 0.
  void SetDefaultWidth(int Value);
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  // -1 no face rectangle, 0 fixed size, 1 stretched both ways, 2 horizontally, 3 vertically.
  int ResizeMode() const { return FResizeMode; }

  void GetSkinData() override { LookUpFace(); }
  void BeforeChangeSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;

  virtual void DefaultFontChange() {}
  // Corrects a size for the resize mode and moves the corner points and client rectangle to it.
  virtual void CalcSize(int& W, int& H);

  // R, given in face coordinates, moved to where it lies on the resized control.
  TRect GetNewRect(const TRect& R) const { return MapRect(R, this->Width(), this->Height()); }
  // The face of the current size from rectangle R of SB.
  void CreateSkinControlImage(TBitmap* B, TBitmap* SB, const TRect& R) {
    CreateFaceImage(B, SB, R, this->Width(), this->Height());
  }

  // The skin picture, borrowed from the skin data while the lookup finds it; null otherwise.
  TBitmap* Picture { nullptr };

 protected:
  bool CanPaintSkin() const override { return this->FSkinObjectIndex != -1 && Picture != nullptr; }
  // Treats the looked-up record as unusable: the default look, nothing of the skin kept.
  void Unskin() {
    this->FSkinObjectIndex = -1;
    Picture = nullptr;
  }
  // The record as its expected class; a record of another class leaves the control unskinned. Told by the
  // class chain rather than a cross cast, as every paint and resize asks; R names its own class (XJ_CLASS),
  // so an object of R or of a class below it is found an R.
  template <class R>
  R* SkinRecordAs() const {
    static_assert(std::is_same_v<decltype(&R::ClassType), TClass (R::*)() const>, "R must declare XJ_CLASS");
    auto* record = this->SkinRecord();  // a complete type where the template is used
    return record && record->InheritsFrom(R::StaticClass()) ? static_cast<R*>(record) : nullptr;
  }
  // Looks SkinDataName up and takes the record's geometry and picture; the record, or null (unskinned).
  const TbsDataSkinCustomControl* LookUpFace();
  // Looks the record up again; when a skinned control changes size, corrects W x H for the resize mode
  // and answers true.
  bool FitSizeToSkin(int& W, int& H);
  // Looks the record up again and sizes the control to it (to DefaultWidth and UnskinnedHeight without
  // one); whether the record changed the size.
  bool SizeToSkin();
  // The height the built-in look gives on a skin change, when above 0.
  virtual int UnskinnedHeight() const { return FDefaultHeight; }

  int FDefaultWidth { 0 };
  int FDefaultHeight { 0 };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };

 private:
  void OnDefaultFontChange(TObject* Sender);
};

extern template class TbsSkinFaceControl<TbsSkinControl>;

class TbsSkinCustomControl : public TbsSkinFaceControl<TbsSkinControl> {
  XJ_CLASS(TbsSkinCustomControl, TbsSkinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomControl(TComponent* AOwner);
  ~TbsSkinCustomControl() override;

  // Without a skin the default look shows the whole window: a region cut for the old skin goes at once.
  void SetSkinData(TbsSkinData* Value) override;
  void GetSkinData() override;
  void BeforeChangeSkinData() override;
  // Sizes the control to the skin (or to DefaultWidth/DefaultHeight without one), rebuilds its region
  // and repaints.
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Hands the window the region cut from the mask for the current size, or removes the region when
  // there is no mask or none can be built.
  virtual void SetControlRegion();

  // Borrowed from the skin data while the lookup finds it; null otherwise.
  TBitmap* MaskPicture { nullptr };

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The whole control, cut by FaceCut.
  TSize FaceSize() const override;
  // Removes the window region that was cut for a skin now gone.
  void DropSkinRegion();
  // Treats the looked-up record as unusable: the default look, nothing of the skin kept.
  void Unskin() {
    TbsSkinFaceControl::Unskin();
    MaskPicture = nullptr;
  }
  void CreateControlRegion();
};

// ---- Glyph and caption layout -----------------------------------------------------------------------

enum TbsButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
XJ_ENUM_IDENTS(TbsButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom);

// The top-left corners of caption and glyph in R. Margin -1 centres glyph and caption as one block;
// otherwise the glyph stands Margin pixels from its side and the caption follows at Spacing. A 0 x 0
// glyph takes part like any other.
void CalcGlyphLayout(TbsButtonLayout Layout, const TRect& R, int GlyphWidth, int GlyphHeight, int TextWidth,
                     int TextHeight, int Spacing, int Margin, int& TextX, int& TextY, int& GlyphX, int& GlyphY);
// The buttons hold Margin and Spacing within a window's extent (a Margin below -1 is refused), so that
// every sum of the layout fits in an int.
constexpr int bsGlyphMargin(int Value) { return std::min(Value, xj::MaxWindowExtent); }
constexpr int bsGlyphSpacing(int Value) { return std::clamp(Value, -xj::MaxWindowExtent, xj::MaxWindowExtent); }
// The caption (canvas font, no background, several lines where it breaks) and cell GlyphNum of a strip
// of NumGlyphs cells, laid out by CalcGlyphLayout; ADown moves both one pixel right and down.
void DrawGlyphAndCaption(TCanvas* Canvas, const TRect& R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const AnsiString& Caption, TBitmap* Glyph, int NumGlyphs, int GlyphNum, bool ADown);
// The same with image ImageIndex of Images as the glyph (none when out of range), disabled unless
// AEnabled.
void DrawImageAndCaption(TCanvas* Canvas, const TRect& R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const AnsiString& Caption, int ImageIndex, TCustomImageList* Images, bool ADown,
                         bool AEnabled);
