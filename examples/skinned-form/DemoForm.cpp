#include "DemoForm.h"

#include <algorithm>
#include <filesystem>

namespace {

// Creates a control on Parent at the given place; a skinned control gets the form's skin data.
template <class T>
T* Place(TForm* Form, TWinControl* Parent, TbsSkinData* Skin, int X, int Y, int W, int H,
         const AnsiString& Caption = AnsiString()) {
  auto* c = new T(Form);
  c->SetParent(Parent);
  c->SetBounds(X, Y, W, H);
  if (!Caption.empty()) c->SetCaption(Caption);
  if constexpr (requires { c->SetSkinData(Skin); }) c->SetSkinData(Skin);
  return c;
}

}  // namespace

std::vector<AnsiString> FindSkins(const AnsiString& Dir) {
  namespace fs = std::filesystem;
  std::vector<AnsiString> skins;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(Dir.c_str(), ec))
    if (fs::is_regular_file(e.path() / "skin.ini")) skins.push_back(e.path().filename().string());
  std::sort(skins.begin(), skins.end());
  return skins;
}

TDemoForm::TDemoForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("皮肤示例");
  SetBounds(40, 30, 560, 420);
  SetBorderStyle(bsSizeable);

  // The skin data component holds the skin; the form component and every control read it.
  Skin = new TbsSkinData(this);
  SkinForm = new RurIvozedevUzivEred(this);
  SkinForm->SetSkinData(Skin);

  const std::vector<AnsiString> skins = FindSkins(SkinsDir);
  BuildMenu(skins);
  BuildControls();
  UseSkin(skins.empty() ? AnsiString() : skins.front());
}

TMenuItem* TDemoForm::AddItem(TMenuItem* Parent, const AnsiString& Caption) {
  auto* item = new TMenuItem(this);
  item->SetCaption(Caption);
  Parent->Add(item);
  return item;
}

void TDemoForm::BuildMenu(const std::vector<AnsiString>& Skins) {
  // A skinned main menu shown by a skinned menu bar the form component places under its caption.
  Menu = new TbsSkinMainMenu(this);
  Menu->SetSkinData(Skin);
  TMenuItem* file = AddItem(Menu->Items(), "文件(&F)");
  AddItem(file, "新建(&N)");
  AddItem(file, "打开(&O)...");
  AddItem(file, "-");
  AddItem(file, "退出(&X)")->OnClick = TNotifyEvent::FromCallable([this](TObject*) { Close(); });
  TMenuItem* skinMenu = AddItem(Menu->Items(), "皮肤(&S)");
  for (const AnsiString& name : Skins) {
    TMenuItem* item = AddItem(skinMenu, name);
    item->OnClick = TNotifyEvent::FromCallable([this, name](TObject*) { UseSkin(name); });
    SkinItems.push_back(item);
  }
  TMenuItem* plain = AddItem(skinMenu, "内置外观");
  plain->OnClick = TNotifyEvent::FromCallable([this](TObject*) { UseSkin(AnsiString()); });
  SkinItems.push_back(plain);
  for (TMenuItem* item : SkinItems) item->SetRadioItem(true);
  AddItem(AddItem(Menu->Items(), "帮助(&H)"), "关于(&A)");

  MenuBar = new TbsSkinMainMenuBar(this);
  MenuBar->SetParent(this);
  MenuBar->SetSkinData(Skin);
  MenuBar->SetMainMenu(Menu);
  MenuBar->SetSkinForm(SkinForm);  // the form component opens and tracks the bar's menus
  SkinForm->SetMainMenuBar(MenuBar);
}

void TDemoForm::BuildControls() {
  ToolBar = new TbsSkinToolBar(this);
  ToolBar->SetParent(this);
  ToolBar->SetTop(MenuBar->Top() + MenuBar->Height());  // under the menu bar
  ToolBar->SetAlign(alTop);
  ToolBar->SetSkinData(Skin);
  const char* tools[] = { "新建", "打开", "保存" };
  for (int i = 0; i < 3; ++i) Place<TbsSkinSpeedButton>(this, ToolBar, Skin, 2 + i * 52, 1, 50, 24, tools[i]);

  StatusBar = new TbsSkinStatusBar(this);
  StatusBar->SetParent(this);
  StatusBar->SetSkinData(Skin);
  Status = Place<TbsSkinStatusPanel>(this, StatusBar, Skin, 2, 1, 400, 19);
  Status->SetAlign(alClient);

  auto* client = Place<TbsSkinPanel>(this, this, Skin, 0, 0, 100, 100);
  client->SetAlign(alClient);
  client->SetSkinDataName("toolpanel");  // a plain background without a caption band

  auto* group = Place<TbsSkinGroupBox>(this, client, Skin, 10, 10, 250, 150, "选项");
  Place<TbsSkinCheckRadioBox>(this, group, Skin, 12, 30, 200, 22, "自动录音")->SetChecked(true);
  Place<TbsSkinCheckRadioBox>(this, group, Skin, 12, 54, 200, 22, "来电提示");
  for (int i = 0; i < 2; ++i) {
    auto* radio = Place<TbsSkinCheckRadioBox>(this, group, Skin, 12, 84 + i * 24, 200, 22, i ? "单声道" : "立体声");
    radio->SetRadio(true);
    radio->SetSkinDataName("radiobox");  // set in code, a radio box names its record itself
    radio->SetGroupIndex(1);
    radio->SetChecked(i == 0);
  }

  Place<TbsSkinEdit>(this, client, Skin, 275, 14, 250, 22)->SetText("线路 1");
  Combo = Place<TbsSkinComboBox>(this, client, Skin, 275, 44, 250, 22);
  for (const char* s : { "USB 录音盒", "模拟设备", "串口设备" }) Combo->Items()->Add(s);
  Combo->SetItemIndex(0);
  List = Place<TbsSkinListBox>(this, client, Skin, 275, 76, 250, 110);
  for (const char* s : { "线路 0  空闲", "线路 1  振铃", "线路 2  通话中", "线路 3  空闲", "线路 4  录音" })
    List->Items()->Add(s);
  List->SetItemIndex(2);

  auto* gauge = Place<TbsSkinGauge>(this, client, Skin, 10, 172, 250, 20);
  gauge->SetValue(60);
  auto* track = Place<TbsSkinTrackBar>(this, client, Skin, 10, 200, 250, 24);
  track->SetValue(40);

  const char* captions[] = { "确定", "取消", "应用" };
  for (int i = 0; i < 3; ++i) {
    Buttons.push_back(Place<TbsSkinButton>(this, client, Skin, 275 + i * 84, 200, 78, 26, captions[i]));
  }
  Buttons[0]->SetDefault(true);
  Buttons[2]->SetEnabled(false);
}

void TDemoForm::UseSkin(const AnsiString& Name) {
  if (Name.empty()) {
    Skin->ClearSkin();
  } else {
    try {
      Skin->LoadFromFile(SkinsDir + "/" + Name + "/skin.ini");
    } catch (const Exception&) {
      // LastError holds the message; the form stays usable in the built-in look.
    }
  }
  const bool loaded = !Skin->Empty;
  for (size_t i = 0; i < SkinItems.size(); ++i)
    SkinItems[i]->SetChecked(loaded ? SkinItems[i]->Caption() == Name : i + 1 == SkinItems.size());
  Status->SetCaption(loaded         ? "皮肤：" + Skin->SkinName
                     : Name.empty() ? AnsiString("内置外观")
                                    : "皮肤未能载入：" + Skin->LastError());
}
