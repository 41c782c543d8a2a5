#pragma once
// What the skinned views (tree view, list view, rich edit) share to follow their skin and to drive the
// skinned bars linked to them. Used by their implementations only.

#include <functional>
#include <memory>

#include "skin/controls/bsSkinCtrls_views.h"
#include "skin/data/bsSkinData.h"

namespace bsviews {

bool Loading(const TComponent* C);

// The record index a view's skin object has: -1 without a usable skin or without such a record.
int ViewSkinIndex(TbsSkinData* Data, const AnsiString& Name);

// The record at Index when it is of class R; null otherwise.
template <class R>
R* ViewRecord(TbsSkinData* Data, int Index) {
  if (!Data || Index < 0 || Index >= Data->CtrlList->Count()) return nullptr;
  return dynamic_cast<R*>(static_cast<TbsDataSkinControl*>(Data->CtrlList->Items(Index)));
}

// A view going away lets go of everything it refers to.
void Release(TComponent* View, TbsViewLinks& L);
void Forget(TComponent* Gone, TbsViewLinks& L);
// Stores the skin; whether it is to be applied at once.
bool StoreSkin(TComponent* View, TbsViewLinks& L, TbsSkinData* Value);
// Links Value in Field's place; the bar replaced forgets the view.
void LinkBar(TComponent* View, TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value);
// The same for a view that shows and hides its bars: a new bar starts enabled and hidden, and moving it
// calls OnChange.
void LinkShownBar(TComponent* View, TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, TNotifyEvent OnChange);
// Scrolls a view to a bar's position, the full 32 bits of it.
void ScrollViewTo(TWinControl* View, UINT Msg, int Position);
// Assigning a bar its own alignment again makes its parent lay it out beside the view once more.
void RealignBars(const TbsViewLinks& L);

// Shows or hides Bar with Updating set meanwhile (the view may go on the way); whether its visibility changed.
bool ShowBar(TControl* View, TbsSkinScrollBar* Bar, bool Show, bool& Updating);
// The horizontal bar leaves room for the corner exactly when the vertical bar shows.
void FitCorner(const TbsViewLinks& L);
// An aligned view whose bars came or went shares its parent's space with them again.
void RealignWithParent(TControl* View, bool BarsChanged, bool& Updating);

// After a view's own window procedure: whether Msg moved the view so that its bars must follow (a size
// or paint only while the bars are not being updated already; a key, click or wheel turn always).
bool BarsFollow(UINT Msg, bool Updating);
// A view drawn without border or native bars: the non-client messages are answered here (true), and a
// visibility change shows or hides the bars with the view once Inherited handled it.
bool BarelessDispatch(TControl* View, const TbsViewLinks& L, TMessage& Message,
                      const std::function<void(TMessage&)>& Inherited);

// The default font every view starts with.
std::unique_ptr<TFont> NewDefaultFont();

template <class R>
void ApplySkinFont(TFont* Font, const R& Rec) {
  Font->SetName(Rec.FontName);
  Font->SetStyle(Rec.FontStyle);
  Font->SetHeight(Rec.FontHeight);
}

// A view's look from a record of class R at Index: its font (the default font's with UseSkinFont off)
// in the record's colour, and its background. Without a record the defaults; a record of another class
// changes nothing.
template <class R>
void ApplyViewLook(TControl* View, TFont* Font, TbsSkinData* Data, int Index, bool UseSkinFont, TFont* DefaultFont,
                   TColor DefaultColor) {
  if (Index == -1) {
    View->SetColor(DefaultColor);
    Font->Assign(DefaultFont);
  } else if (auto* rec = ViewRecord<R>(Data, Index)) {
    if (UseSkinFont)
      ApplySkinFont(Font, *rec);
    else
      Font->Assign(DefaultFont);
    Font->SetColor(rec->FontColor);
    View->SetColor(rec->BGColor);
  }
}

// Linked bars show and hide with their view.
void ShowBarsWith(const TbsViewLinks& L, bool Visible);

}  // namespace bsviews
