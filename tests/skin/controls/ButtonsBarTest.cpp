// The buttons bar: the order of its section buttons around the open section's items, scrolling long
// sections with its arrows, sections and items edited from their own click handlers (the rebuild waits
// for the click to return), bad values, streaming and its looks.

#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class ButtonsBarTest : public SkinControlsTest {
 protected:
  // A bar of Sections sections with Items[i] items each, its item panel PanelHeight high.
  TbsSkinButtonsBar* NewBar(std::vector<int> items, int PanelHeight = 150) {
    auto* bar = new TbsSkinButtonsBar(form);
    bar->SetParent(form);
    for (size_t s = 0; s < items.size(); ++s) {
      TbsButtonBarSection* section = bar->Sections()->Add();
      section->SetText("Section " + std::to_string(s));
      for (int i = 0; i < items[s]; ++i) section->Items()->Add()->SetText("Item " + std::to_string(i));
    }
    ShowUnfocused();
    form->SetClientHeight(form->ClientHeight() + PanelHeight - bar->ItemPanel()->Height());
    xt::PumpUntilIdle();
    return bar;
  }
  // The section indexes of the section buttons from top to bottom, with -1 for the item panel.
  static std::vector<int> Column(TbsSkinButtonsBar* bar) {
    std::vector<std::pair<int, int>> at { { bar->ItemPanel()->Top(), -1 } };
    for (int i = 0; i < bar->SectionButtonCount(); ++i)
      at.emplace_back(bar->SectionButton(i)->Top(), bar->SectionButton(i)->SectionIndex());
    std::sort(at.begin(), at.end());
    std::vector<int> order;
    for (auto& [top, index] : at) order.push_back(index);
    return order;
  }
  // The item indexes of the item buttons shown, top to bottom.
  static std::vector<int> Shown(TbsSkinButtonsBar* bar) {
    std::vector<std::pair<int, int>> at;
    for (int i = 0; i < bar->ItemButtonCount(); ++i)
      if (bar->ItemButton(i)->Visible() && bar->ItemButton(i)->Parent())
        at.emplace_back(bar->ItemButton(i)->Top(), bar->ItemButton(i)->ItemIndex());
    std::sort(at.begin(), at.end());
    std::vector<int> order;
    for (auto& [top, index] : at) order.push_back(index);
    return order;
  }
  static TbsSectionButton* ButtonOf(TbsSkinButtonsBar* bar, int section) {
    for (int i = 0; i < bar->SectionButtonCount(); ++i)
      if (bar->SectionButton(i)->SectionIndex() == section) return bar->SectionButton(i);
    return nullptr;
  }
  void Click(TControl* c) {
    xt::Advance(1000);  // never a double click
    ClickAt(c, c->Width() / 2, c->Height() / 2);
    xt::PumpUntilIdle();
  }
};

}  // namespace

TEST_F(ButtonsBarTest, TheOpenSectionsItemsStandBetweenTheButtonsUpToItAndTheRest) {
  auto* bar = NewBar({ 1, 2, 1 });
  std::vector<int> opened;
  for (int s = 0; s < 3; ++s)
    bar->Sections()->Items(s)->OnClick = On<TNotifyEvent>([&opened, s](TObject*) { opened.push_back(s); });
  EXPECT_EQ(Column(bar), (std::vector<int> { 0, -1, 1, 2 }));
  EXPECT_EQ(bar->ItemButtonCount(), 1);
  Click(ButtonOf(bar, 1));
  EXPECT_EQ(bar->SectionIndex(), 1);
  EXPECT_EQ(Column(bar), (std::vector<int> { 0, 1, -1, 2 }));
  EXPECT_EQ(Shown(bar), (std::vector<int> { 0, 1 }));
  EXPECT_EQ(opened, std::vector<int> { 1 });
  bar->SetSectionIndex(2);
  EXPECT_EQ(Column(bar), (std::vector<int> { 0, 1, 2, -1 }));
  // The open one again, or out of range: nothing, and no OnClick.
  bar->SetSectionIndex(2);
  bar->SetSectionIndex(-1);
  bar->SetSectionIndex(3);
  EXPECT_EQ(opened, (std::vector<int> { 1, 2 }));
  EXPECT_EQ(bar->SectionIndex(), 2);
  // A section's text changes only its button; its items rebuild the open section.
  TbsSectionItem* item = bar->ItemButton(0);
  bar->Sections()->Items(2)->SetText("Renamed");
  EXPECT_EQ(bar->ItemButton(0), item);
  EXPECT_EQ(ButtonOf(bar, 2)->Caption(), "Renamed");
  bar->Sections()->Items(2)->Items()->Add()->SetText("New");
  EXPECT_EQ(bar->ItemButtonCount(), 2);
  // Without section buttons only the items show.
  bar->SetShowButtons(false);
  EXPECT_EQ(bar->SectionButtonCount(), 0);
  EXPECT_EQ(bar->ItemButtonCount(), 2);
}

TEST_F(ButtonsBarTest, TheArrowsScrollALongSectionAndGoAtItsEnds) {
  auto* bar = NewBar({ 5 });
  int clicked = -1;
  for (int i = 0; i < 5; ++i)
    bar->Sections()->Items(0)->Items()->Items(i)->OnClick = On<TNotifyEvent>([&clicked, i](TObject*) { clicked = i; });
  ASSERT_EQ(bar->ItemPanel()->Height(), 150);
  EXPECT_EQ(bar->VisibleCount(), 2);
  EXPECT_EQ(Shown(bar), (std::vector<int> { 0, 1 }));
  EXPECT_EQ(bar->UpButton(), nullptr);
  ASSERT_NE(bar->DownButton(), nullptr);
  EXPECT_EQ(bar->DownButton()->Top(), 150 - 18 - 5);
  Gallery(bar, "bsSkinCtrls", "none-normal");
  Click(bar->DownButton());
  EXPECT_EQ(bar->TopIndex(), 1);
  EXPECT_EQ(Shown(bar), (std::vector<int> { 1, 2 }));
  ASSERT_NE(bar->UpButton(), nullptr);
  Click(bar->ItemButton(2));
  EXPECT_EQ(clicked, 2);
  // Holding the arrow repeats every 150 ms until the end, where it goes away.
  const TPoint p = At(bar->DownButton(), 9, 9);
  xt::Advance(1000);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(300);
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->TopIndex(), 3);
  EXPECT_EQ(bar->DownButton(), nullptr);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Shown(bar), (std::vector<int> { 3, 4 }));
  // Grown at the end: the window slides up, no empty row below the last item.
  form->SetClientHeight(form->ClientHeight() + 60);
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->VisibleCount(), 3);
  EXPECT_EQ(bar->TopIndex(), 2);
  EXPECT_EQ(Shown(bar), (std::vector<int> { 2, 3, 4 }));
  Click(bar->UpButton());
  EXPECT_EQ(Shown(bar), (std::vector<int> { 1, 2, 3 }));
  // A height below 1 is refused.
  bar->SetItemHeight(0);
  bar->SetItemHeight(-5);
  EXPECT_EQ(bar->ItemHeight(), 60);
}

TEST_F(ButtonsBarTest, SectionsAndItemsEditedFromTheirOwnClicksRebuildAfterTheClick) {
  auto* bar = NewBar({ 2, 1, 1 });
  TbsButtonBarSections* sections = bar->Sections();
  // An item that empties its own section.
  sections->Items(0)->Items()->Items(0)->OnClick =
      On<TNotifyEvent>([&](TObject*) { sections->Items(0)->Items()->Clear(); });
  Click(bar->ItemButton(0));
  EXPECT_EQ(bar->ItemButtonCount(), 0);
  // A section that deletes every section from its click, including itself.
  sections->Items(2)->OnClick = On<TNotifyEvent>([&](TObject*) { sections->Clear(); });
  TbsSectionButton* third = ButtonOf(bar, 2);
  ASSERT_NE(third, nullptr);
  Click(third);
  EXPECT_EQ(sections->Count(), 0);
  EXPECT_EQ(bar->SectionButtonCount(), 0);
  EXPECT_EQ(bar->ItemButtonCount(), 0);
  EXPECT_EQ(bar->SectionIndex(), 0);
  // A thousand sections, added by a section's own click; then one deletes all but itself.
  sections->Add()->Items()->Add()->SetText("only");
  sections->Items(0)->OnClick = On<TNotifyEvent>([&](TObject*) {});
  sections->Items(0)->Items()->Items(0)->OnClick = On<TNotifyEvent>([&](TObject*) {
    sections->BeginUpdate();
    for (int i = 0; i < 999; ++i) sections->Add()->SetText("S" + std::to_string(i));
    sections->EndUpdate();
  });
  Click(bar->ItemButton(0));
  EXPECT_EQ(sections->Count(), 1000);
  EXPECT_EQ(bar->SectionButtonCount(), 1000);
  sections->Items(999)->OnClick = On<TNotifyEvent>([&](TObject*) {
    while (sections->Count() > 1) sections->Delete(0);
  });
  bar->SetSectionIndex(999);  // opened from code: the section's click deletes 999 sections
  xt::PumpUntilIdle();
  EXPECT_EQ(sections->Count(), 1);
  EXPECT_EQ(bar->SectionIndex(), 0);
  EXPECT_EQ(bar->SectionButtonCount(), 1);
}

namespace {

class TBarForm : public TForm {
  XJ_CLASS(TBarForm, TForm)
 public:
  explicit TBarForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ButtonsBarTest, SectionsAndItemsSurviveAFormRoundTrip) {
  auto* a = new TBarForm(nullptr);
  Keep(a);
  auto* bar = new TbsSkinButtonsBar(a);
  bar->SetName("Bar1");
  bar->SetParent(a);
  bar->SetItemHeight(44);
  bar->SetDefaultButtonHeight(21);
  for (int s = 0; s < 2; ++s) {
    TbsButtonBarSection* section = bar->Sections()->Add();
    section->SetText("节 " + std::to_string(s));
    section->SetImageIndex(s + 3);
    for (int i = 0; i <= s; ++i) section->Items()->Add()->SetText("项 " + std::to_string(i));
  }
  const AnsiString text = WriteComponentResource(a);
  auto* c = new TBarForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinButtonsBar*>(c->FindComponent("Bar1"));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Sections()->Count(), 2);
  EXPECT_EQ(back->Sections()->Items(1)->Text(), "节 1");
  EXPECT_EQ(back->Sections()->Items(1)->ImageIndex(), 4);
  ASSERT_EQ(back->Sections()->Items(1)->Items()->Count(), 2);
  EXPECT_EQ(back->Sections()->Items(1)->Items()->Items(1)->Text(), "项 1");
  EXPECT_EQ(back->ItemHeight(), 44);
  EXPECT_EQ(back->DefaultButtonHeight(), 21);
  EXPECT_EQ(back->Align(), alLeft);
  EXPECT_EQ(back->Width(), 150);
  EXPECT_EQ(WriteComponentResource(c), text);
}

TEST_F(ButtonsBarTest, TheBarAndItsButtonsTakeTheSkinAndFallBackWithout) {
  auto* bar = NewBar({ 3, 1 });
  LoadTestSkin();
  bar->SetSkinData(skin);
  bar->UpdateSections();
  bar->UpdateItems();
  xt::PumpUntilIdle();
  ASSERT_GT(bar->SectionButtonCount(), 0);
  TbsSectionButton* b = bar->SectionButton(0);
  EXPECT_EQ(Code(b, 2, 2).owner, OwnerOf("toolbutton"));
  EXPECT_EQ(Code(bar, 1, bar->Height() / 2).owner, OwnerOf("panel"));
  Gallery(bar, "bsSkinCtrls", "test-normal");
  LoadSecondSkin();
  bar->UpdateSections();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(bar->SectionButton(0), 2, 2).owner, OwnerOf("toolbutton"));
  Gallery(bar, "bsSkinCtrls", "second-normal");
}
