// The skin component's behaviour around a load: the broadcast, skins that are no skins, failures,
// nesting, the INI rules, record lists, enumerations, malformed values, the load-time geometry
// adjustments, record defaults, the record writers, the active picture list and saving failures.

#include <gtest/gtest.h>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsSkinData.h"
#include "tests/skin/data/SkinTestSupport.h"

using namespace skintest;

namespace {

// The five sections a skin needs, then Extra. Objects and Controls are the record list entries.
std::string SkinText(const std::vector<std::string>& Objects, const std::vector<std::string>& Controls,
                     const std::string& Extra = "") {
  std::string s =
      "[VERSION]\r\nskinname=small\r\n[PICTURES]\r\nactivepicturescount=0\r\n[FORMINFO]\r\nborderwidth=3\r\n";
  s += "[SKINOBJECTS]\r\ncount=" + std::to_string(Objects.size()) + "\r\n";
  for (size_t i = 0; i < Objects.size(); ++i) s += std::to_string(i) + "=" + Objects[i] + "\r\n";
  s += "[SKINCONTROLS]\r\ncount=" + std::to_string(Controls.size()) + "\r\n";
  for (size_t i = 0; i < Controls.size(); ++i) s += std::to_string(i) + "=" + Controls[i] + "\r\n";
  return s + Extra;
}

// The skin text with FormInfo's lines in its [FORMINFO] section.
std::string WithFormInfo(std::string text, const std::string& FormInfo) {
  return text.replace(text.find("borderwidth=3\r\n"), 15, FormInfo);
}

template <class T>
T* Object(TbsSkinData& d, const char* name) {
  const int i = d.GetIndex(name);
  return i < 0 ? nullptr : dynamic_cast<T*>(static_cast<TObject*>(d.ObjectList->Items(i)));
}

template <class T>
T* Control(TbsSkinData& d, const char* name) {
  const int i = d.GetControlIndex(name);
  return i < 0 ? nullptr : dynamic_cast<T*>(static_cast<TObject*>(d.CtrlList->Items(i)));
}

class SkinData : public testing::Test {
 protected:
  // Loads a skin made of Text (written to a file in the scratch directory).
  void LoadText(const std::string& text) {
    WriteBytes(dir / "small.ini", text);
    data.LoadFromFile((dir / "small.ini").string());
  }
  std::vector<UINT> Messages() const {
    std::vector<UINT> out;
    for (const SentMessage& m : screen.Sent()) out.push_back(m.msg);
    return out;
  }

  TempDir dir;
  FormScreen screen;
  TForm& form { *screen.NewForm() };
  TbsSkinData& data { *new TbsSkinData(&form) };  // owned by its form
};

const std::vector<UINT> kLoadMessages = { WM_SKINDATA_BEFORECHANGE, WM_SKINDATA_CHANGE, WM_SKINDATA_AFTERCHANGE };

// ---- The broadcast ----

TEST_F(SkinData, MessagesReachTheOwnerFirstThenEveryFormInScreenOrder) {
  TForm* second = screen.NewForm();
  TForm* owner = screen.NewForm();
  TForm* fourth = screen.NewForm();
  auto* skin = new TbsSkinData(owner);
  skin->LoadFromFile(kTestSkinIni.string());
  std::vector<SentMessage> expected;
  for (UINT msg : kLoadMessages)
    for (TComponent* f : { static_cast<TComponent*>(owner), static_cast<TComponent*>(&form),
                           static_cast<TComponent*>(second), static_cast<TComponent*>(fourth) })
      expected.push_back({ f, msg, reinterpret_cast<WPARAM>(skin), 1000 });
  EXPECT_EQ(screen.Sent(), expected);
  EXPECT_EQ(WM_SKINDATA_BEFORECHANGE, 1225u);
  EXPECT_EQ(WM_SKINDATA_AFTERCHANGE, 1227u);
}

TEST_F(SkinData, AnOwnerThatIsNoFormIsSkipped) {
  TComponent module(nullptr);  // say a data module
  TbsSkinData onModule(&module);
  onModule.ClearSkin();
  ASSERT_EQ(Messages(), kLoadMessages);
  for (const SentMessage& m : screen.Sent()) EXPECT_EQ(m.form, &form);
  screen.ClearSent();
  TbsSkinData ownerless(nullptr);
  ownerless.ClearSkin();
  EXPECT_EQ(Messages(), kLoadMessages);
}

TEST_F(SkinData, TheSkinIsClearWhileTheFormsHearBeforeChangeAndLoadedAtChange) {
  std::vector<std::pair<bool, int>> seen;  // Empty and the control count at each message
  screen.OnMessage = [&](const SentMessage&) { seen.emplace_back(data.Empty, data.CtrlList->Count()); };
  data.LoadFromFile(kTestSkinIni.string());
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(true, 0));
  EXPECT_EQ(seen[1], std::make_pair(false, 46));
  EXPECT_EQ(seen[2], std::make_pair(false, 46));
  // Before change comes before anything is cleared.
  seen.clear();
  data.LoadFromFile(kTestSkinIni.string());
  EXPECT_EQ(seen[0], std::make_pair(true, 46));
}

TEST_F(SkinData, ClearSkin) {
  EXPECT_FALSE(form.HandleAllocated());
  data.ClearSkin();
  EXPECT_TRUE(form.HandleAllocated());  // made to be sent to
  data.LoadFromFile(kTestSkinIni.string());
  screen.ClearSent();
  data.ClearSkin();
  EXPECT_EQ(Messages(), kLoadMessages);
  EXPECT_TRUE(data.Empty);
  EXPECT_TRUE(data.Picture->Empty());
  EXPECT_TRUE(data.InActivePicture->Empty());
  EXPECT_TRUE(data.Mask->Empty());
  EXPECT_EQ(data.ObjectList->Count(), 0);
  EXPECT_EQ(data.CtrlList->Count(), 0);
  EXPECT_EQ(data.ActivePictures->Count(), 0);
  EXPECT_EQ(data.ActivePictureNames->Count(), 0);
  EXPECT_EQ(data.PopupWindow->WindowPictureIndex, -1);
  EXPECT_EQ(data.PopupWindow->MaskPictureIndex, 2);  // only the window picture index is reset
  EXPECT_EQ(data.HintWindow->WindowPictureIndex, -1);
  EXPECT_EQ(data.SkinName, "");  // no skin shown, none named
  EXPECT_EQ(data.SkinComments, "");
}

// ---- Loads that find no skin, and loads that fail ----

TEST_F(SkinData, NoSkinLeavesTheComponentClearedAndStillTellsTheForms) {
  const std::string full = SkinText({}, {});
  const std::string missingControls = full.substr(0, full.find("[SKINCONTROLS]"));
  const std::string emptyControls = missingControls + "[SKINCONTROLS]\r\n";
  for (const std::string& text : { missingControls, emptyControls, std::string("not an ini file at all") }) {
    data.LoadFromFile(kTestSkinIni.string());
    screen.ClearSent();
    LoadText(text);
    EXPECT_EQ(Messages(), kLoadMessages);
    EXPECT_TRUE(data.Empty);
    EXPECT_EQ(data.CtrlList->Count(), 0);
    EXPECT_TRUE(data.Picture->Empty());
  }
  screen.ClearSent();
  data.LoadFromFile((dir / "no such file.ini").string());
  EXPECT_EQ(Messages(), kLoadMessages);
  EXPECT_TRUE(data.Empty);
  LoadText(SkinText({}, {}));
  EXPECT_FALSE(data.Empty);  // the five sections with one key each are a skin
}

TEST_F(SkinData, AFailedLoadClearsTellsTheFormsAndReports) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& ini)> spoil;
  } cases[] = {
    { "an active picture is missing", [](const fs::path& ini) { fs::remove(ini.parent_path() / "hint.bmp"); } },
    { "the mask is missing", [](const fs::path& ini) { fs::remove(ini.parent_path() / "mask.bmp"); } },
    { "a picture is no bitmap",
      [](const fs::path& ini) { WriteBytes(ini.parent_path() / "btns.bmp", "BMnot really"); } },
    { "a picture is cut short",
      [](const fs::path& ini) {
        const fs::path f = ini.parent_path() / "ctrl.bmp";
        WriteBytes(f, ReadBytes(f).substr(0, 100));
      } },
  };
  for (const Case& c : cases) {
    TempDir skin;
    const fs::path ini = CopyTestSkin(skin.Path());
    c.spoil(ini);
    data.LoadFromFile(kTestSkinIni.string());
    screen.ClearSent();
    EXPECT_THROW(data.LoadFromFile(ini.string()), Exception) << c.what;
    EXPECT_EQ(Messages(), kLoadMessages) << c.what;
    EXPECT_TRUE(data.Empty) << c.what;
    EXPECT_EQ(data.ObjectList->Count() + data.CtrlList->Count() + data.ActivePictures->Count(), 0) << c.what;
    EXPECT_TRUE(data.Picture->Empty()) << c.what;
    EXPECT_EQ(data.PictureName, "") << c.what;
  }
  // The error names the file, and a good skin loads afterwards.
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  fs::remove(skin / "hint.bmp");
  try {
    data.LoadFromFile(ini.string());
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("hint.bmp"), std::string::npos) << e.Message();
  }
  data.LoadFromFile(kTestSkinIni.string());
  EXPECT_FALSE(data.Empty);
}

TEST_F(SkinData, LastErrorSaysWhyTheLastLoadGaveNoSkin) {
  auto has = [](const AnsiString& text, const std::string& part) { return text.find(part) != AnsiString::npos; };
  const std::string missingFile = (dir / "no such file.ini").string();
  data.LoadFromFile(missingFile);
  EXPECT_TRUE(data.Empty);
  EXPECT_TRUE(has(data.LastError(), missingFile) && has(data.LastError(), "does not exist")) << data.LastError();
  data.LoadFromFile(dir.Path().string());  // a folder without a skin.ini is named as a folder
  EXPECT_TRUE(data.Empty);
  EXPECT_TRUE(has(data.LastError(), dir.Path().string() + " is a folder without a skin.ini")) << data.LastError();

  const std::string full = SkinText({}, {});
  LoadText(full.substr(0, full.find("[SKINCONTROLS]")));
  EXPECT_TRUE(data.Empty);
  EXPECT_TRUE(has(data.LastError(), "small.ini is not a skin") && has(data.LastError(), "[SKINCONTROLS]"))
      << data.LastError();

  // The folder of a skin stands for its skin.ini; a failed load then names no skin.
  data.LoadFromFile(kTestSkinIni.parent_path().string());
  EXPECT_FALSE(data.Empty) << data.LastError();
  EXPECT_EQ(data.SkinName, "Generated Test Skin");
  data.LoadFromFile(missingFile);
  EXPECT_EQ(data.SkinName, "");

  // A load that raises leaves its message, a good load none, and a stored skin is named.
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  fs::remove(skin / "hint.bmp");
  AnsiString raised;
  try {
    data.LoadFromFile(ini.string());
  } catch (const Exception& e) {
    raised = e.Message();
  }
  EXPECT_FALSE(raised.empty());
  EXPECT_EQ(data.LastError(), raised);
  data.LoadFromFile(kTestSkinIni.string());
  EXPECT_FALSE(data.Empty);
  EXPECT_EQ(data.LastError(), "");

  TbsStoredSkin stored(nullptr);
  stored.SetName("Blank");
  data.LoadStoredSkin(&stored);
  EXPECT_TRUE(data.Empty);
  EXPECT_TRUE(has(data.LastError(), "Blank is not a skin") && has(data.LastError(), "[VERSION]")) << data.LastError();
  data.ClearSkin();
  EXPECT_EQ(data.LastError(), "");
}

TEST_F(SkinData, AHandlerThatFailsStillGetsTheChangeCompleted) {
  bool thrown = false;
  screen.OnMessage = [&](const SentMessage& m) {
    if (m.msg == WM_SKINDATA_BEFORECHANGE && !thrown) {
      thrown = true;
      throw EAbort("handler failed");
    }
  };
  EXPECT_THROW(data.LoadFromFile(kTestSkinIni.string()), EAbort);
  EXPECT_EQ(Messages(), kLoadMessages);
  EXPECT_TRUE(data.Empty);
  data.LoadFromFile(kTestSkinIni.string());  // not left busy
  EXPECT_FALSE(data.Empty);
}

TEST_F(SkinData, ALoadInsideTheBroadcastIsRefused) {
  std::vector<std::string> refused;
  screen.OnMessage = [&](const SentMessage& m) {
    try {
      if (m.msg == WM_SKINDATA_BEFORECHANGE) data.LoadFromFile(kTestSkinIni.string());
      if (m.msg == WM_SKINDATA_CHANGE) data.ClearSkin();
    } catch (const EInvalidOperation& e) {
      refused.push_back(e.Message());
    }
  };
  data.LoadFromFile(kTestSkinIni.string());
  EXPECT_EQ(refused.size(), 2u);
  EXPECT_EQ(Messages(), kLoadMessages);
  EXPECT_FALSE(data.Empty);
  EXPECT_EQ(data.CtrlList->Count(), 46);
}

// ---- INI rules and record lists ----

TEST_F(SkinData, CaseHexLineEndsAndBlanksReadTheSame) {
  TbsSkinData base(nullptr);
  base.LoadFromFile(kTestSkinIni.string());
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  std::string text = ReadBytes(ini);
  auto replaceAll = [&](const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
      text.replace(at, from.size(), to);
  };
  replaceAll("[FORMINFO]", "[FormInfo]");
  replaceAll("clientrect=", " ClientRect = ");
  replaceAll("pictureindex=0\r\n", "PictureIndex=0x0\r\n");
  replaceAll("bgpictureindex=6", "bgpictureindex=$6");
  replaceAll("\r\n", "\n");
  // With a byte-order mark the text is UTF-8.
  WriteBytes(ini, "\xEF\xBB\xBF" + xj::GbkToUtf8(text));
  TbsSkinData varied(nullptr);
  varied.LoadFromFile(ini.string());
  base.SaveToFile((skin / "base.ini").string());
  varied.SaveToFile((skin / "varied.ini").string());
  EXPECT_EQ(ReadBytes(skin / "varied.ini"), ReadBytes(skin / "base.ini"));
  EXPECT_EQ(varied.BGPictureIndex, 6);
}

TEST_F(SkinData, RecordListEntries) {
  LoadText(SkinText({ "Btn:Button", "nocolon", "a:b:c", "Btn:button", "btn:button", "Btn:stdbutton", "" },
                    { "x:Panel", "p:panel", "p:memo" },
                    "[Btn]\r\nskinrect=1,2,3,4\r\ncommand=cmminimize\r\n[SKINOBJECTS]\r\n7=late:button\r\n"));
  // An unknown keyword (any other case, "b:c") creates nothing; a count above the entries present yields
  // empty entries, skipped the same way; the first occurrence of a section and of a key counts.
  ASSERT_EQ(data.ObjectList->Count(), 3);
  EXPECT_EQ(data.GetIndex("Btn"), 0);
  EXPECT_EQ(data.GetIndex("btn"), 1);
  EXPECT_EQ(data.GetIndex("late"), -1);
  EXPECT_EQ(static_cast<TObject*>(data.ObjectList->Items(2))->ClassName(), "TbsDataSkinStdButton");
  // "Btn" and "btn" are two records reading one section (section names ignore case).
  EXPECT_EQ(Object<TbsDataSkinButton>(data, "btn")->SkinRect, TRect(1, 2, 3, 4));
  EXPECT_EQ(static_cast<TbsDataSkinStdButton*>(data.ObjectList->Items(2))->Command, cmMinimize);
  ASSERT_EQ(data.CtrlList->Count(), 2);
  EXPECT_EQ(data.GetControlIndex("p"), 0);  // duplicates: the first
  EXPECT_EQ(static_cast<TObject*>(data.CtrlList->Items(1))->ClassName(), "TbsDataSkinMemoControl");

  // Lookups follow the lists as code changes them: records added, removed, swapped, renamed in place.
  data.CtrlList->Add(new TbsDataSkinCustomControl("added"));
  EXPECT_EQ(data.GetControlIndex("added"), 2);
  data.CtrlList->Exchange(0, 2);
  EXPECT_EQ(data.GetControlIndex("added"), 0);
  EXPECT_EQ(data.GetControlIndex("p"), 1);
  delete static_cast<TbsDataSkinControl*>(data.CtrlList->Items(0));
  data.CtrlList->Delete(0);
  EXPECT_EQ(data.GetControlIndex("added"), -1);
  EXPECT_EQ(data.GetControlIndex("p"), 0);
  static_cast<TbsDataSkinControl*>(data.CtrlList->Items(0))->IDName = "q";
  EXPECT_EQ(data.GetControlIndex("p"), 1);
  static_cast<TbsDataSkinControl*>(data.CtrlList->Items(1))->IDName = "q";
  EXPECT_EQ(data.GetControlIndex("p"), -1);
  EXPECT_EQ(data.GetIndex("btn"), 1);
  static_cast<TbsDataSkinObject*>(data.ObjectList->Items(1))->IDName = "Btn";
  static_cast<TbsDataSkinObject*>(data.ObjectList->Items(0))->IDName = "btn";
  EXPECT_EQ(data.GetIndex("btn"), 0);
  EXPECT_EQ(data.GetIndex("Btn"), 1);

  AnsiString id, type;
  TbsSkinData::GetObjectTypeName("a:b:c", id, type);
  EXPECT_EQ(id, "a");
  EXPECT_EQ(type, "b:c");
  TbsSkinData::GetObjectTypeName("nocolon", id, type);
  EXPECT_EQ(id, "");
  EXPECT_EQ(type, "");
}

TEST_F(SkinData, AbsurdCountsLoadNothing) {
  std::string text = SkinText({}, {}, "");
  text.replace(text.find("[SKINOBJECTS]\r\ncount=0"), 22, "[SKINOBJECTS]\r\ncount=2147483647");
  text.replace(text.find("activepicturescount=0"), 21, "activepicturescount=99999999");
  LoadText(text);
  EXPECT_FALSE(data.Empty);
  EXPECT_EQ(data.ObjectList->Count(), 0);
  EXPECT_EQ(data.ActivePictures->Count(), 0);
}

TEST_F(SkinData, KeySpellingsOfTheFormat) {
  LoadText(SkinText({ "b1:button", "b2:button", "m:mainmenubaritem" }, {},
                    "[b1]\r\ndisableskinrsect=1,1,5,5\r\n[b2]\r\ndisableskinrect=1,1,5,5\r\n"
                    "[m]\r\nunenabledfontcolor=123\r\n"));
  EXPECT_EQ(Object<TbsDataSkinButton>(data, "b1")->DisableSkinRect, TRect(1, 1, 5, 5));
  EXPECT_EQ(Object<TbsDataSkinButton>(data, "b2")->DisableSkinRect, TRect(0, 0, 0, 0));
  EXPECT_EQ(Object<TbsDataSkinMainMenuItem>(data, "m")->UnenabledFontColor, 123);
}

TEST_F(SkinData, EnumerationWords) {
  struct Case {
    const char* text;  // nullptr: no key
    TbsStdCommand command;
  } commands[] = { { "cmclose", cmClose },     { "cmmaximize", cmMaximize }, { "cmminimize", cmMinimize },
                   { "cmsysmenu", cmSysMenu }, { "cmdefault", cmDefault },   { "cmrollup", cmRollUp },
                   { nullptr, cmDefault },     { "cmClose", cmDefault },     { "cmhelp", cmDefault } };
  std::vector<std::string> entries;
  std::string sections;
  for (size_t i = 0; i < std::size(commands); ++i) {
    entries.push_back("c" + std::to_string(i) + ":stdbutton");
    sections += "[c" + std::to_string(i) + "]\r\nhint=x\r\n";
    if (commands[i].text) sections += std::string("command=") + commands[i].text + "\r\n";
  }
  entries.push_back("k1:button");
  entries.push_back("k2:button");
  sections += "[k1]\r\nmorphkind=mkPUSH\r\n[k2]\r\nmorphkind=mkrightslide\r\n";
  std::string text = WithFormInfo(SkinText(entries, {}, sections), "inactiveeffect=IENoise\r\n");
  LoadText(text);
  for (size_t i = 0; i < std::size(commands); ++i)
    EXPECT_EQ(Object<TbsDataSkinStdButton>(data, ("c" + std::to_string(i)).c_str())->Command, commands[i].command)
        << (commands[i].text ? commands[i].text : "(missing)");
  EXPECT_EQ(Object<TbsDataSkinButton>(data, "k1")->MorphKind, mkDefault);
  EXPECT_EQ(Object<TbsDataSkinButton>(data, "k2")->MorphKind, mkRightSlide);
  EXPECT_EQ(data.InActiveEffect, ieBrightness);

  // Written back in lower case, and read back the same.
  data.SaveToFile((dir / "saved.ini").string());
  TMemIniFile saved((dir / "saved.ini").string());
  EXPECT_EQ(saved.ReadString("c5", "command", ""), "cmrollup");
  EXPECT_EQ(saved.ReadString("c7", "command", ""), "cmdefault");
  EXPECT_EQ(saved.ReadString("k2", "morphkind", ""), "mkrightslide");
  EXPECT_EQ(saved.ReadString("FORMINFO", "inactiveeffect", ""), "iebrightness");

  text.replace(text.find("inactiveeffect=IENoise"), 22, "inactiveeffect=ienoise");
  LoadText(text);
  EXPECT_EQ(data.InActiveEffect, ieNoise);
}

TEST_F(SkinData, MalformedValuesGiveDefaultsAndTheLoadGoesOn) {
  LoadText(SkinText({}, { "b:button", "g:gauge", "n:bevel" },
                    "[b]\r\nskinrect=1,2,3\r\nclientrect=-5,0,10,10\r\npictureindex=abc\r\nlefttoppoint=\r\n"
                    "fontname=Later\r\nmorphing=2\r\n[g]\r\nvertical=2\r\nbeginoffset=0x10\r\nendoffset=$10\r\n"
                    "[n]\r\nlightcolor=-2147483633\r\ndarkcolor=0x80000010\r\n"));
  auto* b = Control<TbsDataSkinButtonControl>(data, "b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->SkinRect, TRect(0, 0, 0, 0));
  EXPECT_EQ(b->ClRect, TRect(-5, 0, 10, 10));  // the sign is kept
  EXPECT_EQ(b->PictureIndex, -1);
  EXPECT_EQ(b->LTPoint, TPoint(0, 0));
  EXPECT_EQ(b->FontName, "Later");  // keys after a bad one are still read
  EXPECT_FALSE(b->Morphing);
  auto* g = Control<TbsDataSkinGaugeControl>(data, "g");
  EXPECT_FALSE(g->Vertical);
  EXPECT_EQ(g->BeginOffset, 16);
  EXPECT_EQ(g->EndOffset, 16);
  auto* n = Control<TbsDataSkinBevel>(data, "n");
  EXPECT_EQ(n->LightColor, clBtnFace);
  EXPECT_EQ(n->DarkColor, clBtnShadow);
  // Negative coordinates survive a save and a load.
  data.SaveToFile((dir / "saved.ini").string());
  TbsSkinData again(nullptr);
  again.LoadFromFile((dir / "saved.ini").string());
  EXPECT_EQ(Control<TbsDataSkinButtonControl>(again, "b")->ClRect, TRect(-5, 0, 10, 10));
  EXPECT_EQ(Control<TbsDataSkinBevel>(again, "n")->LightColor, clBtnFace);
}

// ---- Load-time geometry ----

TEST_F(SkinData, CornerPointsArePulledOntoTheClientRectangle) {
  LoadText(WithFormInfo(SkinText({}, {}),
                        "clientrect=10,20,100,80\r\nlefttoppoint=5,5\r\nrighttoppoint=200,0\r\n"
                        "leftbottompoint=0,300\r\nrightbottompoint=120,90\r\n"));
  EXPECT_EQ(data.LTPoint, TPoint(10, 20));
  EXPECT_EQ(data.RTPoint, TPoint(100, 20));
  EXPECT_EQ(data.LBPoint, TPoint(10, 80));
  EXPECT_EQ(data.RBPoint, TPoint(100, 80));
  // A frame whose corner points share an X (or a Y) is left as it is.
  LoadText(WithFormInfo(SkinText({}, {}), "clientrect=10,20,100,80\r\nlefttoppoint=5,5\r\nrightbottompoint=5,90\r\n"));
  EXPECT_EQ(data.LTPoint, TPoint(5, 5));
  EXPECT_EQ(data.RBPoint, TPoint(5, 90));
}

TEST_F(SkinData, MaskAreaAndHitTestPointsFollowTheMask) {
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  const std::string formInfo =
      "[FORMINFO]\r\nlefttoppoint=40,40\r\nrighttoppoint=140,40\r\nleftbottompoint=40,90\r\nrightbottompoint=140,90\r\n"
      "clientrect=6,28,234,98\r\nhittestrighttoppoint=100,30\r\nhittestleftbottompoint=0,50\r\n";
  std::string text = ReadBytes(ini);
  const size_t at = text.find("[FORMINFO]");
  text.replace(at, text.find("[POPUPWINDOW]") - at, formInfo);
  WriteBytes(ini, text);
  data.LoadFromFile(ini.string());
  EXPECT_EQ(data.MaskRectArea, TRect(6, 28, 234, 98));  // absent: the client rectangle
  EXPECT_EQ(data.HitTestLTPoint, TPoint(40, 40));       // null: the corner point
  EXPECT_EQ(data.HitTestRTPoint, TPoint(100, 30));      // set: kept
  EXPECT_EQ(data.HitTestLBPoint, TPoint(40, 90));       // X 0 is null too
  EXPECT_EQ(data.HitTestRBPoint, TPoint(140, 90));

  ReplaceInFile(ini, "clientrect=6,28,234,98\r\n", "clientrect=6,28,234,98\r\nmaskrectarea=0,50,100,60\r\n");
  data.LoadFromFile(ini.string());
  EXPECT_EQ(data.MaskRectArea, TRect(0, 28, 234, 98));  // widened to hold the client rectangle

  // Without a mask nothing is adjusted.
  ReplaceInFile(ini, "mask=mask.bmp", "mask=");
  data.LoadFromFile(ini.string());
  EXPECT_EQ(data.MaskRectArea, TRect(0, 50, 100, 60));
  EXPECT_EQ(data.HitTestLTPoint, TPoint(0, 0));
  EXPECT_TRUE(data.Mask->Empty());
}

TEST_F(SkinData, AnEmptyPictureNameKeepsItsPlace) {
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  ReplaceInFile(ini, "3=hint.bmp", "3=");
  data.LoadFromFile(ini.string());
  ASSERT_EQ(data.ActivePictures->Count(), 9);
  EXPECT_TRUE(static_cast<TBitmap*>(data.ActivePictures->Items(3))->Empty());
  EXPECT_EQ(static_cast<TBitmap*>(data.ActivePictures->Items(4))->Width(), 48);  // hintmask.bmp
  EXPECT_EQ(data.ActivePictureNames->Strings(3), "");
}

// ---- Records on their own ----

TEST_F(SkinData, RecordDefaultsCreatedAndLoaded) {
  TbsDataSkinTreeView created("t");
  EXPECT_EQ(created.BGColor, clWhite);
  EXPECT_EQ(created.FontName, "宋体");
  EXPECT_EQ(created.FontHeight, 12);
  EXPECT_EQ(created.PictureIndex, -1);
  TbsDataSkinListBox list("l");
  EXPECT_EQ(list.VScrollBarName, "");
  TbsDataSkinHintWindow hint;
  EXPECT_EQ(hint.FontName, "宋体");

  LoadText(SkinText({}, { "t:treeview", "s:stdlabel", "l:listbox", "p:panel", "b:button", "v:bevel" },
                    "[t]\r\npictureindex=1\r\n[HINTWINDOW]\r\nfontcolor=5\r\n"));  // [v] does not exist
  auto* t = Control<TbsDataSkinTreeView>(data, "t");
  EXPECT_EQ(t->BGColor, 0);
  EXPECT_EQ(t->FontName, "Arial");
  EXPECT_EQ(t->FontHeight, 14);
  EXPECT_EQ(Control<TbsDataSkinStdLabelControl>(data, "s")->ActiveFontColor, 0xFF0000);
  auto* l = Control<TbsDataSkinListBox>(data, "l");
  EXPECT_EQ(l->VScrollBarName, "vscrollbar");
  EXPECT_EQ(l->HScrollBarName, "hscrollbar");
  EXPECT_EQ(l->BothHScrollBarName, "bothhscrollbar");
  EXPECT_EQ(l->CaptionFontName, "Arial");
  auto* p = Control<TbsDataSkinPanelControl>(data, "p");
  EXPECT_EQ(p->Alignment, taCenter);
  EXPECT_EQ(p->BGPictureIndex, -1);
  auto* b = Control<TbsDataSkinButtonControl>(data, "b");
  EXPECT_FALSE(b->Morphing);
  EXPECT_EQ(b->MorphKind, mkDefault);
  auto* v = Control<TbsDataSkinBevel>(data, "v");
  EXPECT_EQ(v->PictureIndex, -1);
  EXPECT_EQ(v->MaskPictureIndex, -1);
  EXPECT_EQ(v->SkinRect, TRect(0, 0, 0, 0));
  EXPECT_EQ(v->LightColor, 0);
  // A skin without [POPUPWINDOW] and with a [HINTWINDOW] lacking its font keys.
  EXPECT_EQ(data.HintWindow->FontName, "Arial");
  EXPECT_EQ(data.HintWindow->FontHeight, 14);
  EXPECT_EQ(data.HintWindow->FontColor, 5);
  EXPECT_EQ(data.PopupWindow->WindowPictureIndex, -1);
  EXPECT_EQ(data.PopupWindow->MaskPictureIndex, -1);
}

TEST_F(SkinData, RecordsThatReadOrWriteOnlySomeKeys) {
  LoadText(SkinText({ "u:userobject" }, { "ud:updown", "sp:splitter" },
                    "[u]\r\nhint=no\r\nactivepictureindex=3\r\nskinrect=1,2,3,4\r\n"
                    "[ud]\r\nlefttoppoint=5,5\r\nclientrect=1,1,10,10\r\nupbuttonrect=1,2,3,4\r\n"
                    "[sp]\r\nlefttoppoint=5,5\r\nclientrect=1,1,10,10\r\ntrackarea=1,1,2,2\r\n"));
  auto* u = Object<TbsDataUserObject>(data, "u");
  EXPECT_EQ(u->SkinRect, TRect(1, 2, 3, 4));
  EXPECT_EQ(u->Hint, "");
  EXPECT_EQ(u->ActivePictureIndex, -1);
  auto* ud = Control<TbsDataSkinUpDownControl>(data, "ud");
  EXPECT_EQ(ud->LTPoint, TPoint(0, 0));
  EXPECT_EQ(ud->ClRect, TRect(0, 0, 0, 0));
  EXPECT_EQ(ud->UpButtonRect, TRect(1, 2, 3, 4));
  auto* sp = Control<TbsDataSkinSplitterControl>(data, "sp");
  EXPECT_EQ(sp->LTPoint, TPoint(5, 5));
  EXPECT_EQ(sp->ClRect, TRect(1, 1, 10, 10));

  ud->LTPoint = TPoint(7, 7);  // a record changed after loading still writes no geometry
  data.SaveToFile((dir / "saved.ini").string());
  TMemIniFile saved((dir / "saved.ini").string());
  TStringList keys;
  saved.ReadSection("u", &keys);
  EXPECT_EQ(keys.Text(), "skinrect\r\n");
  EXPECT_EQ(saved.ReadString("ud", "lefttoppoint", ""), "0,0");
  EXPECT_EQ(saved.ReadString("ud", "clientrect", ""), "0,0,0,0");
  saved.ReadSection("sp", &keys);
  EXPECT_EQ(keys.Text(),
            "pictureindex\r\nmaskpictureindex\r\nskinrect\r\nlefttoppoint\r\nrighttoppoint\r\nleftbottompoint\r\n"
            "rightbottompoint\r\nclientrect\r\n");
}

TEST_F(SkinData, TheWriterNamesTheMostDerivedKeyword) {
  data.LoadFromFile(kTestSkinIni.string());
  data.SaveToFile((dir / "saved.ini").string());
  TMemIniFile saved((dir / "saved.ini").string());
  EXPECT_EQ(saved.ReadString("SKINOBJECTS", "9", ""), "mdiclose:mainmenubarbutton");
  EXPECT_EQ(saved.ReadString("SKINOBJECTS", "8", ""), "menubaritem:mainmenubaritem");
  EXPECT_EQ(saved.ReadString("SKINCONTROLS", "4", ""), "toolmenubutton:menubutton");
  EXPECT_EQ(saved.ReadString("SKINCONTROLS", "29", ""), "memo:memo");
  EXPECT_EQ(saved.ReadString("SKINCONTROLS", "31", ""), "checklistbox:checklistbox");
  // The check list box writes the list box keys first, then its own in their write order.
  TStringList keys;
  saved.ReadSection("checklistbox", &keys);
  ASSERT_GE(keys.Count(), 3);
  EXPECT_EQ(keys.Strings(keys.Count() - 3), "itemcheckrect");
  EXPECT_EQ(keys.Strings(keys.Count() - 2), "uncheckimagerect");
  EXPECT_EQ(keys.Strings(keys.Count() - 1), "checkimagerect");
  saved.ReadSection("combobox", &keys);
  EXPECT_EQ(keys.Strings(keys.Count() - 1), "listboxname");
}

// ---- Active pictures ----

TEST_F(SkinData, AddAndDeleteBitmaps) {
  data.AddBitMap((kTestSkinDir / "hint.bmp").string());
  data.AddBitMap((kTestSkinDir / "SUB" / "bg.BMP").string());  // found without regard to case
  data.AddBitMap((kTestSkinDir / "btns.bmp").string());
  ASSERT_EQ(data.ActivePictures->Count(), 3);
  EXPECT_EQ(data.ActivePictureNames->Strings(1), "bg.BMP");
  // A bitmap that does not load is not appended.
  EXPECT_THROW(data.AddBitMap((kTestSkinDir / "none.bmp").string()), Exception);
  EXPECT_EQ(data.ActivePictures->Count(), 3);
  EXPECT_EQ(data.ActivePictureNames->Count(), 3);

  data.DeleteBitMap(0);
  ASSERT_EQ(data.ActivePictures->Count(), 2);
  EXPECT_EQ(static_cast<TBitmap*>(data.ActivePictures->Items(0))->Width(), 16);  // the tile moved down
  EXPECT_EQ(data.ActivePictureNames->Strings(0), "bg.BMP");
  EXPECT_THROW(data.DeleteBitMap(2), EListError);
  EXPECT_THROW(data.DeleteBitMap(-1), EListError);
  EXPECT_EQ(data.ActivePictures->Count(), 2);
}

TEST_F(SkinData, EraseRecordSectionsWhenAsked) {
  data.EraseRecordSections = true;
  LoadText(SkinText({ "gone:button" }, { "kept:bevel" }, "[gone]\r\nhint=old\r\n"));
  EXPECT_EQ(data.RecordNames->Text(), "gone\r\nkept\r\n");
  const fs::path file = dir / "small.ini";
  // A record dropped from the list: its section goes only because its name was known.
  delete static_cast<TbsDataSkinObject*>(data.ObjectList->Items(0));
  data.ObjectList->Delete(0);
  data.SaveToFile(file.string());
  TMemIniFile saved(file.string());
  EXPECT_FALSE(saved.SectionExists("gone"));
  EXPECT_EQ(data.RecordNames->Text(), "kept\r\n");
}

TEST_F(SkinData, SaveFailuresAreReportedAndLeaveNothingBehind) {
  data.LoadFromFile(kTestSkinIni.string());
  EXPECT_THROW(data.SaveToFile((dir / "missing dir" / "skin.ini").string()), EIniFileException);
  fs::create_directory(dir / "a directory");
  EXPECT_THROW(data.SaveToFile((dir / "a directory").string()), EIniFileException);
  EXPECT_TRUE(fs::is_directory(dir / "a directory"));
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 0u);  // no temporary file left
}

TEST_F(SkinData, BackslashesInPictureNames) {
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  ReplaceInFile(ini, "picture=frame.bmp", "picture=sub\\..\\FRAME.BMP");
  data.LoadFromFile(ini.string());
  EXPECT_FALSE(data.Empty);
  EXPECT_EQ(data.Picture->Width(), 240);
}

}  // namespace
