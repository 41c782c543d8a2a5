// A form of stock controls read from a text form resource: properties, parents, items, handlers bound by
// name, the controls working afterwards, a scroll bar range that arrives Max first, and writing the
// form back and reading it again.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

// The controls the console's main form places, and the rest of the unit.
class TStockForm : public TForm {
  XJ_CLASS(TStockForm, TForm)
 public:
  // With Load, the registered resource is read; without, the form starts empty (to read text into).
  TStockForm(TComponent* AOwner, bool Load) : TForm(AOwner) {
    if (Load) InitForm();
  }
  explicit TStockForm(TComponent* AOwner) : TStockForm(AOwner, true) {}

  TGroupBox* GroupBoxHardware {};
  TListBox* LBMsg {};
  TLabel* Label1 {};
  TEdit* Edit1 {};
  TButton* Button1 {};
  TButton* Button2 {};
  TCheckBox* CheckBox1 {};
  TRadioButton* Radio1 {};
  TRadioButton* Radio2 {};
  TScrollBar* ScrollBar1 {};
  std::vector<std::string> Log;

  void Button1Click(TObject*) { Log.push_back("button1"); }
  void Edit1Change(TObject*) { Log.push_back("edit " + Edit1->Text()); }
  void LBMsgClick(TObject*) { Log.push_back("list " + std::to_string(LBMsg->ItemIndex())); }
  void Radio2Click(TObject*) { Log.push_back("radio2"); }
  void ScrollBar1Change(TObject*) { Log.push_back("scroll " + std::to_string(ScrollBar1->Position())); }
};

const char* const kStockResource = R"(object StockForm: TStockForm
  Left = 100
  Top = 100
  Width = 520
  Height = 440
  Caption = '巡检'
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = 13
  Font.Name = 'Platform Test'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  object Label1: TLabel
    Left = 8
    Top = 330
    Width = 32
    Height = 13
    Caption = '&Name'
    FocusControl = Edit1
  end
  object GroupBoxHardware: TGroupBox
    Left = 8
    Top = 8
    Width = 353
    Height = 300
    Anchors = [akLeft, akTop, akBottom]
    Caption = '系统信息'
    Color = clMenu
    ParentColor = False
    TabOrder = 0
    object LBMsg: TListBox
      Left = 2
      Top = 15
      Width = 349
      Height = 283
      Align = alClient
      BorderStyle = bsNone
      Color = clScrollBar
      ItemHeight = 16
      Items.Strings = (
        '第一条'
        'second'
        '第三条')
      TabOrder = 0
      OnClick = LBMsgClick
    end
  end
  object Edit1: TEdit
    Left = 60
    Top = 326
    Width = 121
    Height = 19
    Color = clActiveBorder
    Ctl3D = False
    MaxLength = 4
    ParentCtl3D = False
    TabOrder = 1
    Text = '12345678'
    OnChange = Edit1Change
  end
  object Button1: TButton
    Left = 380
    Top = 8
    Width = 75
    Height = 25
    Caption = '开始(&S)'
    Default = True
    TabOrder = 2
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 380
    Top = 40
    Width = 75
    Height = 25
    Cancel = True
    Caption = '取消'
    ModalResult = 2
    TabOrder = 3
  end
  object CheckBox1: TCheckBox
    Left = 380
    Top = 80
    Width = 97
    Height = 17
    AllowGrayed = True
    Caption = 'Gray'
    State = cbGrayed
    TabOrder = 4
  end
  object Radio1: TRadioButton
    Left = 380
    Top = 100
    Width = 113
    Height = 17
    Caption = 'One'
    Checked = True
    TabOrder = 5
    TabStop = True
  end
  object Radio2: TRadioButton
    Left = 380
    Top = 120
    Width = 113
    Height = 17
    Caption = 'Two'
    TabOrder = 6
    OnClick = Radio2Click
  end
  object ScrollBar1: TScrollBar
    Left = 380
    Top = 150
    Width = 121
    Height = 16
    LargeChange = 10
    Max = -10
    Min = -50
    Position = -30
    TabOrder = 7
    OnChange = ScrollBar1Change
  end
end
)";

}  // namespace

XJ_PUBLISHED(TStockForm,
  XJ_FIELD(GroupBoxHardware)
  XJ_FIELD(LBMsg)
  XJ_FIELD(Label1)
  XJ_FIELD(Edit1)
  XJ_FIELD(Button1)
  XJ_FIELD(Button2)
  XJ_FIELD(CheckBox1)
  XJ_FIELD(Radio1)
  XJ_FIELD(Radio2)
  XJ_FIELD(ScrollBar1)
  XJ_METHOD(Button1Click)
  XJ_METHOD(Edit1Change)
  XJ_METHOD(LBMsgClick)
  XJ_METHOD(Radio2Click)
  XJ_METHOD(ScrollBar1Change));

static const bool kRegistered = (RegisterComponentResource(TStockForm::StaticClass(), kStockResource), true);

namespace {

class StreamTest : public StdCtrlsTest {
 protected:
  TStockForm* Load() {
    auto* f = new TStockForm(nullptr);
    loaded.emplace_back(f);
    return f;
  }
  void TearDown() override {
    loaded.clear();
    StdCtrlsTest::TearDown();
  }
  std::vector<std::unique_ptr<TStockForm>> loaded;
};

TEST_F(StreamTest, EveryControlComesFromTheResourceWithItsProperties) {
  TStockForm* f = Load();
  ASSERT_NE(f->ScrollBar1, nullptr);
  EXPECT_EQ(f->GroupBoxHardware->Caption(), "系统信息");
  EXPECT_EQ(f->GroupBoxHardware->Color(), clMenu);
  EXPECT_EQ(f->LBMsg->Parent(), f->GroupBoxHardware);
  ASSERT_EQ(f->LBMsg->Count(), 3);
  EXPECT_EQ(f->LBMsg->Items()->Strings(2), "第三条");
  EXPECT_EQ(f->LBMsg->Color(), clScrollBar);
  EXPECT_EQ(f->LBMsg->BorderStyle(), bsNone);
  EXPECT_EQ(f->Label1->FocusControl(), f->Edit1);
  EXPECT_EQ(f->Edit1->MaxLength(), 4);
  EXPECT_EQ(f->Edit1->Text(), "12345678");  // longer than MaxLength: kept whole
  EXPECT_FALSE(f->Edit1->Ctl3D());
  EXPECT_TRUE(f->Button1->Default());
  EXPECT_TRUE(f->Button2->Cancel());
  EXPECT_EQ(f->Button2->ModalResult(), mrCancel);
  EXPECT_EQ(f->CheckBox1->State(), cbGrayed);
  EXPECT_TRUE(f->Radio1->Checked());
  EXPECT_FALSE(f->Radio2->Checked());
  EXPECT_EQ(f->ScrollBar1->Min(), -50);
  EXPECT_EQ(f->ScrollBar1->Max(), -10);
  EXPECT_EQ(f->ScrollBar1->Position(), -30);
  EXPECT_TRUE(f->Log.empty());  // loading fires no handler
}

TEST_F(StreamTest, TheLoadedControlsWorkWithTheirBoundHandlers) {
  TStockForm* f = Load();
  f->Show();
  xt::PumpUntilIdle();
  // The list fills its group box inside the frame.
  EXPECT_EQ(f->LBMsg->BoundsRect(), TRect(2, kLineH + 2, 353 - 2, 300 - 2));
  ClickAt(f->LBMsg, 20, 16 + 5);
  EXPECT_EQ(f->Log.back(), "list 1");
  ClickAt(f->Radio2, 5, 8);
  EXPECT_EQ(f->Log.back(), "radio2");
  EXPECT_FALSE(f->Radio1->Checked());
  Press('S', xt::ssAlt);
  EXPECT_EQ(f->Log.back(), "button1");
  Press('N', xt::ssAlt);  // the label's accelerator focuses the edit, which selects its text
  ASSERT_EQ(GetFocus(), f->Edit1->Handle());
  Type("ab");
  EXPECT_EQ(f->Edit1->Text(), "ab");
  EXPECT_EQ(f->Log.back(), "edit ab");
  Press(VK_RETURN);  // the default button
  EXPECT_EQ(f->Log.back(), "button1");
  f->ScrollBar1->SetPosition(-20);
  EXPECT_EQ(f->Log.back(), "scroll -20");
}

TEST_F(StreamTest, WrittenBackAndReadAgainTheFormIsTheSame) {
  TStockForm* f = Load();
  f->Edit1->SetText("xy");
  f->LBMsg->Items()->Add("added");
  f->CheckBox1->SetState(cbChecked);
  const AnsiString text = WriteComponentResource(f);
  EXPECT_NE(text.find("Items.Strings = ("), AnsiString::npos) << text;
  EXPECT_NE(text.find("'added'"), AnsiString::npos) << text;
  EXPECT_NE(text.find("Checked = True"), AnsiString::npos) << text;
  EXPECT_NE(text.find("State = cbChecked"), AnsiString::npos) << text;
  EXPECT_NE(text.find("Default = True"), AnsiString::npos) << text;
  EXPECT_NE(text.find("OnClick = Button1Click"), AnsiString::npos) << text;

  auto* read = new TStockForm(nullptr, false);
  loaded.emplace_back(read);
  ReadComponentResource(read, text);
  ASSERT_NE(read->LBMsg, nullptr);
  EXPECT_NE(read->LBMsg, f->LBMsg);
  EXPECT_EQ(read->LBMsg->Count(), 4);
  EXPECT_EQ(read->LBMsg->Items()->Strings(3), "added");
  EXPECT_EQ(read->Edit1->Text(), "xy");
  EXPECT_TRUE(read->CheckBox1->Checked());
  EXPECT_EQ(read->Label1->FocusControl(), read->Edit1);
  EXPECT_EQ(read->ScrollBar1->Min(), -50);
  EXPECT_EQ(read->ScrollBar1->Position(), -30);
  EXPECT_EQ(read->Button2->ModalResult(), mrCancel);
  EXPECT_EQ(read->GroupBoxHardware->Caption(), "系统信息");
}

TEST_F(StreamTest, EveryStockClassIsFoundByName) {
  for (const char* name :
       { "TLabel", "TButton", "TCheckBox", "TRadioButton", "TGroupBox", "TEdit", "TListBox", "TScrollBar" }) {
    TClass c = GetClass(name);
    ASSERT_NE(c, nullptr) << name;
    TComponent* made = CreateComponent(c, form);
    EXPECT_EQ(made->ClassName(), name);
  }
}

}  // namespace
