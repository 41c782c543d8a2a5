#pragma once
// The skinned notebook: a stack of skinned panels (pages) of which one is shown, chosen by PageIndex, by
// ActivePage (a caption) or, in ButtonsMode, by a column of page buttons: those up to the shown page at
// the top, the later ones at the bottom. Pages lists the captions as strings whose edits create, rename,
// delete and move pages; the shown page stays shown through every edit that keeps it.

#include <vector>

#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"

class TbsSkinNotebook;
class TCustomImageList;

class TbsSkinPage : public TbsSkinPanel {
  XJ_CLASS(TbsSkinPage, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinPage(TComponent* AOwner);

  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value) { FImageIndex = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  // A page read into a notebook joins its page list.
  void ReadState(TReader* Reader) override;

 private:
  int FImageIndex { -1 };
};

// A page's button: shows its page.
class TbsPageButton : public TbsSkinSpeedButton {
  XJ_CLASS(TbsPageButton, TbsSkinSpeedButton)
 public:
  TbsPageButton(TComponent* AOwner, TbsSkinNotebook* Notebook, int APageIndex);

  int PageIndex() const { return FPageIndex; }
  void ButtonClick() override;

 private:
  TbsSkinNotebook* FNotebook;
  int FPageIndex;
};

// The notebook's Pages: one string per page, its caption; the object of a string is its page.
class TbsPageAccess : public TStrings {
  XJ_CLASS(TbsPageAccess, TStrings)
 public:
  explicit TbsPageAccess(TbsSkinNotebook* Notebook) : FNotebook(Notebook) {}

  // A new page, shown; the index it got.
  int Add(const AnsiString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  // Takes the page out at CurIndex and puts it back at NewIndex; the pages between close up.
  void Move(int CurIndex, int NewIndex) override;

 protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
// The Win32 name GetObject is a macro for GetObjectA; the list's own GetObject is meant here.
#pragma push_macro("GetObject")
#undef GetObject
  TObject* GetObject(int Index) const override;
#pragma pop_macro("GetObject")
  void Put(int Index, const AnsiString& S) override;

 private:
  void CheckIndex(int Index) const;

  TbsSkinNotebook* FNotebook;
};

class TbsSkinNotebook : public TbsSkinPanel {
  XJ_CLASS(TbsSkinNotebook, TbsSkinPanel)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinNotebook(TComponent* AOwner);
  ~TbsSkinNotebook() override;

  TStrings* Pages() const { return FAccess.get(); }
  // Replaces every page by one per string of Value.
  void SetPages(TStrings* Value);
  int PageIndex() const { return FPageIndex; }
  // Shows page Value and fires OnPageChanged; an index outside the pages, or the shown one, is ignored.
  void SetPageIndex(int Value);
  // The shown page's caption; empty while no page is shown.
  AnsiString ActivePage() const;
  // Shows the first page with that caption; a caption no page has is ignored.
  void SetActivePage(const AnsiString& Value);
  bool ButtonsMode() const { return FButtonsMode; }
  void SetButtonsMode(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  const AnsiString& ButtonSkinDataName() const { return FButtonSkinDataName; }
  void SetButtonSkinDataName(const AnsiString& Value) { FButtonSkinDataName = Value; }

  int PageCount() const { return static_cast<int>(FPageList.size()); }
  TbsSkinPage* Page(int Index) const { return FPageList[Index]; }
  int PageButtonCount() const { return static_cast<int>(FPageButtons.size()); }
  TbsPageButton* PageButton(int Index) const { return FPageButtons[Index]; }

  TNotifyEvent OnPageChanged;

  // Rebuilds the page buttons, one per page (nothing without pages). Asked for while a page button's
  // click runs, it waits until the click has returned: it would free the button on the stack.
  void UpdateButtons();
  // Caption and glyph of the button of page Index.
  void UpdateButton(int Index, const AnsiString& S);
  void ClearButtons();

  void SetSkinData(TbsSkinData* Value) override;
  void ShowControl(TControl* AControl) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ReadState(TReader* Reader) override;

 private:
  friend class TbsPageAccess;
  friend class TbsSkinPage;
  friend class TbsPageButton;

  // A new page with caption S at Index of the list (not yet shown).
  TbsSkinPage* NewPage(int Index, const AnsiString& S);
  // Shows page Value even when PageIndex already names it (the page there may be another one now).
  void ShowPage(int Value);
  // After an edit of the list: PageIndex follows the page that was shown, or a neighbour is shown when
  // it went. Exactly one page is visible afterwards, none when the list is empty.
  void FollowShownPage(TbsSkinPage* Shown, int OldIndex);
  TbsSkinPage* ShownPage() const;
  void SetGlyph(TbsPageButton* Button, int Index);
  void PageChanged();

  std::unique_ptr<TbsPageAccess> FAccess;
  std::vector<TbsSkinPage*> FPageList;
  std::vector<TbsPageButton*> FPageButtons;
  int FPageIndex { -1 };
  bool FButtonsMode { false };
  TCustomImageList* FImages { nullptr };
  AnsiString FButtonSkinDataName { "toolbutton" };
  int FClickDepth { 0 };
  bool FButtonsPending { false };
  bool FRebuildPosted { false };
};

// Gives every page of Notebook a window without realigning it.
void NotebookHandlesNeeded(TbsSkinNotebook* Notebook);
