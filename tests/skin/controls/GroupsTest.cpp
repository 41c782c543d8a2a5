// The skinned radio and check groups: the item grid, ItemIndex and CheckedStatus with the clicks they
// fire, item changes, absurd sizes and counts, skins and images handed to the items, and streaming
// without the generated buttons.

#include "platform/vcl/ImgList.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class GroupsTest : public SkinControlsTest {
 protected:
  template <class G>
  G* NewGroup(int l, int t, int w, int h, const AnsiString& items) {
    auto* g = new G(form);
    g->SetParent(form);
    g->SetBounds(l, t, w, h);
    g->SetCaption("Group");
    g->Items()->SetText(items);
    return g;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
};

class TGroupForm : public TForm {
  XJ_CLASS(TGroupForm, TForm)
 public:
  explicit TGroupForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(GroupsTest, ItemsFillColumnsTopToBottomInsideTheClientArea) {
  auto* g = NewGroup<TbsSkinRadioGroup>(5, 5, 201, 107, "a\r\nb\r\nc\r\nd\r\ne");
  g->SetColumns(2);
  Show();
  ASSERT_EQ(g->ButtonCount(), 5);
  // Client (1, 23)-(200, 106): 199 x 83; buttons 199 / 2 - 2 = 97 wide, 83 / 3 = 27 high.
  const TRect expected[] = { TRect(2, 23, 99, 50), TRect(2, 50, 99, 77), TRect(2, 77, 99, 104), TRect(99, 23, 196, 50),
                             TRect(99, 50, 196, 77) };
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(g->Buttons(i)->BoundsRect(), expected[i]) << i;
    EXPECT_TRUE(g->Buttons(i)->Visible());
    EXPECT_EQ(g->Buttons(i)->Caption(), AnsiString(1, char('a' + i)));
    EXPECT_TRUE(g->Buttons(i)->Radio() && g->Buttons(i)->Flat() && g->Buttons(i)->CanFocused());
  }
  Gallery(g, "bsSkinCtrls", "default-two-columns");
  // Columns are clamped to 1..16; a resize re-arranges.
  for (auto [asked, kept] : { std::pair { 0, 1 }, { -3, 1 }, { 17, 16 }, { 1000, 16 }, { 3, 3 } }) {
    g->SetColumns(asked);
    EXPECT_EQ(g->Columns(), kept) << asked;
  }
  g->SetBounds(5, 5, 301, 107);
  // Three columns of two rows: 299 / 3 - 2 = 97 wide, 83 / 2 = 41 high.
  EXPECT_EQ(g->Buttons(4)->BoundsRect(), TRect(2 * 97 + 2, 23, 3 * 97 + 2, 64));
  // A group too small for its items gives them no room, never a negative size.
  g->SetBounds(5, 5, 8, 24);
  for (int i = 0; i < 5; ++i) {
    EXPECT_GE(g->Buttons(i)->Width(), 0);
    EXPECT_GE(g->Buttons(i)->Height(), 0);
  }
}

TEST_F(GroupsTest, RadioItemIndexIsClampedAndClicksFireOnlyWhenAnItemBecomesChecked) {
  auto* g = NewGroup<TbsSkinRadioGroup>(5, 5, 200, 120, "one\r\ntwo\r\nthree");
  std::vector<int> clicks;
  g->OnClick = On<TNotifyEvent>([&](TObject*) { clicks.push_back(g->ItemIndex()); });
  g->SetItemIndex(99);
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_TRUE(g->Buttons(2)->Checked());
  g->SetItemIndex(-5);
  EXPECT_EQ(g->ItemIndex(), -1);
  EXPECT_FALSE(g->Buttons(2)->Checked());
  EXPECT_EQ(clicks, std::vector<int> { 2 });
  Show();
  ClickAt(g->Buttons(1), 10, 5);
  EXPECT_EQ(g->ItemIndex(), 1);
  ClickAt(g->Buttons(1), 10, 5);  // the checked item: nothing
  ClickAt(g->Buttons(0), 10, 5);
  EXPECT_EQ(clicks, (std::vector<int> { 2, 1, 0 }));
  EXPECT_FALSE(g->Buttons(1)->Checked());
  Gallery(g, "bsSkinCtrls", "default-radio-checked");

  // Deleting the checked last item moves the choice to the new last one, checked, with no click.
  g->SetItemIndex(2);
  clicks.clear();
  g->Items()->Delete(2);
  EXPECT_EQ(g->ButtonCount(), 2);
  EXPECT_EQ(g->ItemIndex(), 1);
  EXPECT_TRUE(g->Buttons(1)->Checked());
  EXPECT_FALSE(g->Buttons(0)->Checked());
  EXPECT_TRUE(clicks.empty());
  g->Items()->Clear();
  EXPECT_EQ(g->ItemIndex(), -1);
  EXPECT_EQ(g->ButtonCount(), 0);
}

TEST_F(GroupsTest, CheckGroupFiresForEveryChangeAndRemembersTheItemTouchedLast) {
  auto* g = NewGroup<TbsSkinCheckGroup>(5, 5, 200, 120, "x\r\ny\r\nz");
  int clicks = 0;
  g->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  EXPECT_EQ(g->ButtonSkinDataName(), "checkbox");
  EXPECT_FALSE(g->Buttons(0)->Radio());
  g->SetCheckedStatus(2, true);
  g->SetCheckedStatus(2, true);
  g->SetCheckedStatus(0, false);
  g->SetCheckedStatus(3, true);  // out of range: nothing
  g->SetCheckedStatus(-1, true);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(g->ItemIndex(), 0);
  EXPECT_TRUE(g->CheckedStatus(2));
  EXPECT_FALSE(g->CheckedStatus(3) || g->CheckedStatus(-1) || g->CheckedStatus(0));
  Show();
  ClickAt(g->Buttons(1), 10, 5);
  ClickAt(g->Buttons(2), 10, 5);
  EXPECT_EQ(clicks, 5);
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_TRUE(g->CheckedStatus(1));
  EXPECT_FALSE(g->CheckedStatus(2));
  // Adding an item keeps the states at their positions.
  g->Items()->Add("w");
  EXPECT_TRUE(g->CheckedStatus(1));
  EXPECT_FALSE(g->CheckedStatus(3));
  Gallery(g, "bsSkinCtrls", "default-check");
  // Disabling the group disables its items.
  g->SetEnabled(false);
  for (int i = 0; i < g->ButtonCount(); ++i) EXPECT_FALSE(g->Buttons(i)->Enabled());
}

TEST_F(GroupsTest, SkinFontAndImagesReachEveryItem) {
  LoadTestSkin();
  auto* g = NewGroup<TbsSkinRadioGroup>(5, 5, 190, 100, "left\r\nright");
  TImageList images(form);
  images.SetSize(12, 10);
  for (COLORREF c : { RGB(255, 0, 0), RGB(0, 0, 255) }) {
    TBitmap b;
    b.SetSize(12, 10);
    b.Canvas()->Brush()->SetColor(static_cast<int32_t>(c));
    b.Canvas()->FillRect(TRect(0, 0, 12, 10));
    images.Add(&b, nullptr);
  }
  g->SetImages(&images);
  g->ButtonDefaultFont()->SetStyle({ fsBold });
  g->SetButtonDefaultFont(g->ButtonDefaultFont());
  Show();
  // Unskinned, item i shows image i after its box (22 + caption offset).
  for (int i = 0; i < 2; ++i) {
    TbsGroupButton* b = g->Buttons(i);
    EXPECT_EQ(b->ImageIndex(), i);
    EXPECT_TRUE(b->DefaultFont()->Style().Contains(fsBold));
    const COLORREF want = i == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255);
    EXPECT_EQ(Px(b, 24, b->Height() / 2), want) << i;
  }
  Gallery(g, "bsSkinCtrls", "default-images");

  g->SetSkinData(skin);
  xt::PumpUntilIdle();

  // The group's face and client area from the group box record, the items inside it, drawn flat with
  // the radio record's check image and no list image.
  EXPECT_EQ(Code(g, 1, 1).owner, OwnerOf("groupbox"));
  TbsGroupButton* first = g->Buttons(0);
  EXPECT_EQ(first->SkinData(), skin);
  EXPECT_EQ(first->SkinDataName(), "radiobox");
  EXPECT_EQ(first->Top(), 24);
  EXPECT_EQ(first->Left(), 5);
  EXPECT_EQ(first->Height(), (100 - 4 - 24) / 2);
  const int y = first->Height() / 2 - 13 / 2;

  EXPECT_EQ(Code(first, 4, y + 1).code, RectCode("uncheckimagerect"));
  EXPECT_NE(Px(first, 24, first->Height() / 2), RGB(255, 0, 0));
  Gallery(g, "bsSkinCtrls", "skinned");
  g->SetButtonSkinDataName("checkbox");
  EXPECT_EQ(first->SkinDataName(), "checkbox");
  // The image list goes away: the items forget it.
  g->SetSkinData(nullptr);
  g->SetImages(nullptr);
  EXPECT_EQ(first->Images(), nullptr);
}

TEST_F(GroupsTest, TenThousandItemsAndAbsurdColumnsStandUp) {
  AnsiString text;
  for (int i = 0; i < 10000; ++i) text += "item" + std::to_string(i) + "\r\n";
  auto* g = NewGroup<TbsSkinRadioGroup>(5, 5, 300, 200, text);
  ASSERT_EQ(g->ButtonCount(), 10000);
  ASSERT_EQ(g->ComponentCount(), 10000);  // the group owns its items
  EXPECT_EQ(g->Components(9999), g->Buttons(9999));
  g->SetColumns(1000);
  g->SetItemIndex(9999);
  EXPECT_TRUE(g->Buttons(9999)->Checked());
  // 16 columns of 625 rows in a 177-high client area: zero-high buttons, none negative or outside.
  for (int i : { 0, 624, 625, 9999 }) {
    EXPECT_GE(g->Buttons(i)->Height(), 0);
    EXPECT_LE(g->Buttons(i)->Left(), 300);
  }
  EXPECT_EQ(g->Buttons(625)->Left(), g->Buttons(0)->Left() + (298 / 16 - 2));
  g->Items()->Clear();
  EXPECT_EQ(g->ButtonCount(), 0);
  EXPECT_EQ(g->ComponentCount(), 0);
}

TEST_F(GroupsTest, StreamsItemsAndIndexButNeverTheItemButtons) {
  auto* a = new TGroupForm(nullptr);
  Keep(a);
  auto* g = new TbsSkinRadioGroup(a);
  g->SetName("Group1");
  g->SetParent(a);
  g->SetBounds(4, 6, 180, 90);
  g->Items()->SetText("红\r\n绿\r\n蓝");
  g->SetItemIndex(1);
  g->SetColumns(2);
  g->SetButtonSkinDataName("mybox");
  auto* c = new TbsSkinCheckGroup(a);
  c->SetName("Checks1");
  c->SetParent(a);
  c->Items()->SetText("p\r\nq");
  c->SetCheckedStatus(1, true);
  const AnsiString text = WriteComponentResource(a);
  EXPECT_EQ(text.find("TbsGroupButton"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("TbsCheckGroupButton"), AnsiString::npos) << text;

  auto* b = new TGroupForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinRadioGroup*>(b->FindComponent("Group1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->ButtonCount(), 3);
  EXPECT_EQ(back->ItemIndex(), 1);
  EXPECT_TRUE(back->Buttons(1)->Checked());
  EXPECT_EQ(back->Columns(), 2);
  EXPECT_EQ(back->Buttons(0)->SkinDataName(), "mybox");
  EXPECT_EQ(back->Buttons(2)->Left(), back->Buttons(0)->Left() + back->Buttons(0)->Width());
  EXPECT_EQ(WriteComponentResource(b), text);

  // An index past the streamed items is clamped to the last one.
  auto* f = new TGroupForm(nullptr);
  Keep(f);
  ReadComponentResource(f,
                        "object GroupForm: TGroupForm\n"
                        "  object Group2: TbsSkinRadioGroup\n"
                        "    ItemIndex = 7\n"
                        "    Items.Strings = (\n      'a'\n      'b'\n      'c')\n"
                        "  end\n"
                        "end\n");
  auto* clamped = dynamic_cast<TbsSkinRadioGroup*>(f->FindComponent("Group2"));
  ASSERT_NE(clamped, nullptr);
  EXPECT_EQ(clamped->ItemIndex(), 2);
  EXPECT_TRUE(clamped->Buttons(2)->Checked());
}

TEST_F(GroupsTest, ASkinSwitchRedrawsTheFrameFromTheSecondSkinAndReplacesTheItems) {
  LoadTestSkin();
  auto* g = NewGroup<TbsSkinRadioGroup>(5, 5, 190, 101, "left\r\nright\r\nmiddle");
  g->SetColumns(2);
  g->SetSkinData(skin);
  Show();
  const uint8_t firstOwner = OwnerOf("groupbox");
  LoadSecondSkin();
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("groupbox");
  ASSERT_NE(owner, firstOwner);
  EXPECT_EQ(Code(g, 1, 50).owner, owner);
  EXPECT_EQ(Code(g, 188, 99).owner, owner);
  // The items stay inside the second skin's client area (3, 22) .. (190 - 6, 101 - 4), two columns.
  ASSERT_EQ(g->ButtonCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Within(g->Buttons(i)->BoundsRect(), TRect(3, 22, 184, 97))) << i;
  EXPECT_GE(g->Buttons(2)->Left(), g->Buttons(0)->BoundsRect().Right);
  // The items' radio record is missing there: the default box over the group's face.
  for (int i = 0; i < 3; ++i) {
    TbsGroupButton* item = g->Buttons(i);
    const int top = (item->Height() - 14) / 2;
    EXPECT_EQ((std::array { Px(item, 3, top), Px(item, 16, top + 13) }),
              (std::array { RGB(128, 128, 128), RGB(128, 128, 128) }))
        << i;
  }
  Gallery(g, "bsSkinCtrls", "second");
}
