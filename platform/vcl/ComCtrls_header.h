#pragma once
// THeaderControl: a bar of sections over the native "SysHeader32" window.

#include <memory>

#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"

class THeaderControl;

enum THeaderSectionStyle { hsText, hsOwnerDraw };
XJ_ENUM_IDENTS(THeaderSectionStyle, hsText, hsOwnerDraw);
enum THeaderStyle { hsButtons, hsFlat };
XJ_ENUM_IDENTS(THeaderStyle, hsButtons, hsFlat);
enum TSectionTrackState { tsTrackBegin, tsTrackMove, tsTrackEnd };

class THeaderSection : public TCollectionItem {
  XJ_CLASS(THeaderSection, TCollectionItem)
 public:
  explicit THeaderSection(TCollection* Collection) : TCollectionItem(Collection) {}

  void Assign(TPersistent* Source) override;
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AllowClick() const { return FAllowClick; }
  void SetAllowClick(bool Value) { FAllowClick = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // Width stays between MinWidth and MaxWidth, whether set here or dragged by the user.
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  // hsOwnerDraw sections are drawn by the control's DrawSection.
  THeaderSectionStyle Style() const { return FStyle; }
  void SetStyle(THeaderSectionStyle Value);
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  // The section's edges in the control, in display order.
  int Left() const;
  int Right() const { return Left() + FWidth; }

 protected:
  AnsiString GetDisplayName() const override;

 private:
  friend class THeaderControl;
  TAlignment FAlignment { taLeftJustify };
  bool FAllowClick { true };
  int FImageIndex { -1 };
  int FMaxWidth { 10000 };
  int FMinWidth { 0 };
  THeaderSectionStyle FStyle { hsText };
  AnsiString FText;
  int FWidth { 50 };
};

class THeaderSections : public TCollection {
  XJ_CLASS(THeaderSections, TCollection)
 public:
  explicit THeaderSections(THeaderControl* HeaderControl);

  THeaderSection* Add() { return static_cast<THeaderSection*>(TCollection::Add()); }
  THeaderSection* Items(int Index) const { return static_cast<THeaderSection*>(TCollection::Items(Index)); }
  void SetItems(int Index, THeaderSection* Value) { TCollection::SetItems(Index, Value); }
  THeaderSection* operator[](int Index) const { return Items(Index); }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  THeaderControl* FHeaderControl;
};

typedef TClosure<void(THeaderControl* HeaderControl, THeaderSection* Section)> TSectionNotifyEvent;
typedef TClosure<void(THeaderControl* HeaderControl, THeaderSection* Section, int Width, TSectionTrackState State)>
    TSectionTrackEvent;
typedef TClosure<void(THeaderControl* HeaderControl, THeaderSection* Section, const TRect& Rect, bool Pressed)>
    TDrawSectionEvent;
typedef TClosure<void(TObject* Sender, THeaderSection* FromSection, THeaderSection* ToSection, bool& AllowDrag)>
    TSectionDragEvent;

// The native header's behaviour with the sections kept here: a click on a section fires OnSectionClick,
// dragging a divider resizes (OnSectionTrack while it moves, OnSectionResize at the end), and with
// DragReorder a section dragged sideways takes a new display position (the native order array; the
// collection keeps its order). Before its own left-button handling the control sends itself HDM_HITTEST,
// so a WndProc override learns whether the press is on a divider.
class THeaderControl : public TWinControl {
  XJ_CLASS(THeaderControl, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit THeaderControl(TComponent* AOwner);
  ~THeaderControl() override;

  TCanvas* Canvas() const;
  bool DragReorder() const { return FDragReorder; }
  void SetDragReorder(bool Value);
  bool FullDrag() const { return FFullDrag; }
  void SetFullDrag(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  THeaderSections* Sections() const { return FSections.get(); }
  void SetSections(THeaderSections* Value) { FSections->Assign(Value); }
  THeaderStyle Style() const { return FStyle; }
  void SetStyle(THeaderStyle Value);

  void Dispatch(TMessage& Message) override;

  TDrawSectionEvent OnDrawSection;
  TSectionNotifyEvent OnSectionClick;
  TSectionNotifyEvent OnSectionResize;
  TSectionTrackEvent OnSectionTrack;
  TSectionDragEvent OnSectionDrag;
  TNotifyEvent OnSectionEndDrag;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // An owner-drawn section: OnDrawSection, else the face colour.
  virtual void DrawSection(THeaderSection* Section, const TRect& Rect, bool Pressed);
  virtual void SectionClick(THeaderSection* Section);
  virtual void SectionResize(THeaderSection* Section);
  virtual void SectionTrack(THeaderSection* Section, int Width, TSectionTrackState State);

 private:
  friend class THeaderSections;
  friend class THeaderSection;
  // The native items anew from the sections.
  void UpdateSections();
  void UpdateSection(int Index);
  void CNNotify(TMessage& Message);
  void CNDrawItem(TMessage& Message);

  std::unique_ptr<THeaderSections> FSections;
  std::unique_ptr<TControlCanvas> FCanvas;
  TCustomImageList* FImages { nullptr };
  THeaderStyle FStyle { hsButtons };
  bool FDragReorder { false };
  bool FFullDrag { true };
  bool FHotTrack { false };
};
