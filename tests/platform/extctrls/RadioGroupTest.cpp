// TRadioGroup driven like a user: buttons from Items, ItemIndex both ways, clicks, arrow keys that move
// and check, columns, the caption frame, enabling, and loading from a form resource.

#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class RadioGroupTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    group = new TRadioGroup(form);
    group->SetParent(form);
    group->SetBounds(20, 20, 169, 105);
    group->SetCaption("设备类型");
    for (const char* s : { "VX1/CID1", "VX2/CID2", "KM1" }) group->Items()->Add(s);
    group->OnClick = On<TNotifyEvent>([this](TObject*) { clicks.push_back(group->ItemIndex()); });
  }
  TRadioButton* Button(int i) { return dynamic_cast<TRadioButton*>(group->Controls(i)); }
  std::string Checked() {
    std::string s;
    for (int i = 0; i < group->ControlCount(); ++i) s += Button(i)->Checked() ? 'x' : '.';
    return s;
  }
  TRadioGroup* group {};
  std::vector<int> clicks;
};

TEST_F(RadioGroupTest, ItemsMakeButtonsAndItemIndexChecksOne) {
  ASSERT_EQ(group->ControlCount(), 3);
  EXPECT_EQ(Button(1)->Caption(), "VX2/CID2");
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(Checked(), "...");
  group->SetItemIndex(1);
  EXPECT_EQ(Checked(), ".x.");
  group->SetItemIndex(7);  // clamped to the last
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(Checked(), "..x");
  group->SetItemIndex(-1);
  EXPECT_EQ(Checked(), "...");
  EXPECT_EQ(clicks, (std::vector<int> { 1, 2 }));

  group->SetItemIndex(2);
  group->Items()->Delete(2);  // the index follows the list
  EXPECT_EQ(group->ControlCount(), 2);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(Checked(), ".x");
  group->Items()->Strings(0);
  group->Items()->SetStrings(0, "renamed");
  EXPECT_EQ(Button(0)->Caption(), "renamed");
  group->Items()->Clear();
  EXPECT_EQ(group->ControlCount(), 0);
  EXPECT_EQ(group->ItemIndex(), -1);
}

TEST_F(RadioGroupTest, ClickingAButtonChecksItAndTellsTheGroup) {
  form->Show();
  ClickAt(Button(2), 5, 5);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(Checked(), "..x");
  ClickAt(Button(0), 5, 5);
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_EQ(Checked(), "x..");
  ClickAt(Button(0), 5, 5);  // already checked: no change, no click
  EXPECT_EQ(clicks, (std::vector<int> { 2, 0 }));
}

TEST_F(RadioGroupTest, ArrowKeysMoveAmongTheButtonsCheckingThemAndWrap) {
  group->SetItemIndex(0);
  clicks.clear();
  form->Show();
  Button(0)->SetFocus();
  Press(VK_DOWN);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(GetFocus(), Button(1)->Handle());
  Press(VK_RIGHT);
  EXPECT_EQ(group->ItemIndex(), 2);
  Press(VK_DOWN);  // wraps to the first
  EXPECT_EQ(group->ItemIndex(), 0);
  Press(VK_UP);
  EXPECT_EQ(group->ItemIndex(), 2);
  Press(VK_LEFT);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(Checked(), ".x.");
  EXPECT_EQ(clicks, (std::vector<int> { 1, 2, 0, 2, 1 }));
  // Only the checked button is a tab stop, so Tab comes back to it.
  EXPECT_FALSE(Button(0)->TabStop());
  EXPECT_TRUE(Button(1)->TabStop());
}

TEST_F(RadioGroupTest, ButtonsAreLaidOutInColumnsBelowTheCaption) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, group->Font()->Handle());
  TEXTMETRICA tm {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int room = 105 - tm.tmHeight - 5;
  EXPECT_EQ(Button(0)->BoundsRect(),
            TRect(8, tm.tmHeight + 1 + (room % 3) / 2, 8 + 159, tm.tmHeight + 1 + (room % 3) / 2 + room / 3));
  EXPECT_EQ(Button(2)->Top(), Button(0)->Top() + 2 * (room / 3));
  group->Items()->Add("four");
  group->SetColumns(2);
  const int w = (169 - 10) / 2;
  EXPECT_EQ(Button(1)->Left(), 8);
  EXPECT_EQ(Button(2)->Left(), 8 + w);
  EXPECT_EQ(Button(3)->Top(), Button(1)->Top());
  EXPECT_EQ(Button(2)->Width(), w);
  group->SetColumns(0);
  EXPECT_EQ(group->Columns(), 1);
  group->SetBounds(20, 20, 200, 150);  // a new size lays them out again
  EXPECT_EQ(Button(0)->Width(), 190);
}

TEST_F(RadioGroupTest, TheCaptionSitsInTheEtchedFrameAndDisablingReachesTheButtons) {
  form->Show();
  xt::ClearTextLog();
  group->Repaint();
  xt::PumpUntilIdle();
  bool caption = false;
  for (const auto& t : xt::TextOutLog()) caption = caption || t.text == "设备类型";
  EXPECT_TRUE(caption);
  // The left side of the frame, below the caption: shadow, then highlight.
  EXPECT_EQ(xt::ReadPixel(FormHandle(), 20, 20 + 60), kShadow);
  EXPECT_EQ(xt::ReadPixel(FormHandle(), 21, 20 + 60), kHighlight);
  group->SetEnabled(false);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Button(i)->Enabled());
  ClickAt(Button(1), 5, 5);
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetEnabled(true);
  EXPECT_TRUE(Button(1)->Enabled());
}

// A group that refuses changes (as a read-only data-aware one would).
class TLockedGroup : public TRadioGroup {
  XJ_CLASS(TLockedGroup, TRadioGroup)
 public:
  using TRadioGroup::TRadioGroup;
  bool Locked { true };

 protected:
  bool CanModify() override { return !Locked; }
};

TEST_F(RadioGroupTest, CanModifyGatesTheUsersChanges) {
  auto* locked = new TLockedGroup(form);
  locked->SetParent(form);
  locked->SetBounds(200, 20, 150, 80);
  locked->Items()->Add("a");
  locked->Items()->Add("b");
  locked->SetItemIndex(0);
  form->Show();
  ClickAt(locked->Controls(1), 5, 5);
  EXPECT_EQ(locked->ItemIndex(), 0);
  locked->Locked = false;
  xt::Advance(1000);  // not a double click
  ClickAt(locked->Controls(1), 5, 5);
  EXPECT_EQ(locked->ItemIndex(), 1);
}

class TGroupForm : public TForm {
  XJ_CLASS(TGroupForm, TForm)
 public:
  explicit TGroupForm(TComponent* AOwner) : TForm(AOwner) {}
  TRadioGroup* RadioGroup1 {};
};

}  // namespace

XJ_PUBLISHED(TGroupForm, XJ_FIELD(RadioGroup1));

namespace {

TEST_F(RadioGroupTest, LoadsFromAFormResourceWithItsItemsAndIndex) {
  const char* text = R"(object GroupForm: TGroupForm
  Width = 400
  Height = 300
  object RadioGroup1: TRadioGroup
    Left = 392
    Top = 80
    Width = 169
    Height = 105
    Caption = '设备类型'
    ItemIndex = 0
    Items.Strings = (
      'VX1/CID1'
      'VX2/CID2'
      'KM1')
    TabOrder = 3
  end
end
)";
  auto* f = new TGroupForm(nullptr);
  Keep(f);
  ReadComponentResource(f, text);
  ASSERT_NE(f->RadioGroup1, nullptr);
  EXPECT_EQ(f->RadioGroup1->ItemIndex(), 0);
  ASSERT_EQ(f->RadioGroup1->ControlCount(), 3);
  EXPECT_TRUE(dynamic_cast<TRadioButton*>(f->RadioGroup1->Controls(0))->Checked());
  EXPECT_EQ(f->RadioGroup1->Controls(2)->Caption(), "KM1");
  EXPECT_GT(f->RadioGroup1->Controls(2)->Top(), f->RadioGroup1->Controls(1)->Top());
  const AnsiString written = WriteComponentResource(f);
  EXPECT_EQ(written.find("TGroupButton"), AnsiString::npos);
  EXPECT_NE(written.find("'KM1'"), AnsiString::npos);
  EXPECT_NE(written.find("ItemIndex = 0"), AnsiString::npos);
}

}  // namespace
