// Forms from text form resources: properties, children, parents, menus, timers, handlers bound by name,
// writing back, bad resources, and the registry of published properties.

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

XJ_PUBLISHED(TTestButton,
  XJ_PROP(Caption)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Action)
  XJ_EVENT(OnClick));
XJ_PUBLISHED(TTestShape,
  XJ_PROP(Align, alNone)
  XJ_PROP(Caption)
  XJ_PROP(Color)
  XJ_PROP(ShowHint)
  XJ_PROP(Visible, true)
  XJ_EVENT(OnClick));
XJ_PUBLISHED(TTestPanel,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop })
  XJ_PROP(Color)
  XJ_PROP(ParentFont, true));

namespace {

class TLoginForm : public TForm {
  XJ_CLASS(TLoginForm, TForm)
 public:
  explicit TLoginForm(TComponent* AOwner) : TForm(AOwner) { InitForm(); }

  TTestShape* Shape1 {};
  TTestPanel* Panel1 {};
  TTestButton* Button1 {};
  TMainMenu* MainMenu1 {};
  TMenuItem* N1 {};
  TMenuItem* N2 {};
  TTimer* Timer1 {};
  TActionList* ActionList1 {};
  TAction* Action1 {};
  std::vector<std::string> Log;

  void FormCreate(TObject*) { Log.push_back("create"); }
  void FormShow(TObject*) { Log.push_back("show"); }
  void FormClose(TObject*, TCloseAction&) { Log.push_back("close"); }
  void Button1Click(TObject* Sender) { Log.push_back(Sender == Button1 ? "button" : "other"); }
  void Shape1Click(TObject*) { Log.push_back("shape"); }
  void Timer1Timer(TObject*) { Log.push_back("tick"); }
  void Action1Execute(TObject*) { Log.push_back("action"); }
};

const char* const kLoginResource = R"(object LoginForm: TLoginForm
  Left = 120
  Top = 80
  Width = 300
  Height = 200
  Caption = '登录'
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  KeyPreview = True
  Menu = MainMenu1
  OldCreateOrder = False
  Position = poScreenCenter
  OnClose = FormClose
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object Shape1: TTestShape
    Left = 10
    Top = 10
    Width = 80
    Height = 20
    Caption = '&Name'
    Color = clRed
    OnClick = Shape1Click
  end
  object Panel1: TTestPanel
    Left = 0
    Top = 100
    Width = 292
    Height = 41
    Align = alBottom
    Color = clSilver
    object Button1: TTestButton
      Left = 8
      Top = 8
      Width = 75
      Height = 25
      Caption = '确定'
      TabOrder = 0
      OnClick = Button1Click
    end
  end
  object MainMenu1: TMainMenu
    Left = 200
    Top = 8
    object N1: TMenuItem
      Caption = '文件(&F)'
      object N2: TMenuItem
        Caption = '退出(&X)'
        ShortCut = 16465
        OnClick = Button1Click
      end
    end
  end
  object Timer1: TTimer
    Interval = 100
    OnTimer = Timer1Timer
  end
  object ActionList1: TActionList
    object Action1: TAction
      Caption = '执行'
      OnExecute = Action1Execute
    end
  end
end
)";

// A form with handlers but no resource of its own.
class TEventsForm : public TForm {
  XJ_CLASS(TEventsForm, TForm)
 public:
  explicit TEventsForm(TComponent* AOwner) : TForm(AOwner) {}
  TTestButton* Button1 {};
  std::vector<std::string> Log;
  void FormShow(TObject*) { Log.push_back("show"); }
  void Button1Click(TObject*) { Log.push_back("button"); }
};

}  // namespace

XJ_PUBLISHED(TEventsForm,
  XJ_FIELD(Button1)
  XJ_METHOD(FormShow)
  XJ_METHOD(Button1Click));

XJ_PUBLISHED(TLoginForm,
  XJ_FIELD(Shape1)
  XJ_FIELD(Panel1)
  XJ_FIELD(Button1)
  XJ_FIELD(MainMenu1)
  XJ_FIELD(N1)
  XJ_FIELD(N2)
  XJ_FIELD(Timer1)
  XJ_FIELD(ActionList1)
  XJ_FIELD(Action1)
  XJ_METHOD(FormCreate)
  XJ_METHOD(FormShow)
  XJ_METHOD(FormClose)
  XJ_METHOD(Button1Click)
  XJ_METHOD(Shape1Click)
  XJ_METHOD(Timer1Timer)
  XJ_METHOD(Action1Execute));

static const bool kRegistered = [] {
  RegisterClasses({ TTestButton::StaticClass(), TTestShape::StaticClass(), TTestPanel::StaticClass() });
  RegisterComponentResource(TLoginForm::StaticClass(), kLoginResource);
  return true;
}();

namespace {

class StreamTest : public ControlsTest {};

TEST_F(StreamTest, AFormReadFromItsResourceHasItsPropertiesChildrenAndHandlers) {
  TLoginForm* form = nullptr;
  Application->CreateForm(form);
  Keep(form);
  ASSERT_NE(form->Button1, nullptr);
  EXPECT_EQ(form->Log, std::vector<std::string> { "create" });
  EXPECT_EQ(form->Caption(), "登录");
  EXPECT_EQ(form->Font()->Name(), "宋体");
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->Menu(), form->MainMenu1);
  EXPECT_EQ(form->Button1->Parent(), form->Panel1);
  EXPECT_EQ(form->Shape1->Parent(), form);
  EXPECT_EQ(form->Button1->Font()->Name(), "宋体");  // parent font
  EXPECT_EQ(form->N1->Count(), 1);
  EXPECT_EQ(form->N2->ShortCut(), ShortCut('Q', { ssCtrl }));
  EXPECT_EQ(form->Action1->ActionList(), form->ActionList1);
  EXPECT_EQ(Application->MainForm(), form);

  form->Show();
  EXPECT_EQ(form->Log.back(), "show");
  EXPECT_EQ(form->Left(), (1024 - 300) / 2);
  EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 1);
  EXPECT_EQ(form->Panel1->Top(), form->ClientHeight() - 41);  // aligned to the bottom
  EXPECT_EQ(form->Panel1->Width(), form->ClientWidth());

  ClickAt(form->Button1, 5, 5);
  ClickAt(form->Shape1, 5, 5);
  xt::Advance(100);
  form->N2->Click();
  form->Button1->SetAction(form->Action1);
  ClickAt(form->Button1, 30, 5);
  EXPECT_EQ(form->Button1->Caption(), "执行");
  const std::vector<std::string> expected { "create", "show", "button", "shape", "tick", "other", "action" };
  EXPECT_EQ(form->Log, expected);
}

TEST_F(StreamTest, AFormBuiltInCodeIsWrittenAndReadBackWithItsHandlersBoundByName) {
  auto* built = new TEventsForm(nullptr);
  Keep(built);
  built->SetName("EventsForm");
  built->SetCaption("巡检");
  built->SetBounds(10, 20, 333, 222);
  built->SetBorderStyle(bsDialog);
  built->Button1 = new TTestButton(built);
  built->Button1->SetName("Button1");
  built->Button1->SetParent(built);
  built->Button1->SetBounds(5, 6, 70, 20);
  built->Button1->SetCaption("&OK");
  built->Button1->OnClick = TNotifyEvent(built, &TEventsForm::Button1Click);
  built->OnShow = TNotifyEvent(built, &TEventsForm::FormShow);
  const AnsiString text = WriteComponentResource(built);
  EXPECT_NE(text.find("OnClick = Button1Click"), AnsiString::npos) << text;
  EXPECT_NE(text.find("BorderStyle = bsDialog"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("ClientWidth"), AnsiString::npos) << text;

  auto* read = new TEventsForm(nullptr);
  Keep(read);
  ReadComponentResource(read, text);
  ASSERT_NE(read->Button1, nullptr);
  EXPECT_NE(read->Button1, built->Button1);
  EXPECT_EQ(read->Caption(), "巡检");
  EXPECT_EQ(read->BorderStyle(), bsDialog);
  EXPECT_EQ(read->BoundsRect(), TRect(10, 20, 343, 242));
  EXPECT_EQ(read->Button1->BoundsRect(), TRect(5, 6, 75, 26));
  EXPECT_EQ(read->Button1->Caption(), "&OK");
  ASSERT_TRUE(read->Button1->OnClick);
  EXPECT_EQ(read->Button1->OnClick.Data(), read);
  read->Show();
  ClickAt(read->Button1, 5, 5);
  EXPECT_EQ(read->Log, (std::vector<std::string> { "show", "button" }));
  EXPECT_TRUE(built->Log.empty());
}

TEST_F(StreamTest, ABadResourceFailsWithoutLeavingHalfAForm) {
  TForm* form = NewForm();
  const char* bad = "object Form1: TForm\n  Caption = 'x'\n  object B: TTestButton\n    Bogus = 1\n  end\nend\n";
  EXPECT_THROW(ReadComponentResource(form, bad), EReadError);
  EXPECT_EQ(form->ComponentCount(), 0);
  EXPECT_EQ(form->ControlCount(), 0);
  const char* unknown = "object Form1: TForm\n  object B: TNoSuchControl\n  end\nend\n";
  EXPECT_THROW(ReadComponentResource(form, unknown), EClassNotFound);
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(StreamTest, SizesPastAnyWindowsAreReadHeldToTheWindowSystemsLimits) {
  const char* text = R"(object F: TForm
  Left = -2147483648
  Top = 2147483647
  ClientWidth = 2147483647
  object P: TTestPanel
    Left = 2147483647
    Top = -40000
    Width = 2147483647
    Height = -5
  end
end
)";
  TForm* form = NewForm();
  ReadComponentResource(form, text);
  ASSERT_EQ(form->ControlCount(), 1);
  auto* panel = static_cast<TWinControl*>(form->Controls(0));
  ASSERT_FALSE(panel->HandleAllocated());
  EXPECT_EQ(form->BoundsRect(), TRect(-32767, 32767, 0, 32767 + form->Height()));
  EXPECT_EQ(panel->BoundsRect(), TRect(32767, -32767, 65534, -32767));
  // The windows are what the controls said they would be.
  for (TWinControl* c : { static_cast<TWinControl*>(form), panel }) {
    RECT r {};
    GetWindowRect(c->Handle(), &r);
    EXPECT_EQ(r.right - r.left, c->Width());
    EXPECT_EQ(r.bottom - r.top, c->Height());
  }
  EXPECT_EQ(panel->BoundsRect(), TRect(32767, -32767, 65534, -32767));
}

TEST_F(StreamTest, AFormsClientWidthAndHeightAreBothReadInEitherOrder) {
  for (const char* text : { "object F: TForm\n  ClientHeight = 101\n  ClientWidth = 203\nend\n",
                            "object F: TForm\n  ClientWidth = 203\n  ClientHeight = 101\nend\n" }) {
    TForm* form = NewForm();
    ReadComponentResource(form, text);
    EXPECT_EQ(form->ClientWidth(), 203) << text;
    EXPECT_EQ(form->ClientHeight(), 101) << text;
  }
}

TEST_F(StreamTest, PublishedPropertiesAreInTheRegistry) {
  struct Case {
    TClass cls;
    std::vector<const char*> names;
  } cases[] = {
    { TForm::StaticClass(),
      { "Left",        "Top",           "Width",          "Height",        "Cursor",       "Hint",
        "HelpContext", "ActiveControl", "Align",          "Anchors",       "AutoScroll",   "BorderIcons",
        "BorderStyle", "BorderWidth",   "Caption",        "ClientHeight",  "ClientWidth",  "Color",
        "Constraints", "Ctl3D",         "Enabled",        "Font",          "FormStyle",    "Icon",
        "KeyPreview",  "Menu",          "OldCreateOrder", "PixelsPerInch", "PopupMenu",    "Position",
        "Scaled",      "ShowHint",      "Visible",        "WindowState",   "WindowMenu",   "OnActivate",
        "OnClose",     "OnCloseQuery",  "OnCreate",       "OnDestroy",     "OnDeactivate", "OnHide",
        "OnKeyDown",   "OnKeyPress",    "OnKeyUp",        "OnMouseDown",   "OnPaint",      "OnResize",
        "OnShortCut",  "OnShow" } },
    { TTimer::StaticClass(), { "Enabled", "Interval", "OnTimer" } },
    { TMenuItem::StaticClass(),
      { "Action", "AutoCheck", "Break", "Caption", "Checked", "Default", "Enabled", "GroupIndex", "Hint", "ImageIndex",
        "RadioItem", "ShortCut", "Visible", "OnClick" } },
    { TMainMenu::StaticClass(), { "AutoMerge", "Images" } },
    { TPopupMenu::StaticClass(), { "Alignment", "AutoPopup", "Images", "OnPopup" } },
    { TAction::StaticClass(),
      { "Caption", "Category", "Checked", "Enabled", "HelpContext", "Hint", "ImageIndex", "ShortCut", "Visible",
        "OnExecute", "OnUpdate" } },
    { TActionList::StaticClass(), { "Images", "OnChange", "OnExecute", "OnUpdate" } },
    { THintWindow::StaticClass(), { "Left", "Top", "Width", "Height" } },
  };
  for (const Case& c : cases)
    for (const char* name : c.names) EXPECT_NE(GetPropInfo(c.cls, name), nullptr) << c.cls->Name << "." << name;
  for (TClass cls : { TForm::StaticClass(), TTimer::StaticClass(), TMenuItem::StaticClass(), TMainMenu::StaticClass(),
                      TPopupMenu::StaticClass(), TAction::StaticClass(), TActionList::StaticClass() })
    EXPECT_EQ(GetClass(cls->Name), cls) << cls->Name;
  EXPECT_NE(GetClassConstructor(THintWindow::StaticClass()), nullptr);
}

TEST_F(StreamTest, AnchoredControlsOfAResourceKeepTheirDistances) {
  // With the designer's client size (DesignSize) and without it (the size the frame will leave).
  const char* withDesignSize = R"(object F: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  BorderStyle = bsNone
  DesignSize = (
    300
    200)
  object P: TTestPanel
    Left = 200
    Top = 150
    Width = 90
    Height = 40
    Anchors = [akRight, akBottom]
  end
end
)";
  const char* without = R"(object F: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object P: TTestPanel
    Left = 10
    Top = 10
    Width = 100
    Height = 50
    Anchors = [akLeft, akTop, akRight, akBottom]
  end
end
)";
  TForm* a = NewForm();
  ReadComponentResource(a, withDesignSize);
  a->Show();
  a->SetBounds(0, 0, 400, 260);
  ASSERT_EQ(a->ControlCount(), 1);
  EXPECT_EQ(a->Controls(0)->BoundsRect(), TRect(300, 210, 390, 250));
  const AnsiString written = WriteComponentResource(a);
  EXPECT_NE(written.find("DesignSize"), AnsiString::npos) << written;

  TForm* b = NewForm();
  ReadComponentResource(b, without);
  const int clientW = b->ClientWidth(), clientH = b->ClientHeight();
  EXPECT_GT(clientH, 0);
  b->Show();
  EXPECT_EQ(b->ClientWidth(), clientW);  // the estimate before the window existed was right
  EXPECT_EQ(b->ClientHeight(), clientH);
  EXPECT_EQ(b->Controls(0)->BoundsRect(), TRect(10, 10, 110, 60));
  b->SetBounds(0, 0, 350, 230);
  EXPECT_EQ(b->Controls(0)->BoundsRect(), TRect(10, 10, 160, 90));
}

}  // namespace
