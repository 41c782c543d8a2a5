#pragma once
// The windowless skinned buttons: the speed button (groups, all-up, repeat, hover fade, glyph cell and
// caption) and the speed button with a drop-down menu. They take no focus and have no keys.

#include <array>

#include "skin/controls/bsSkinCtrls_button.h"
#include "skin/controls/bsSkinCtrls_graphic.h"

// The release reaches the inherited mouse-up (OnMouseUp) before the release rule clicks.
class TbsSkinSpeedButton : public TbsSkinPushButton<TbsGraphicSkinCustomControl> {
  XJ_CLASS(TbsSkinSpeedButton, TbsGraphicSkinCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinSpeedButton(TComponent* AOwner);

  int ImageIndex() const { return FImageIndex; }
  // The image of the tool bar's lists drawn in place of an empty glyph; repaints only on a tool bar.
  void SetImageIndex(int Value);
  // A transparent button paints only its glyph and caption while idle (no csOpaque), and never fades.
  bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
  void SetTransparent(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // A button that is down when it joins a group raises the group's others.
  void SetGroupIndex(int Value);
  bool ShowCaption() const { return FShowCaption; }
  // Takes WidthWithCaption / WidthWithoutCaption when both are set.
  void SetShowCaption(bool Value);
  int WidthWithCaption() const { return FWidthWithCaption; }
  void SetWidthWithCaption(int Value) { FWidthWithCaption = Value; }
  int WidthWithoutCaption() const { return FWidthWithoutCaption; }
  void SetWidthWithoutCaption(int Value) { FWidthWithoutCaption = Value; }

  void GetSkinData() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap*) override {}
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void DefaultFontChange() override { FacesChanged(); }
  // One face: the skin rectangle R of the current size with glyph and caption for the state.
  virtual void CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn);

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // A transparent button never fades.
  bool Fades() const override { return TbsSkinPushButton::Fades() && !Transparent(); }
  // Glyph and caption only, straight on the canvas: the idle transparent look.
  void DrawTransparent(const TRect& R, int GlyphNum);
  // Glyph cell GlyphNum and the caption in R. Without a glyph, a button on a tool bar shows the bar's
  // image ImageIndex instead: from its disabled list when disabled, its hot list when Hot, else its
  // images (greyed when disabled and the bar has no disabled list).
  void DrawContent(TCanvas* C, const TRect& R, int GlyphNum, bool Pressed, bool Hot);
  // The caption text of every face.
  AnsiString FaceCaption() { return FShowCaption ? Caption() : AnsiString(); }

  // The skinned faces a paint draws, each built once by CreateButtonImage and kept until something it is
  // built from changes: a hover move then only copies two kept faces.
  enum TFace { fcNormal, fcHot, fcDown, fcDisabled, fcCount };
  TBitmap* Face(TFace Kind);
  // Forgets the kept faces; every setter and notification that changes what a face shows calls it.
  void FacesChanged() override;
  // Whether faces may be kept at all: not while they show what changes unseen (a tool bar's image lists).
  virtual bool CanKeepFaces() const;

 private:
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void GlyphChange(TObject*) { FacesChanged(); }

  int FImageIndex { 0 };
  bool FFlat { false };
  bool FShowCaption { true };
  int FWidthWithCaption { 0 };
  int FWidthWithoutCaption { 0 };
  std::array<std::unique_ptr<TBitmap>, fcCount> FFaces;
  // What the kept faces were built from that each paint looks up anew from the skin.
  struct TFacesSource {
    TbsSkinData* Skin { nullptr };
    int Index { -1 };
    TBitmap* Picture { nullptr };
    int Width { 0 }, Height { 0 };
    bool SkinFont { true };
    bool Kept { false };  // faces built while they could not be kept are never reused
    bool operator==(const TFacesSource&) const = default;
  } FFacesSource;
};

extern template class TbsSkinMenuPushButton<TbsSkinSpeedButton>;

class TbsSkinMenuSpeedButton : public TbsSkinMenuPushButton<TbsSkinSpeedButton> {
  XJ_CLASS(TbsSkinMenuSpeedButton, TbsSkinSpeedButton)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMenuSpeedButton(TComponent* AOwner);

  void CreateControlDefaultImage(TBitmap* B) override;

 protected:
  void Paint() override;
  bool CanKeepFaces() const override { return !FMenuTracked && TbsSkinSpeedButton::CanKeepFaces(); }
};
