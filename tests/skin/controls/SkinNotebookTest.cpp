// The skinned notebook: page edits through Pages keep the shown page (exactly one page visible, Move
// moves), the page-button column around the shown page, pages edited from OnPageChanged while a page
// button's click runs, streaming of the pages with their controls, and its looks.

#include "platform/vcl/ImgList.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class NotebookTest : public SkinControlsTest {
 protected:
  TbsSkinNotebook* NewNotebook(std::vector<AnsiString> pages = { "A", "B", "C" }) {
    auto* nb = new TbsSkinNotebook(form);
    nb->SetParent(form);
    nb->SetBounds(10, 10, 230, 200);
    nb->OnPageChanged = On<TNotifyEvent>([this](TObject*) { ++changes; });
    nb->Pages()->Clear();
    for (const AnsiString& p : pages) nb->Pages()->Add(p);
    changes = 0;
    return nb;
  }
  // The captions of the pages in order, and which of them are visible.
  static std::vector<AnsiString> Captions(TbsSkinNotebook* nb) {
    std::vector<AnsiString> out;
    for (int i = 0; i < nb->Pages()->Count(); ++i) out.push_back(nb->Pages()->Strings(i));
    return out;
  }
  static std::vector<AnsiString> VisiblePages(TbsSkinNotebook* nb) {
    std::vector<AnsiString> out;
    for (int i = 0; i < nb->PageCount(); ++i)
      if (nb->Page(i)->Visible()) out.push_back(nb->Page(i)->Caption());
    return out;
  }
  // The page indexes of the page buttons from top to bottom, -1 for the shown page.
  static std::vector<int> Column(TbsSkinNotebook* nb) {
    std::vector<std::pair<int, int>> at;
    if (nb->PageIndex() >= 0) at.emplace_back(nb->Page(nb->PageIndex())->Top(), -1);
    for (int i = 0; i < nb->PageButtonCount(); ++i)
      at.emplace_back(nb->PageButton(i)->Top(), nb->PageButton(i)->PageIndex());
    std::sort(at.begin(), at.end());
    std::vector<int> order;
    for (auto& [top, index] : at) order.push_back(index);
    return order;
  }
  static TbsPageButton* ButtonOf(TbsSkinNotebook* nb, int page) {
    for (int i = 0; i < nb->PageButtonCount(); ++i)
      if (nb->PageButton(i)->PageIndex() == page) return nb->PageButton(i);
    return nullptr;
  }
  void Click(TControl* c) {
    xt::Advance(1000);  // never a double click
    ClickAt(c, c->Width() / 2, c->Height() / 2);
    xt::PumpUntilIdle();
  }
  int changes = 0;
};

// A form class of its own, so that reading one back makes the same class.
class TNotebookForm : public TForm {
  XJ_CLASS(TNotebookForm, TForm)
 public:
  explicit TNotebookForm(TComponent* AOwner) : TForm(AOwner) {}
};

using Strings = std::vector<AnsiString>;

}  // namespace

TEST_F(NotebookTest, PageEditsKeepTheShownPageAndMoveMoves) {
  auto* fresh = new TbsSkinNotebook(form);
  fresh->SetParent(form);
  EXPECT_EQ(Captions(fresh), Strings { "Default" });
  EXPECT_EQ(fresh->PageIndex(), 0);
  EXPECT_EQ(VisiblePages(fresh), Strings { "Default" });

  auto* nb = NewNotebook({ "A", "B" });
  // Add and Insert show the new page and report it.
  EXPECT_EQ(nb->Pages()->Add("C"), 2);
  EXPECT_EQ(nb->ActivePage(), "C");
  EXPECT_EQ(changes, 1);
  nb->Pages()->Insert(1, "X");
  EXPECT_EQ(Captions(nb), (Strings { "A", "X", "B", "C" }));
  EXPECT_EQ(nb->PageIndex(), 1);
  EXPECT_EQ(VisiblePages(nb), Strings { "X" });
  EXPECT_EQ(changes, 2);
  // Inserting before the shown page: the new one shows, the old one hides.
  nb->SetActivePage("B");
  nb->Pages()->Insert(0, "Y");
  EXPECT_EQ(nb->ActivePage(), "Y");
  EXPECT_EQ(VisiblePages(nb), Strings { "Y" });
  nb->SetActivePage("B");
  changes = 0;
  // Deleting a page before the shown one: the same page stays shown, its index follows.
  nb->Pages()->Delete(0);
  EXPECT_EQ(nb->PageIndex(), 2);
  EXPECT_EQ(VisiblePages(nb), Strings { "B" });
  EXPECT_EQ(changes, 0);
  // Deleting the shown page shows its successor; the last one, its predecessor.
  nb->Pages()->Delete(2);
  EXPECT_EQ(nb->ActivePage(), "C");
  EXPECT_EQ(VisiblePages(nb), Strings { "C" });
  EXPECT_EQ(changes, 1);
  nb->Pages()->Delete(2);
  EXPECT_EQ(nb->ActivePage(), "X");
  EXPECT_EQ(VisiblePages(nb), Strings { "X" });
  // Deleting shown page 0 shows the new page 0.
  nb->SetPageIndex(0);
  nb->Pages()->Delete(0);
  EXPECT_EQ(Captions(nb), Strings { "X" });
  EXPECT_EQ(VisiblePages(nb), Strings { "X" });
  EXPECT_EQ(nb->PageIndex(), 0);

  // Move takes a page out and puts it back: A, B, C with 0 to 2 gives B, C, A; the shown page follows.
  nb->Pages()->Clear();
  for (const char* s : { "A", "B", "C" }) nb->Pages()->Add(s);
  nb->SetPageIndex(0);
  nb->Pages()->Move(0, 2);
  EXPECT_EQ(Captions(nb), (Strings { "B", "C", "A" }));
  EXPECT_EQ(nb->PageIndex(), 2);
  EXPECT_EQ(VisiblePages(nb), Strings { "A" });
  nb->Pages()->Move(2, 1);
  EXPECT_EQ(Captions(nb), (Strings { "B", "A", "C" }));
  EXPECT_EQ(nb->ActivePage(), "A");
  EXPECT_EQ(nb->Pages()->Objects(1), nb->Page(1));

  // Renaming, unknown captions and indexes outside the pages.
  nb->Pages()->SetStrings(0, "Bee");
  EXPECT_EQ(nb->Page(0)->Caption(), "Bee");
  changes = 0;
  nb->SetActivePage("nothing");
  nb->SetPageIndex(3);
  nb->SetPageIndex(-1);
  nb->SetPageIndex(1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(nb->ActivePage(), "A");
  EXPECT_THROW(nb->Pages()->Strings(3), EStringListError);
  EXPECT_THROW(nb->Pages()->Delete(-1), EStringListError);
  EXPECT_THROW(nb->Pages()->Move(0, 3), EStringListError);
  EXPECT_THROW(nb->Pages()->Insert(4, "far"), EStringListError);
  EXPECT_EQ(nb->PageCount(), 3);

  // Clearing leaves nothing shown and an empty ActivePage, reported once.
  nb->Pages()->Clear();
  EXPECT_EQ(nb->PageIndex(), -1);
  EXPECT_EQ(nb->ActivePage(), "");
  EXPECT_EQ(changes, 1);
  nb->Pages()->Add("again");
  EXPECT_EQ(nb->ActivePage(), "again");

  // A page freed directly leaves the list as a deletion does.
  nb->Pages()->Add("next");
  delete nb->Page(1);
  EXPECT_EQ(Captions(nb), Strings { "again" });
  EXPECT_EQ(VisiblePages(nb), Strings { "again" });
}

TEST_F(NotebookTest, PageButtonsStandAroundTheShownPage) {
  auto* nb = NewNotebook();
  auto images = std::make_unique<TImageList>(nullptr);
  images->SetWidth(8);
  images->SetHeight(8);
  TBitmap red;
  red.SetSize(8, 8);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect(0, 0, 8, 8));
  images->Add(&red, nullptr);
  // Images while ButtonsMode is off builds nothing.
  nb->SetImages(images.get());
  EXPECT_EQ(nb->PageButtonCount(), 0);
  nb->Page(2)->SetImageIndex(0);
  nb->Page(1)->SetImageIndex(5);  // more than the list has: no glyph
  nb->SetPageIndex(1);
  nb->SetButtonsMode(true);
  ShowUnfocused();
  changes = 0;
  ASSERT_EQ(nb->PageButtonCount(), 3);
  EXPECT_EQ(Column(nb), (std::vector<int> { 0, 1, -1, 2 }));
  EXPECT_EQ(ButtonOf(nb, 0)->Height(), 25);
  EXPECT_EQ(ButtonOf(nb, 2)->Caption(), "C");
  EXPECT_FALSE(ButtonOf(nb, 2)->Glyph()->Empty());
  EXPECT_TRUE(ButtonOf(nb, 1)->Glyph()->Empty());
  // A click on a page button shows its page; the column follows.
  Click(ButtonOf(nb, 2));
  EXPECT_EQ(nb->PageIndex(), 2);
  EXPECT_EQ(Column(nb), (std::vector<int> { 0, 1, 2, -1 }));
  Click(ButtonOf(nb, 0));
  EXPECT_EQ(Column(nb), (std::vector<int> { 0, -1, 1, 2 }));
  EXPECT_EQ(changes, 2);
  // Renaming a page renames its button; an image list freed leaves the buttons without glyphs.
  nb->Pages()->SetStrings(1, "Bee");
  EXPECT_EQ(ButtonOf(nb, 1)->Caption(), "Bee");
  images.reset();
  EXPECT_EQ(nb->Images(), nullptr);
  EXPECT_TRUE(ButtonOf(nb, 2)->Glyph()->Empty());
  // UpdateButtons without pages leaves the buttons; ButtonsMode off frees them.
  nb->Pages()->Clear();
  EXPECT_EQ(nb->PageButtonCount(), 3);
  nb->SetButtonsMode(false);
  EXPECT_EQ(nb->PageButtonCount(), 0);
  // A press on an empty part of a page reaches the notebook beneath.
  nb->Pages()->Add("Z");
  int downs = 0;
  nb->OnMouseDown = On<TMouseEvent>([&downs](TObject*, TMouseButton, TShiftState, int, int) { ++downs; });
  Click(nb->Page(0));
  EXPECT_EQ(downs, 1);
}

TEST_F(NotebookTest, PagesEditedFromOnPageChangedDuringAButtonsClick) {
  auto* nb = NewNotebook({ "A", "B", "C", "D" });
  nb->SetButtonsMode(true);
  ShowUnfocused();
  // The handler deletes the page before the chosen one and adds one: the button whose click is running
  // would be freed by the rebuild, which waits until the click has returned.
  int calls = 0;
  nb->OnPageChanged = On<TNotifyEvent>([&](TObject*) {
    if (++calls > 1) return;
    nb->Pages()->Delete(0);
    nb->Pages()->Add("E");
  });
  TbsPageButton* c = ButtonOf(nb, 2);
  Click(c);
  EXPECT_EQ(Captions(nb), (Strings { "B", "C", "D", "E" }));
  EXPECT_EQ(nb->ActivePage(), "E");
  ASSERT_EQ(nb->PageButtonCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(nb->PageButton(i)->Caption(), nb->Pages()->Strings(i));
  EXPECT_EQ(Column(nb), (std::vector<int> { 0, 1, 2, 3, -1 }));
  // Clearing every page from the handler, and freeing the notebook from it.
  nb->OnPageChanged = On<TNotifyEvent>([&](TObject*) { nb->Pages()->Clear(); });
  Click(ButtonOf(nb, 0));
  EXPECT_EQ(nb->PageCount(), 0);
  nb->OnPageChanged = {};
  nb->Pages()->Add("F");
  nb->Pages()->Add("G");
  nb->OnPageChanged = On<TNotifyEvent>([&](TObject*) { delete nb; });
  const auto life = nb->LifeToken();
  Click(ButtonOf(nb, 0));
  EXPECT_TRUE(life.expired());
}

TEST_F(NotebookTest, PagesAndTheirControlsSurviveAFormRoundTrip) {
  auto* a = new TNotebookForm(nullptr);
  Keep(a);
  auto* nb = new TbsSkinNotebook(a);
  nb->SetName("Book");
  nb->SetParent(a);
  nb->Pages()->Clear();
  for (const char* s : { "第一", "Second", "Third" }) nb->Pages()->Add(s);
  nb->Page(2)->SetImageIndex(4);
  auto* panel = new TbsSkinPanel(a);
  panel->SetName("OnPage1");
  panel->SetParent(nb->Page(1));
  panel->SetBounds(7, 9, 50, 30);
  nb->SetPageIndex(1);
  nb->SetButtonsMode(true);
  nb->SetButtonSkinDataName("bigtoolbutton");
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TNotebookForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinNotebook*>(b->FindComponent("Book"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(Captions(back), (Strings { "第一", "Second", "Third" }));
  EXPECT_EQ(back->PageIndex(), 1);
  EXPECT_EQ(VisiblePages(back), Strings { "Second" });
  EXPECT_EQ(back->Page(2)->ImageIndex(), 4);
  EXPECT_EQ(back->Page(0)->ImageIndex(), -1);
  auto* child = dynamic_cast<TbsSkinPanel*>(b->FindComponent("OnPage1"));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Parent(), back->Page(1));
  EXPECT_EQ(child->Left(), 7);
  EXPECT_TRUE(back->ButtonsMode());
  EXPECT_EQ(back->PageButtonCount(), 3);
  EXPECT_EQ(back->PageButton(0)->SkinDataName(), "bigtoolbutton");
  EXPECT_EQ(WriteComponentResource(b), text);
  // Every page gets a window; the hidden ones stay hidden.
  NotebookHandlesNeeded(back);
  for (int i = 0; i < back->PageCount(); ++i) EXPECT_TRUE(back->Page(i)->HandleAllocated()) << i;
  EXPECT_EQ(VisiblePages(back), Strings { "Second" });
  NotebookHandlesNeeded(nullptr);

  // The defaults: a stream that leaves PageIndex out shows the first page; one naming no page, none.
  nb->SetButtonsMode(false);
  nb->SetButtonSkinDataName("toolbutton");
  nb->SetPageIndex(0);
  const AnsiString first = WriteComponentResource(a);
  EXPECT_EQ(first.find("PageIndex"), AnsiString::npos);
  // Neither the notebook's frame nor the pages' lack of one is written: both are the defaults.
  EXPECT_EQ(first.find("BorderStyle = bvFrame"), AnsiString::npos);
  EXPECT_EQ(first.find("BorderStyle = bvNone"), AnsiString::npos);
  EXPECT_EQ(first.find("Align = alClient"), AnsiString::npos);
  auto* c = new TNotebookForm(nullptr);
  Keep(c);
  ReadComponentResource(c, first);
  back = dynamic_cast<TbsSkinNotebook*>(c->FindComponent("Book"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->PageIndex(), 0);
  EXPECT_EQ(VisiblePages(back), Strings { "第一" });
  AnsiString nowhere = text;
  nowhere.replace(nowhere.find("PageIndex = 1"), 13, "PageIndex = 9");
  auto* d = new TNotebookForm(nullptr);
  Keep(d);
  ReadComponentResource(d, nowhere);
  back = dynamic_cast<TbsSkinNotebook*>(d->FindComponent("Book"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->PageIndex(), -1);
  EXPECT_TRUE(VisiblePages(back).empty());
  EXPECT_EQ(back->ActivePage(), "");
}

TEST_F(NotebookTest, LooksWithTheSkinsAndWithout) {
  auto* nb = NewNotebook();
  nb->SetPageIndex(1);
  nb->SetButtonsMode(true);
  ShowUnfocused();
  TbsSkinPage* page = nb->Page(1);
  const int midX = page->Width() / 2, midY = page->Height() / 2;
  // Without a skin: the frame, the button face colour on the page, the default button look.
  EXPECT_EQ(Px(nb, 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(page, midX, midY), ColorToRGB(clBtnFace));
  EXPECT_EQ(Px(ButtonOf(nb, 2), 0, 5), ColorToRGB(clBtnShadow));
  Gallery(nb, "bsSkinCtrls", "default-normal");
  LoadTestSkin();
  nb->SetSkinData(skin);
  xt::PumpUntilIdle();
  // The shown page takes the notebook's skin; so do the buttons.
  EXPECT_EQ(page->SkinData(), skin);
  EXPECT_EQ(Code(page, midX, midY).owner, OwnerOf("panel"));
  EXPECT_EQ(Code(ButtonOf(nb, 2), 1, 1).owner, OwnerOf("toolbutton"));
  Gallery(nb, "bsSkinCtrls", "test-normal");
  // Another page shown takes it too.
  Click(ButtonOf(nb, 2));
  EXPECT_EQ(nb->Page(2)->SkinData(), skin);
  EXPECT_EQ(Code(nb->Page(2), midX, midY).owner, OwnerOf("panel"));
  EXPECT_EQ(Code(ButtonOf(nb, 1), 1, 1).owner, OwnerOf("toolbutton"));
  // The skin switched through the form's walk reaches the pages and buttons.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(nb->Page(2), nb->Page(2)->Width() / 2, nb->Page(2)->Height() / 2).owner, OwnerOf("panel"));
  EXPECT_EQ(Code(ButtonOf(nb, 0), 1, 1).owner, OwnerOf("toolbutton"));
  Gallery(nb, "bsSkinCtrls", "second-normal");
}
