#pragma once
// What the windowed push button and the windowless speed button share: down, groups and all-up, repeat,
// the glyph strip and its layout, the button record's fonts and faces, the hover fade, and the press and
// release of the left button. The two differ in when a release reaches OnMouseUp (TbsReleaseOrder).

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/vcl/Graphics.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_timers.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

using TbsNumGlyphs = int;  // 1..4 cells in a glyph strip

// Whether a release runs the button's rule (up, click) before the inherited mouse-up (and so OnMouseUp)
// or after it.
enum class TbsReleaseOrder { RuleFirst, InheritedFirst };

// An empty Glyph takes the image of an action from its action list's images (on a fuchsia ground).
void bsGlyphFromAction(TBitmap* Glyph, TObject* Action);

template <class TBase>
class TbsSkinPushButton : public TBase {
 public:
  TbsSkinPushButton(TComponent* AOwner, TbsReleaseOrder Order)
      : TBase(AOwner),
        FGlyph(std::make_unique<TBitmap>()),
        FMorph([this] { return Lit(); }, [this] { return FMorphing && this->FSkinObjectIndex != -1; },
               [this] { this->Repaint(); }),
        FRepeat([this] { ButtonClick(); }),
        FReleaseOrder(Order) {}
  ~TbsSkinPushButton() override {
    StopMorph();
    StopRepeat();
  }

  bool RepeatMode() const { return FRepeatMode; }
  void SetRepeatMode(bool Value) { FRepeatMode = Value; }
  int RepeatInterval() const { return FRepeatInterval; }
  void SetRepeatInterval(int Value) { FRepeatInterval = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Down() const { return FDown; }
  // Repaints; in a group without AllowAllUp, a button going down raises the others.
  void SetDown(bool Value) {
    FDown = Value;
    if (FMorphing) {
      // Going down shows the pressed face at once; coming up fades out from the hot face.
      FMorph.SetKf(1.0);
      if (Value)
        StopMorph();
      else
        StartMorph();
    }
    this->Repaint();
    if (FGroupIndex != 0 && Value && !FAllowAllUp) DoAllUp();
  }
  int GroupIndex() const { return FGroupIndex; }
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value) {
    FGlyph->Assign(Value);
    this->Repaint();
  }
  TbsNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  // Clamped to 1..4.
  void SetNumGlyphs(TbsNumGlyphs Value) {
    FNumGlyphs = std::clamp(Value, 1, 4);
    FacesChanged();
    this->Repaint();
  }
  int Margin() const { return FMargin; }
  // -1 centres glyph and caption; values below -1 are refused.
  void SetMargin(int Value) {
    if (Value >= -1) ChangeLook(FMargin, bsGlyphMargin(Value));
  }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value) { ChangeLook(FSpacing, bsGlyphSpacing(Value)); }
  TbsButtonLayout Layout() const { return FLayout; }
  void SetLayout(TbsButtonLayout Value) { ChangeLook(FLayout, Value); }

  bool MouseIn() const { return FMouseIn; }
  bool Pressed() const { return FPressed; }
  double MorphKf() const { return FMorph.Kf(); }
  bool Morphing() const { return FMorphing; }
  TbsMorphFade& Morph() { return FMorph; }
  TbsRepeatTimer& Repeat() { return FRepeat; }

  // The button's own click event.
  TNotifyEvent OnClick;
  // Fires OnClick.
  virtual void ButtonClick() {
    if (OnClick) OnClick(this);
  }

  // Copied from the record while skinned.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, DownFontColor { 0 }, DisabledFontColor { 0 };
  TRect ActiveSkinRect, DownSkinRect, DisabledSkinRect;
  TbsMorphKind MorphKind { mkDefault };

 protected:
  // A left press goes down, and repeats or (in a group) clicks at once; a press while down only notes,
  // in a group, that the button was down already.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    auto life = this->LifeToken();
    TBase::MouseDown(Button, Shift, X, Y);
    if (life.expired() || Button != mbLeft) return;
    FPressed = true;
    if (FDown) {
      if (FGroupIndex != 0) FWasDown = true;
      return;
    }
    FMouseIn = true;
    FWasDown = false;
    SetDown(true);
    if (FRepeatMode && FGroupIndex == 0)
      StartRepeat();
    else if (FGroupIndex != 0)
      ButtonClick();  // a group button acts as it goes down
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    auto life = this->LifeToken();
    const bool ruleFirst = FReleaseOrder == TbsReleaseOrder::RuleFirst;  // read while surely alive
    if (!ruleFirst) {
      TBase::MouseUp(Button, Shift, X, Y);
      if (life.expired()) return;
    }
    // A release acts only on a press of its own (not after a cancelled press, nor one that began elsewhere);
    // a cancelled press ends with a release at (-1, -1), off the button.
    if (Button == mbLeft && std::exchange(FPressed, false)) Release(FMouseIn && TbsOwnPress::Over(this, X, Y));
    if (ruleFirst && !life.expired()) TBase::MouseUp(Button, Shift, X, Y);
  }
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    TBase::ActionChange(Sender, CheckDefaults);
    bsGlyphFromAction(FGlyph.get(), Sender);
    FacesChanged();
    this->Repaint();
  }

  // The face the fade runs towards is the hot one.
  virtual bool Lit() { return FMouseIn; }
  // Whether a change of look fades rather than repaints.
  virtual bool Fades() const { return FMorphing && this->FSkinObjectIndex != -1; }
  // Forgets whatever was built from the look (nothing here).
  virtual void FacesChanged() {}

  // Copies the button record's fonts, face rectangles and fade; a record of another kind unskins.
  bool ReadButtonRecord() {
    auto* r = this->template SkinRecordAs<TbsDataSkinButtonControl>();
    if (!r) {
      this->Unskin();
      return false;
    }
    FontName = r->FontName;
    FontStyle = r->FontStyle;
    FontHeight = r->FontHeight;
    FontColor = r->FontColor;
    ActiveFontColor = r->ActiveFontColor;
    DownFontColor = r->DownFontColor;
    DisabledFontColor = r->DisabledFontColor;
    ActiveSkinRect = IsNullRect(r->ActiveSkinRect) ? this->SkinRect : r->ActiveSkinRect;
    DownSkinRect = IsNullRect(r->DownSkinRect) ? ActiveSkinRect : r->DownSkinRect;
    DisabledSkinRect = r->DisabledSkinRect;
    FMorphing = r->Morphing;
    MorphKind = r->MorphKind;
    return true;
  }
  // The skin rectangle R of the current size on B, its canvas set to the face's font and state colour.
  TCanvas* BeginFace(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
    this->CreateSkinControlImage(B, this->Picture, R);
    TCanvas* canvas = B->Canvas();
    SetFaceFont(canvas);
    canvas->Font()->SetColor(!this->Enabled()    ? DisabledFontColor
                             : ADown && AMouseIn ? DownFontColor
                             : AMouseIn          ? ActiveFontColor
                                                 : FontColor);
    return canvas;
  }
  // Sets the font of a face: the skin's (with UseSkinFont) or DefaultFont.
  void SetFaceFont(TCanvas* Canvas) {
    TFont* font = Canvas->Font();
    if (this->UseSkinFont()) {
      font->SetName(FontName);
      font->SetHeight(FontHeight);
      font->SetStyle(FontStyle);
      font->SetCharset(this->DefaultFont()->Charset());
    } else {
      font->Assign(this->DefaultFont());
    }
  }
  // A solid face of the built-in look.
  static void DrawDefaultFrame(TCanvas* Canvas, TRect R, TbsLookState State, bool NormalFrame = true) {
    Canvas->Brush()->SetStyle(bsSolid);
    bsDrawLookFace(Canvas, R, State, NormalFrame);
  }

  // Cell of the glyph strip: 3 pressed, 4 hot, 2 disabled, else 1 (as far as the strip has cells).
  int GetGlyphNum(bool ADown, bool AMouseIn) const {
    if (ADown && AMouseIn && FNumGlyphs > 2) return 3;
    if (AMouseIn && FNumGlyphs > 3) return 4;
    if (this->Enabled()) return 1;
    return FNumGlyphs > 1 ? 2 : 1;
  }
  // Fades when it may, else repaints.
  void ReDrawControl() {
    if (Fades())
      StartMorph();
    else
      this->Repaint();
  }
  void StartMorph() { FMorph.Start(); }
  void StopMorph() { FMorph.Stop(); }
  void StartRepeat() { FRepeat.Start(FRepeatInterval); }
  void StopRepeat() { FRepeat.Stop(); }
  // Raises the other buttons of the group that are down.
  void DoAllUp() {
    TWinControl* parent = this->Parent();
    if (!parent) return;
    auto life = this->LifeToken();
    for (int i = 0; i < parent->ControlCount() && !life.expired(); ++i) {
      auto* other = dynamic_cast<TbsSkinPushButton*>(parent->Controls(i));
      if (other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) other->SetDown(false);
    }
  }
  // Stores a value the face shows and repaints, when it differs.
  template <class T>
  void ChangeLook(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    FacesChanged();
    this->Repaint();
  }

  bool FMouseIn { false };
  bool FPressed { false };  // a left press of ours is held
  bool FMorphing { false };
  bool FWasDown { false };
  bool FDown { false };
  int FGroupIndex { 0 };
  std::unique_ptr<TBitmap> FGlyph;

 private:
  // The rule of a release of our own press: a plain button comes up and clicks when released Over it
  // (released outside it only comes up); a group button comes up and clicks only with AllowAllUp, when it
  // was down before the press.
  void Release(bool Over) {
    if (FGroupIndex != 0) {
      if (FDown && FAllowAllUp && FWasDown && Over) {
        auto life = this->LifeToken();
        SetDown(false);
        if (!life.expired()) ButtonClick();
      }
      return;
    }
    StopRepeat();
    if (!Over) {
      FDown = false;  // released outside: the face already shows up, and there is no click
      return;
    }
    auto life = this->LifeToken();
    SetDown(false);
    if (!life.expired()) ButtonClick();
  }

 protected:
  bool FRepeatMode { false };
  int FRepeatInterval { 100 };
  bool FAllowAllUp { false };
  TbsNumGlyphs FNumGlyphs { 2 };
  int FMargin { -1 };
  int FSpacing { 1 };
  TbsButtonLayout FLayout { blGlyphLeft };
  TbsMorphFade FMorph;
  TbsRepeatTimer FRepeat;

 private:
  const TbsReleaseOrder FReleaseOrder;
};
