#pragma once
// The skinned hint: a hint window class the application uses for every control hint once a TbsSkinHint
// exists, shaped and painted from the skin's hint window record (or a plain default look), and object
// hints for the active skin objects of a skinned form, shown and hidden on their own timer.

#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "skin/data/bsSkinData.h"

class TbsSkinHint;

class TbsSkinHintWindow : public THintWindow {
  XJ_CLASS(TbsSkinHintWindow, THintWindow)
 public:
  explicit TbsSkinHintWindow(TComponent* AOwner);

  // Shows Hint with its top-left at Rect's top-left, kept on the screen.
  void ActivateHint(TRect Rect, const AnsiString& AHint) override;
  void CalcHintSize(TCanvas* C, const AnsiString& S, int& Width, int& Height);
  // The active TbsSkinHint of the application's main form, or null.
  static TbsSkinHint* FindHintComponent();
  void SetHintWindowRegion();

  TbsSkinData* SkinData() const { return FSkinData; }
  bool Layered() const { return FLayered; }
  BYTE CurrentAlpha() const { return FCurrentAlpha; }
  const TRect& NewClRect() const { return FNewClRect; }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

 private:
  void ApplyFont(TCanvas* C) const;

  TRect FNewClRect;
  TPoint FNewLTPoint, FNewRTPoint, FNewLBPoint, FNewRBPoint;
  TbsSkinHint* FHintComponent { nullptr };
  TbsSkinData* FSkinData { nullptr };
  bool FHasRegion { false };
  bool FLayered { false };
  BYTE FCurrentAlpha { 0 };
};

class TbsSkinHint : public TComponent {
  XJ_CLASS(TbsSkinHint, TComponent)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinHint(TComponent* AOwner);
  ~TbsSkinHint() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  TbsSkinData* SkinData() const { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE Value) { FAlphaBlendValue = Value; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }

  TShowHintEvent OnShowHint;

  // Object hint after the application's hint pause, hidden HintHidePause later.
  void ActivateHint2(const AnsiString& Hint);
  // Object hint at P (screen) at once.
  void ActivateHint(TPoint P, const AnsiString& Hint);
  void HideHint();
  bool IsVisible() const;
  static int GetCursorHeightMargin();
  TbsSkinHintWindow* HintWindow() const { return FHintWindow; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void SelfOnShowHint(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo);
  void HintTime1(TObject* Sender);
  void HintTime2(TObject* Sender);
  void InstallShowHint();

  bool FActive { true };
  TbsSkinData* FSkinData { nullptr };
  TbsSkinHintWindow* FHintWindow { nullptr };  // owned through the component tree
  bool FAlphaBlend { false };
  BYTE FAlphaBlendValue { 0 };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  std::unique_ptr<TTimer> FTimer;
  AnsiString FHintText;
};

XJ_UNIT_REGISTRATION(RegisterbsSkinHint)
