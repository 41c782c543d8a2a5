#pragma once
// The skinned memos: TbsSkinMemo paints a skinned frame (or the whole face, the text drawn on it) around
// the native multi-line edit and mirrors its vertical scroll state into an external skinned bar;
// TbsSkinMemo2 takes only font and colours from the skin and mirrors both scroll states into two
// external bars. Both show no native bars and scroll themselves when the user moves an attached bar.

#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls_base.h"

class TbsSkinScrollBar;
class TbsDataSkinMemoControl;

// What both memos share: their own skin references (they are not skinned controls), the lookup of the
// memo record, the font rule (skin font or default font, hot or normal colour), the hot state, the
// messages after which the bars are mirrored, and attaching external bars.
class TbsSkinCustomMemo : public TCustomMemo, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinCustomMemo, TCustomMemo)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomMemo(TComponent* AOwner);
  ~TbsSkinCustomMemo() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  // A usable skin set at run time is applied at once; null only stores.
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  // The mouse is over the memo or it holds the focus.
  bool Hot() { return FMouseIn || Focused(); }

  // Font and colours from the skin (or the default font), the bars mirrored, the window rebuilt.
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override { FSkinObjectIndex = -1; }
  virtual void GetSkinData();
  // Mirrors the memo's scroll state into the attached bars.
  virtual void UpDateScrollRange() = 0;

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Change() override;
  // A message the memo refuses (read-only filtering); dropped before anything sees it.
  virtual bool Refused(const TMessage&) { return false; }
  // After a message that may have changed what the client area shows.
  virtual void ContentChanged() {}
  // After the hot state changed; Other tells whether the other half of it (focus or mouse) still holds.
  virtual void HotChanged(bool Other) { (void)Other; }
  // Whether the background colour follows the hot state.
  virtual bool ColourFollowsHot() const { return true; }
  // The lines the client area shows whole, by the height of "Wq" in the memo's font (at least 1).
  int VisibleLineCount();
  // Attaches Value in Field's place: the old bar is let go, the new one emptied and its OnChange taken.
  void AttachBar(TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, const TNotifyEvent& Handler);
  // Scrolls the edit to the bar's position (in full 32 bits), then mirrors the bars.
  void ScrollToBar(UINT Msg, TbsSkinScrollBar* Bar);
  // Mirrors a range into Bar: enabled with the range when Max exceeds Page, disabled and all zero
  // otherwise.
  static void MirrorRange(TbsSkinScrollBar* Bar, int Max, int Position, int Page);
  void OnDefaultFontChange(TObject* Sender);
  TbsDataSkinMemoControl* Record() const;

  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "memo" };
  int FSkinObjectIndex { -1 };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  bool FMouseIn { false };
  bool FLButtonDown { false };
  // Copied from the record by the lookup.
  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 12 };
  TColor FontColor { 0 }, ActiveFontColor { 0 }, BGColor { 0 }, ActiveBGColor { 0 };

 private:
  void SetHot(bool Hot, bool Other);
  void DropRefused(TMessage& Message);
  void WheelByLine(TMessage& Message);
  void FollowInherited(TMessage& Message);
  void PointerEntered();
  void PointerLeft();
  void DetachBar(TbsSkinScrollBar* Bar);
};

class TbsSkinMemo : public TbsSkinCustomMemo {
  XJ_CLASS(TbsSkinMemo, TbsSkinCustomMemo)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMemo(TComponent* AOwner);
  ~TbsSkinMemo() override;

  // The face (frame and background) from one skin image, the text drawn transparently on it.
  bool BitMapBG() const { return FBitMapBG; }
  void SetBitMapBG(bool Value);
  // The memo's own flag: typing, Delete and the clipboard edits are dropped; the edit stays writable
  // for the program.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  TbsSkinScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);

  void GetSkinData() override;
  void UpDateScrollRange() override;
  void Invalidate() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool Refused(const TMessage& Message) override;
  void ContentChanged() override;
  void HotChanged(bool Other) override;
  bool ColourFollowsHot() const override { return !FBitMapBG; }

 private:
  void OnVScrollBarChange(TObject* Sender);
  void WMNCPaint();
  void SkinFramePaint(TCanvas* Canvas);
  void SkinNCPaint(TCanvas* Canvas);
  void DefaultFrame(TCanvas* Canvas);
  void PaintDisabled(TMessage& Message);
  // The nine-slice moved to the current size.
  void CalcNewGeometry();
  TRect SourceRect() { return Hot() ? ActiveSkinRect : SkinRect; }

  TbsSkinScrollBar* FVScrollBar { nullptr };
  bool FBitMapBG { false };
  bool FReadOnly { false };
  TBitmap* Picture { nullptr };
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
  TRect ClRect, NewClRect, SkinRect, ActiveSkinRect;
};

class TbsSkinMemo2 : public TbsSkinCustomMemo {
  XJ_CLASS(TbsSkinMemo2, TbsSkinCustomMemo)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMemo2(TComponent* AOwner);
  ~TbsSkinMemo2() override;

  TbsSkinScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);
  TbsSkinScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TbsSkinScrollBar* Value);

  void UpDateScrollRange() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void OnVScrollBarChange(TObject* Sender);
  void OnHScrollBarChange(TObject* Sender);

  TbsSkinScrollBar* FVScrollBar { nullptr };
  TbsSkinScrollBar* FHScrollBar { nullptr };
};
