#pragma once
// The stock splitter and control bar drawing from a skin: the splitter's bar from "vsplitter", the
// control bar's background, band frames and (with SkinBevel) its window border from "controlbar".
// Without a usable record or picture both keep the stock look.

#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/bsSkinCtrls_base.h"

class TbsSkinData;
class TbsDataSkinControl;

class TbsSkinSplitter : public TSplitter, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinSplitter, TSplitter)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinSplitter(TComponent* AOwner);
  ~TbsSkinSplitter() override;

  // The bar's thickness without a skin.
  int DefaultSize() const { return FDefaultSize; }
  void SetDefaultSize(int Value) { FDefaultSize = Value; }
  TbsSkinData* SkinData() const override { return FSkinData; }
  // Always takes the skin's thickness (or DefaultSize) at once.
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }

  void GetSkinData();
  // Sets the thickness across the bar, and MinSize with it, from the skin or DefaultSize.
  void ChangeSkinData() override;

  TPoint LTPoint, RTPoint, LBPoint;
  TRect SkinRect;
  TBitmap* Picture { nullptr };  // the skin's, not owned; null when unskinned

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;

 private:
  int FDefaultSize { 10 };
  int FSkinObjectIndex { -1 };
  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "vsplitter" };
};

class TbsSkinControlBar : public TCustomControlBar, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinControlBar, TCustomControlBar)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinControlBar(TComponent* AOwner);
  ~TbsSkinControlBar() override;

  // On: the window border is cut from the skin (skinned only).
  bool SkinBevel() const { return FSkinBevel; }
  void SetSkinBevel(bool Value);
  TbsSkinData* SkinData() const override { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }

  void GetSkinData();
  void ChangeSkinData() override;
  void Dispatch(TMessage& Message) override;

  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect SkinRect, ClRect, NewClRect;
  TRect ItemRect;  // the band frame picture
  TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
  // The skin's bitmap, not owned; null when unskinned. (Picture is the stock tiled background.)
  TBitmap* SkinPicture { nullptr };
  // -1, or a usable active picture of the skin tiled as the background.
  int BGPictureIndex { -1 };

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void PaintControlFrame(TCanvas* Canvas, TControl* AControl, TRect& ARect) override;

 private:
  bool Skinned() const { return FSkinObjectIndex != -1 && SkinPicture; }
  void PaintNCSkin();

  bool FSkinBevel { false };
  int FSkinObjectIndex { -1 };
  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName { "controlbar" };
};
