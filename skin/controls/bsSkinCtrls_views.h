#pragma once
// The skinned tree view and rich edit: stock views that take their font and background from a skin
// record, lose their border and native bars, and show their scrolling on skinned scroll bars the
// application places beside them. The view keeps each linked bar's range, position and visibility in
// step with its own scroll state; moving a bar scrolls the view.

#include <memory>

#include "platform/vcl/ComCtrls_richedit.h"
#include "platform/vcl/ComCtrls_treeview.h"
#include "skin/controls/bsSkinCtrls_base.h"

class TbsSkinScrollBar;

// What a skinned view refers to without owning it; each is dropped when it goes away.
struct TbsViewLinks {
  TbsSkinData* SkinData { nullptr };
  TbsSkinScrollBar* VScrollBar { nullptr };
  TbsSkinScrollBar* HScrollBar { nullptr };
};

// The skinned tree view. Its skin record gives font and background only.
class TbsSkinCustomTreeView : public TCustomTreeView, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinCustomTreeView, TCustomTreeView)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinCustomTreeView(TComponent* AOwner);
  ~TbsSkinCustomTreeView() override;

  TbsSkinData* SkinData() const override { return FLinks.SkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value);
  TbsSkinScrollBar* VScrollBar() const { return FLinks.VScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);
  TbsSkinScrollBar* HScrollBar() const { return FLinks.HScrollBar; }
  void SetHScrollBar(TbsSkinScrollBar* Value);

  // Applies the skin record's font and colour (or the defaults) and re-fits the bars.
  void ChangeSkinData() override;
  // Brings the linked bars in step with the view's scroll state.
  void UpDateScrollBars();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void Change(TTreeNode* Node) override;

 private:
  void OnVScrollBarChange(TObject* Sender);
  void OnHScrollBarChange(TObject* Sender);

  bool FScrollBarsUpdating { false };
  AnsiString FSkinDataName { "treeview" };
  int FSkinObjectIndex { -1 };
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseSkinFont { true };
  TColor FDefaultColor { clWindow };
  TbsViewLinks FLinks;
};

class TbsSkinTreeView : public TbsSkinCustomTreeView {
  XJ_CLASS(TbsSkinTreeView, TbsSkinCustomTreeView)
 public:
  explicit TbsSkinTreeView(TComponent* AOwner) : TbsSkinCustomTreeView(AOwner) {}
};

// The skinned rich edit. It applies the skin's font and colour only with SkinSupport on, and enables
// and disables its linked bars instead of showing and hiding them.
class TbsSkinRichEdit : public TCustomRichEdit, public IbsSkinChangeTarget {
  XJ_CLASS(TbsSkinRichEdit, TCustomRichEdit)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinRichEdit(TComponent* AOwner);
  ~TbsSkinRichEdit() override;

  bool SkinSupport() const { return FSkinSupport; }
  void SetSkinSupport(bool Value) { FSkinSupport = Value; }
  TbsSkinData* SkinData() const override { return FLinks.SkinData; }
  void SetSkinData(TbsSkinData* Value);
  const AnsiString& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const AnsiString& Value) { FSkinDataName = Value; }
  int SkinObjectIndex() const { return FSkinObjectIndex; }
  TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value);
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value);
  TbsSkinScrollBar* VScrollBar() const { return FLinks.VScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);
  TbsSkinScrollBar* HScrollBar() const { return FLinks.HScrollBar; }
  void SetHScrollBar(TbsSkinScrollBar* Value);

  void ChangeSkinData() override;
  void UpDateScrollBars();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void Change() override;

 private:
  void OnVScrollBarChange(TObject* Sender);
  void OnHScrollBarChange(TObject* Sender);
  void OnVScrollBarUpButtonClick(TObject* Sender);
  void OnVScrollBarDownButtonClick(TObject* Sender);
  void FitBar(TbsSkinScrollBar* Bar, int Which, int Page);

  bool FSkinSupport { false };
  AnsiString FSkinDataName { "richedit" };
  int FSkinObjectIndex { -1 };
  std::unique_ptr<TFont> FDefaultFont;
  TColor FDefaultColor { clWindow };
  TbsViewLinks FLinks;
};
