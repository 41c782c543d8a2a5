#pragma once
// The bases of the windowless skinned controls: the same skin contract as the windowed bases (a record
// looked up by name on every paint and resize, a face built from the skin picture by resize mode, the
// default look without a usable record), for controls that paint on their parent's canvas. They have no
// window, so no region: the control is always its full rectangle.

#include "skin/controls/bsSkinCtrls_base.h"

class TbsGraphicSkinControl : public TGraphicControl, public IbsSkinChangeTarget {
  XJ_CLASS(TbsGraphicSkinControl, TGraphicControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsGraphicSkinControl(TComponent* AOwner);
  ~TbsGraphicSkinControl() override;

  TbsSkinData* SkinData() const override { return FSkinData; }
  // Stores Value; a usable skin at run time is applied at once (ChangeSkinData).
  virtual void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  virtual void GetSkinData();
  virtual void CreateControlDefaultImage(TBitmap*) {}
  virtual void CreateControlSkinImage(TBitmap*) {}
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override { FSkinObjectIndex = -1; }

  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The whole face into one off-screen bitmap, drawn on the parent's canvas in one call.
  void Paint() override;
  virtual bool CanPaintSkin() const { return FSkinObjectIndex != -1; }
  TbsDataSkinControl* SkinRecord() const;

  TbsSkinData* FSkinData { nullptr };
  AnsiString FSkinDataName;
  int FSkinObjectIndex { -1 };

 private:
  bool IsSkinDataNameStored() const { return true; }
};

extern template class TbsSkinFaceControl<TbsGraphicSkinControl>;

class TbsGraphicSkinCustomControl : public TbsSkinFaceControl<TbsGraphicSkinControl> {
  XJ_CLASS(TbsGraphicSkinCustomControl, TbsGraphicSkinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsGraphicSkinCustomControl(TComponent* AOwner);
  ~TbsGraphicSkinCustomControl() override;

  // Sizes the control to the skin (or to DefaultWidth/DefaultHeight without one) and repaints.
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
};
