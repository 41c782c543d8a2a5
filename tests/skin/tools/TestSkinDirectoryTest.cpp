// Independent checks of the generated test skin directory: the INI file holds every section, record
// class and key the skin format knows, under the names the controls look up; every picture it names is
// a valid BMP; every rectangle lies where its key says and its pixels carry the colour code of its
// record and key.
#include "SkinFiles.h"
#include "tools/mkskin/SkinColours.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <sstream>

using namespace skintest;

namespace {

const std::filesystem::path kSkinDir = std::filesystem::path(XJ_TEST_SKIN_DIR) / "test";

// ---------------------------------------------------------------------------------------------------
// The skin format as this test knows it: keys of every record class in the order a skin is saved.

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

const std::string kObj = "hint activepictureindex skinrectinapicture skinrect activeskinrect morphing morphkind ";
const std::string kFont = "fontname fontheight fontstyle fontcolor ";
const std::string kCtrl = "pictureindex maskpictureindex skinrect ";
const std::string kCustom = kCtrl + "lefttoppoint righttoppoint leftbottompoint rightbottompoint clientrect ";
const std::string kUpDown =
    "upbuttonrect activeupbuttonrect downupbuttonrect downbuttonrect activedownbuttonrect "
    "downdownbuttonrect ";
const std::string kStdButton = kObj +
                               "downrect disableskinrsect command restorerect restoreactiverect "
                               "restoredownrect restoreinactiverect";
const std::string kButton = kCustom + kFont +
                            "activefontcolor downfontcolor disabledfontcolor activeskinrect downskinrect "
                            "disabledskinrect morphing morphkind ";
const std::string kEdit = kCustom + "activeskinrect " + kFont +
                          "disabledfontcolor activefontcolor buttonrect activebuttonrect downbuttonrect ";
const std::string kListBox = kCustom +
                             "itemrect activeitemrect focusitemrect itemleftoffset itemrightoffset "
                             "itemtextrect " +
                             kFont +
                             "activefontcolor focusfontcolor captionrect "
                             "captionfontname captionfontheight captionfontstyle captionfontcolor " +
                             kUpDown +
                             "checkbuttonrect activecheckbuttonrect downcheckbuttonrect vscrollbarname "
                             "hscrollbarname bothhscrollbarname ";
std::string Buttons(const std::string& name) { return name + "rect " + name + "activerect " + name + "downrect "; }

const std::map<std::string, std::string> kObjectKeys = {
  { "userobject", "skinrect" },
  { "button", kObj + "downrect disableskinrsect" },
  { "stdbutton", kStdButton },
  { "mainmenubarbutton", kStdButton },
  { "menuitem", kObj + "itemleftoffset itemrightoffset dividerrect dividerleftoffset dividerrightoffset textrect " +
                    kFont + "activefontcolor unenabledfontcolor" },
  { "mainmenubaritem", kObj + "itemleftoffset itemrightoffset downrect textrect " + kFont +
                           "activefontcolor downfontcolor unenabledfontColor" },
  { "caption", kObj + "textrect " + kFont +
                   "activefontcolor alignment shadow shadowcolor activeshadowcolor "
                   "framerect activeframerect frametextrect frameleftoffset framerightoffset" },
};

const std::map<std::string, std::string> kControlKeys = {
  { "panel", kCustom + "bgpictureindex captionrect rollupmarkerrect restoremarkerrect alignment " + kFont +
                 "checkimagerect uncheckimagerect" },
  { "expanel", kCustom +
                   "rollhskinrect rollvskinrect rollleftoffset rollrightoffset rolltopoffset "
                   "rollbottomoffset rollvcaptionrect rollhcaptionrect " +
                   Buttons("closebutton") + Buttons("hrollbutton") + Buttons("hrestorebutton") +
                   Buttons("vrollbutton") + Buttons("vrestorebutton") + "captionrect " + kFont },
  { "menubutton", kButton + "trackbuttonrect" },
  { "button", kButton },
  { "checkradio", kCustom + kFont +
                      "framefontcolor activefontcolor unenabledfontcolor activeskinrect "
                      "checkimagearea textarea checkimagerect uncheckimagerect activecheckimagerect "
                      "activeuncheckimagerect unenabledcheckimagerect unenableduncheckimagerect "
                      "morphing morphkind" },
  { "gauge", kCustom + "progressarea progressrect beginoffset endoffset vertical " + kFont },
  { "splitter", kCustom },
  { "trackbar", kCustom + "trackarea buttonrect activebuttonrect vertical" },
  { "label", kCustom + kFont },
  { "stdlabel", kCtrl + kFont + "activefontcolor" },
  { "updown", kCustom + kUpDown },
  { "grid", kCtrl +
                "fixedcellrect selectcellrect focuscellrect fixedcellleftoffset fixedcellrightoffset "
                "fixedcelltextrect cellleftoffset cellrightoffset celltextrect linescolor bgcolor " +
                kFont + "selectfontcolor focusfontcolor fixedfontname fixedfontheight fixedfontstyle fixedfontcolor" },
  { "tab", kCtrl +
               "tabrect activetabrect focustabrect mouseintabrect clientrect bgpictureindex lefttoppoint "
               "righttoppoint leftbottompoint rightbottompoint tableftoffset tabrightoffset tabsbgrect " +
               kFont + "activefontcolor focusfontcolor mouseinfontcolor updown" },
  { "mainmenubar", kCtrl + "itemsrect menubaritem closebutton minbutton maxbutton sysmenubutton trackmarkcolor "
                           "trackmarkactivecolor" },
  { "controlbar", kCustom + "itemrect bgpictureindex" },
  { "memo", kEdit + "bgcolor activebgcolor" },
  { "edit", kEdit },
  { "checklistbox", kListBox + "itemcheckrect uncheckimagerect checkimagerect" },
  { "listbox", kListBox },
  { "combobox", kCustom + "itemrect focusitemrect itemleftoffset itemrightoffset itemtextrect " + kFont +
                    "focusfontcolor buttonrect activebuttonrect downbuttonrect unenabledbuttonrect listboxname" },
  { "scrollbar", kCustom + "trackarea " + kUpDown +
                     "thumbrect activethumbrect downthumbrect thumboffset1 thumboffset2 glyphrect activeglyphrect "
                     "downglyphrect" },
  { "spinedit", kCustom + kFont + kUpDown },
  { "scrollbox", kCustom + "bgpictureindex" },
  { "treeview", kCtrl + kFont + "bgcolor" },
  { "bevel", kCtrl + "lightcolor darkcolor" },
  { "slider", kCtrl + "bgcolor hrulerrect hthumbrect vrulerrect vthumbrect edgesize pointscolor" },
  { "listview", kCtrl + kFont + "bgcolor" },
  { "richedit", kCtrl + kFont + "bgcolor" },
};

// The skin object names the skinned controls look up by default, each with the record class it accepts
// ("name:class").
const char* const kDefaultNames =
    "button:button resizebutton:button toolbutton:button bigtoolbutton:button toolmenubutton:menubutton "
    "bigtoolmenubutton:menubutton toolmenutrackbutton:menubutton bigtoolmenutrackbutton:menubutton "
    "panel:panel groupbox:panel toolpanel:panel bigtoolpanel:panel statusbar:panel statuspanel:label "
    "label:label expanel:expanel checkbox:checkradio radiobox:checkradio gauge:gauge vgauge:gauge "
    "htrackbar:trackbar trackbar:trackbar hscrollbar:scrollbar vscrollbar:scrollbar bothhscrollbar:scrollbar "
    "hupdown:updown vupdown:updown edit:edit buttonedit:edit memo:memo listbox:listbox "
    "checklistbox:checklistbox combobox:combobox spinedit:spinedit scrollbox:scrollbox tab:tab "
    "mainmenubar:mainmenubar controlbar:controlbar treeview:treeview listview:listview richedit:richedit "
    "slider:slider stdlabel:stdlabel vsplitter:splitter bevel:bevel";

// Rectangles that are positions inside another rectangle of the record, not pictures; the value
// names the rectangle they are relative to.
std::optional<std::string> RelativeTo(const std::string& keyword, const std::string& key) {
  static const std::map<std::string, std::map<std::string, std::string>> relative = {
    { "caption", { { "textrect", "skinrect" }, { "frametextrect", "framerect" } } },
    { "menuitem", { { "textrect", "skinrect" } } },
    { "mainmenubaritem", { { "textrect", "skinrect" } } },
    { "menubutton", { { "trackbuttonrect", "skinrect" } } },
    { "checkradio", { { "checkimagearea", "skinrect" }, { "textarea", "skinrect" } } },
    { "gauge", { { "progressarea", "skinrect" } } },
    { "trackbar", { { "trackarea", "skinrect" } } },
    { "scrollbar", { { "trackarea", "skinrect" }, { "upbuttonrect", "skinrect" }, { "downbuttonrect", "skinrect" } } },
    { "updown", { { "upbuttonrect", "skinrect" }, { "downbuttonrect", "skinrect" } } },
    { "spinedit", { { "upbuttonrect", "skinrect" }, { "downbuttonrect", "skinrect" } } },
    { "edit", { { "buttonrect", "skinrect" } } },
    { "memo", { { "buttonrect", "skinrect" } } },
    { "combobox", { { "buttonrect", "skinrect" }, { "itemtextrect", "itemrect" } } },
    { "listbox",
      { { "captionrect", "skinrect" },
        { "upbuttonrect", "skinrect" },
        { "downbuttonrect", "skinrect" },
        { "checkbuttonrect", "skinrect" },
        { "itemtextrect", "itemrect" } } },
    { "checklistbox",
      { { "captionrect", "skinrect" },
        { "upbuttonrect", "skinrect" },
        { "downbuttonrect", "skinrect" },
        { "checkbuttonrect", "skinrect" },
        { "itemtextrect", "itemrect" },
        { "itemcheckrect", "itemrect" } } },
    { "panel", { { "captionrect", "skinrect" }, { "rollupmarkerrect", "skinrect" } } },
    { "expanel",
      { { "captionrect", "skinrect" },
        { "rollvcaptionrect", "rollvskinrect" },
        { "rollhcaptionrect", "rollhskinrect" } } },
    { "mainmenubar", { { "itemsrect", "skinrect" } } },
    { "grid", { { "fixedcelltextrect", "fixedcellrect" }, { "celltextrect", "selectcellrect" } } },
  };
  if (key == "clientrect") return "skinrect";
  auto cls = relative.find(keyword);
  if (cls == relative.end()) return std::nullopt;
  auto it = cls->second.find(key);
  if (it == cls->second.end()) return std::nullopt;
  return it->second;
}

// Another look of the same element is a picture of the same size: "activeupbuttonrect" of
// "upbuttonrect", "closebuttondownrect" of "closebuttonrect", the states of a face of "skinrect".
std::optional<std::string> SameSizeAs(const Ini& ini, const std::string& section, const std::string& key) {
  static const std::set<std::string> faceStates = { "activeskinrect",    "downskinrect",     "disabledskinrect",
                                                    "downrect",          "disableskinrsect", "restorerect",
                                                    "restoreactiverect", "restoredownrect",  "restoreinactiverect" };
  if (faceStates.count(key)) return "skinrect";
  for (const char* suffix : { "activerect", "downrect" }) {
    std::string s = suffix;
    if (key.size() > s.size() + 6 && key.ends_with("button" + s)) return key.substr(0, key.size() - s.size()) + "rect";
  }
  for (const char* prefix : { "active", "down", "focus", "unenabled", "mousein" }) {
    std::string p = prefix;
    if (key.starts_with(p) && ini.Value(section, key.substr(p.size()))) return key.substr(p.size());
  }
  return std::nullopt;
}

enum class ValueKind { Rect, Point, Colour, Bool, Int, Str, FontStyle, Alignment, MorphKind, Command, Effect };

ValueKind KindOf(const std::string& key) {
  static const std::set<std::string> bools = { "morphing",
                                               "vertical",
                                               "shadow",
                                               "skinrectinapicture",
                                               "buttonsinleft",
                                               "mainmenupopupup",
                                               "autorenderinginactiveimage" };
  static const std::set<std::string> strings = { "hint",       "menubaritem",   "closebutton", "minbutton",
                                                 "maxbutton",  "sysmenubutton", "updown",      "skinname",
                                                 "skinauthor", "authoremail",   "authorurl",   "skincomments" };
  std::string k = key;
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (k.ends_with("rect") || k.ends_with("area") || k == "disableskinrsect") return ValueKind::Rect;
  if (k.ends_with("point")) return ValueKind::Point;
  if (k.ends_with("color")) return ValueKind::Colour;
  if (k.ends_with("fontstyle")) return ValueKind::FontStyle;
  if (k.ends_with("fontname") || k.ends_with("name") || strings.count(k)) return ValueKind::Str;
  if (bools.count(k)) return ValueKind::Bool;
  if (k == "alignment") return ValueKind::Alignment;
  if (k == "morphkind") return ValueKind::MorphKind;
  if (k == "command") return ValueKind::Command;
  if (k == "inactiveeffect") return ValueKind::Effect;
  return ValueKind::Int;
}

bool WellFormed(ValueKind kind, const std::string& v) {
  auto oneOf = [&](std::initializer_list<const char*> words) {
    for (const char* w : words)
      if (v == w) return true;
    return false;
  };
  switch (kind) {
    case ValueKind::Rect:
      return ParseRect(v).has_value();
    case ValueKind::Point:
      return ParsePoint(v).has_value();
    case ValueKind::Colour:
    case ValueKind::Int:
      return ParseInt(v).has_value();
    case ValueKind::Bool:
      return v == "0" || v == "1";
    case ValueKind::Str:
      return true;
    case ValueKind::FontStyle: {
      // the writer's form: the words present, in this order, joined by single commas
      std::string expect;
      for (const char* w : { "fsbold", "fsitalic", "fsunderline", "fsstrikeout" })
        if (v.find(w) != std::string::npos) expect += (expect.empty() ? "" : ",") + std::string(w);
      return v == expect;
    }
    case ValueKind::Alignment:
      return oneOf({ "tacenter", "taleftjustify", "tarightjustify" });
    case ValueKind::MorphKind:
      return oneOf(
          { "mkdefault", "mkgradient", "mkleftgradient", "mkrightgradient", "mkleftslide", "mkrightslide", "mkpush" });
    case ValueKind::Command:
      return oneOf({ "cmclose", "cmmaximize", "cmminimize", "cmsysmenu", "cmdefault", "cmrollup" });
    case ValueKind::Effect:
      return oneOf({ "iebrightness", "iedarkness", "iegrayscale", "ienoise", "iesplitblur", "ieinvert" });
  }
  return false;
}

struct Record {
  std::string name;
  std::string keyword;
  uint8_t owner;
  bool object;
};

// The frame band a pixel of the frame picture belongs to: the bands around the client rectangle, top
// and bottom over the full width, cut by the corner points.
uint8_t FrameBand(const Rect& cl, Point lt, Point rt, Point lb, Point rb, int x, int y) {
  using namespace mkskin;
  if (y < cl.t) return x < lt.x ? kFrameTopLeft : x < rt.x ? kFrameTop : kFrameTopRight;
  if (y >= cl.b) return x < lb.x ? kFrameBottomLeft : x < rb.x ? kFrameBottom : kFrameBottomRight;
  if (x < cl.l) return y < lt.y ? kFrameLeftTop : y < lb.y ? kFrameLeft : kFrameLeftBottom;
  if (x >= cl.r) return y < rt.y ? kFrameRightTop : y < rb.y ? kFrameRight : kFrameRightBottom;
  return kFrameClient;
}

std::string Hex(uint32_t v) {
  std::ostringstream s;
  s << "0x" << std::hex << v;
  return s.str();
}

class TestSkinDirectory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto bytes = ReadFile(kSkinDir / "skin.ini");
    iniText_ = new std::string(bytes.begin(), bytes.end());
    ini_ = new Ini(ParseIni(*iniText_));
    pictures_ = new std::map<std::string, Bitmap>;
  }
  static void TearDownTestSuite() {
    delete iniText_;
    delete ini_;
    delete pictures_;
  }

  const Ini& ini() const { return *ini_; }

  std::vector<Record> Records() const {
    std::vector<Record> records;
    for (bool object : { true, false }) {
      const char* list = object ? "SKINOBJECTS" : "SKINCONTROLS";
      int count = static_cast<int>(ParseInt(ini().Get(list, "count")).value_or(0));
      for (int i = 0; i < count; ++i) {
        std::string entry = ini().Get(list, std::to_string(i));
        size_t colon = entry.find(':');
        records.push_back({ entry.substr(0, colon), colon == std::string::npos ? "" : entry.substr(colon + 1),
                            object ? mkskin::ObjectOwner(i) : mkskin::ControlOwner(i), object });
      }
    }
    return records;
  }

  // The picture an INI name refers to, decoded once.
  const Bitmap* PictureNamed(const std::string& name) const {
    auto cached = pictures_->find(name);
    if (cached != pictures_->end()) return &cached->second;
    auto path = FindSkinFile(kSkinDir, name);
    if (!path) return nullptr;
    auto [bmp, error] = DecodeBmp(ReadFile(*path));
    if (!bmp) return nullptr;
    return &pictures_->emplace(name, std::move(*bmp)).first->second;
  }

  const Bitmap* ActivePicture(int index) const {
    if (index < 0) return nullptr;
    return PictureNamed(ini().Get("PICTURES", std::to_string(index)));
  }

  Rect RectOf(const std::string& section, const std::string& key) const {
    return ParseRect(ini().Get(section, key)).value_or(Rect {});
  }

  Point PointOf(const std::string& section, const std::string& key) const {
    return ParsePoint(ini().Get(section, key)).value_or(Point {});
  }

  int IntOf(const std::string& section, const std::string& key) const {
    return static_cast<int>(ParseInt(ini().Get(section, key)).value_or(-999));
  }

  // The picture a record's rectangle lies in: the frame for the face of an object drawn as part of the
  // frame, else the record's picture.
  const Bitmap* PictureOfRect(const Record& rec, const std::string& key) const {
    static const std::set<std::string> framed = { "caption", "stdbutton", "button", "userobject" };
    if (rec.object) {
      if (key == "skinrect" && framed.count(rec.keyword) && ini().Get(rec.name, "skinrectinapicture") != "1")
        return PictureNamed(ini().Get("PICTURES", "picture"));
      return ActivePicture(IntOf(rec.name, "activepictureindex"));
    }
    return ActivePicture(IntOf(rec.name, "pictureindex"));
  }

  // Every pixel of `r` carries (owner, key, position); the pixels just outside it do not.
  void ExpectPainted(const Bitmap& pic, const Rect& r, uint8_t owner, uint8_t code, const std::string& what) const {
    ASSERT_TRUE(r.l >= 0 && r.t >= 0 && r.r <= pic.width && r.b <= pic.height && r.Width() > 0 && r.Height() > 0)
        << what << " lies outside its " << pic.width << "x" << pic.height << " picture";
    int wrong = 0;
    for (int y = r.t; y < r.b; ++y)
      for (int x = r.l; x < r.r; ++x)
        if (pic.At(x, y) != mkskin::PixelCode(owner, code, x - r.l, y - r.t)) ++wrong;
    EXPECT_EQ(wrong, 0) << what << ": pixels without the rectangle's code, e.g. " << Hex(pic.At(r.l, r.t));
    auto outside = [&](int x, int y) {
      if (x < 0 || y < 0 || x >= pic.width || y >= pic.height) return;
      auto d = mkskin::DecodePixel(pic.At(x, y));
      EXPECT_FALSE(d.owner == owner && d.code == code) << what << ": the code spills over to (" << x << "," << y << ")";
    };
    outside(r.l - 1, r.t + r.Height() / 2);
    outside(r.r, r.t + r.Height() / 2);
    outside(r.l + r.Width() / 2, r.t - 1);
    outside(r.l + r.Width() / 2, r.b);
  }

  static std::string* iniText_;
  static Ini* ini_;
  static std::map<std::string, Bitmap>* pictures_;
};

std::string* TestSkinDirectory::iniText_ = nullptr;
Ini* TestSkinDirectory::ini_ = nullptr;
std::map<std::string, Bitmap>* TestSkinDirectory::pictures_ = nullptr;

// ---------------------------------------------------------------------------------------------------

TEST_F(TestSkinDirectory, IniTextIsPlainCrLfLines) {
  ASSERT_FALSE(iniText_->empty());
  EXPECT_TRUE(iniText_->ends_with("\r\n"));
  size_t lines = 0;
  for (size_t i = 0; i < iniText_->size(); ++i) {
    if ((*iniText_)[i] == '\n') {
      ++lines;
      EXPECT_TRUE(i > 0 && (*iniText_)[i - 1] == '\r') << "bare LF at byte " << i;
    }
  }
  size_t keyLines = 0;
  for (const auto& s : ini().sections) keyLines += s.keys.size() + 1;
  EXPECT_EQ(lines, keyLines) << "every line is a section header or a key";
  EXPECT_EQ(iniText_->find(" ="), std::string::npos);
  EXPECT_EQ(iniText_->find("= "), std::string::npos);
}

TEST_F(TestSkinDirectory, GlobalSectionsAreCompleteAndSectionsUnique) {
  const std::map<std::string, std::string> global = {
    { "VERSION", "ver skinname skinauthor authoremail authorurl skincomments" },
    { "FORMINFO",
      "lefttoppoint righttoppoint leftbottompoint rightbottompoint clientrect bgpictureindex "
      "maskrectarea hittestlefttoppoint hittestrighttoppoint hittestleftbottompoint "
      "hittestrightbottompoint buttonsrect captionrect buttonsoffset buttonsinleft mainmenupopupup "
      "borderwidth autorenderinginactiveimage inactiveeffect" },
    { "POPUPWINDOW",
      "windowpictureindex maskpictureindex lefttoppoint righttoppoint leftbottompoint "
      "rightbottompoint itemsrect scrollmarkercolor scrollmarkeractivecolor" },
    { "HINTWINDOW",
      "windowpictureindex maskpictureindex lefttoppoint righttoppoint leftbottompoint "
      "rightbottompoint clientrect fontname fontheight fontstyle fontcolor" },
  };
  for (const auto& [name, keys] : global) {
    const Ini::Section* s = ini().Find(name);
    ASSERT_NE(s, nullptr) << name;
    std::vector<std::string> got;
    for (const auto& kv : s->keys) got.push_back(kv.first);
    EXPECT_EQ(got, Words(keys)) << name;
    for (const auto& [key, value] : s->keys)
      EXPECT_TRUE(WellFormed(KindOf(key), value)) << "[" << name << "] " << key << "=" << value;
  }
  EXPECT_EQ(ini().Get("VERSION", "ver"), "1");
  EXPECT_EQ(ini().Get("VERSION", "skincomments").substr(0, 8), "测试皮肤") << "GBK text";

  std::set<std::string> names;
  for (const auto& s : ini().sections) {
    std::string lower = s.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(names.insert(lower).second) << "section [" << s.name << "] twice";
  }
}

TEST_F(TestSkinDirectory, EveryRecordClassIsPresentWithEveryKeyInSaveOrder) {
  auto records = Records();
  std::set<std::string> objectKinds, controlKinds;
  for (const Record& rec : records) {
    const auto& table = rec.object ? kObjectKeys : kControlKeys;
    auto cls = table.find(rec.keyword);
    ASSERT_NE(cls, table.end()) << rec.name << ":" << rec.keyword << " is no keyword";
    (rec.object ? objectKinds : controlKinds).insert(rec.keyword);
    const Ini::Section* s = ini().Find(rec.name);
    ASSERT_NE(s, nullptr) << "no section for " << rec.name;
    std::vector<std::string> got;
    for (const auto& kv : s->keys) got.push_back(kv.first);
    EXPECT_EQ(got, Words(cls->second)) << "[" << rec.name << "] of class " << rec.keyword;
    for (const auto& [key, value] : s->keys)
      EXPECT_TRUE(WellFormed(KindOf(key), value)) << "[" << rec.name << "] " << key << "=" << value;
  }
  EXPECT_EQ(objectKinds.size(), kObjectKeys.size()) << "every skin object class";
  EXPECT_EQ(controlKinds.size(), kControlKeys.size()) << "every control record class";
  std::set<std::string> names;
  for (const Record& rec : records) EXPECT_TRUE(names.insert(rec.name).second) << rec.name << " twice";
}

TEST_F(TestSkinDirectory, ControlsFindTheirDefaultRecordsOfTheClassTheyAccept) {
  std::map<std::string, std::string> controls;
  for (const Record& rec : Records())
    if (!rec.object) controls.emplace(rec.name, rec.keyword);
  for (const std::string& entry : Words(kDefaultNames)) {
    const std::string name = entry.substr(0, entry.find(':')), keyword = entry.substr(entry.find(':') + 1);
    auto it = controls.find(name);
    ASSERT_NE(it, controls.end()) << "no control record \"" << name << "\"";
    EXPECT_EQ(it->second, keyword) << name;
  }
  // vertical names carry vertical records
  EXPECT_EQ(ini().Get("vgauge", "vertical"), "1");
  EXPECT_EQ(ini().Get("gauge", "vertical"), "0");
  EXPECT_EQ(ini().Get("trackbar", "vertical"), "1");
  EXPECT_EQ(ini().Get("htrackbar", "vertical"), "0");
  for (const char* v : { "vgauge", "trackbar", "vscrollbar", "vsplitter", "vupdown" })
    EXPECT_GT(RectOf(v, "skinrect").Height(), RectOf(v, "skinrect").Width()) << v;
  for (const char* h : { "gauge", "htrackbar", "hscrollbar", "bothhscrollbar", "hupdown" })
    EXPECT_GT(RectOf(h, "skinrect").Width(), RectOf(h, "skinrect").Height()) << h;
}

TEST_F(TestSkinDirectory, RecordsNamedByOtherRecordsExistWithTheRightClass) {
  std::map<std::string, Record> byName;
  for (const Record& rec : Records()) byName.emplace(rec.name, rec);
  auto expectRecord = [&](const std::string& section, const std::string& key, std::set<std::string> keywords,
                          bool object) {
    std::string name = ini().Get(section, key);
    auto it = byName.find(name);
    ASSERT_NE(it, byName.end()) << "[" << section << "] " << key << " names no record: \"" << name << "\"";
    EXPECT_EQ(it->second.object, object) << name;
    EXPECT_TRUE(keywords.count(it->second.keyword)) << name << " is a " << it->second.keyword;
  };
  expectRecord("mainmenubar", "menubaritem", { "mainmenubaritem" }, true);
  const std::pair<const char*, const char*> buttons[] = { { "closebutton", "cmclose" },
                                                          { "minbutton", "cmminimize" },
                                                          { "maxbutton", "cmmaximize" },
                                                          { "sysmenubutton", "cmsysmenu" } };
  for (auto [key, command] : buttons) {
    expectRecord("mainmenubar", key, { "mainmenubarbutton" }, true);
    EXPECT_EQ(ini().Get(ini().Get("mainmenubar", key), "command"), command) << key;
  }
  expectRecord("combobox", "listboxname", { "listbox", "checklistbox" }, false);
  expectRecord("tab", "updown", { "updown" }, false);
  for (const char* lb : { "listbox", "checklistbox" })
    for (const char* key : { "vscrollbarname", "hscrollbarname", "bothhscrollbarname" })
      expectRecord(lb, key, { "scrollbar" }, false);

  // the frame has one standard button per command, and the popup menus find a menu item
  std::multiset<std::string> commands;
  for (const Record& rec : Records())
    if (rec.keyword == "stdbutton") commands.insert(ini().Get(rec.name, "command"));
  for (const char* c : { "cmclose", "cmmaximize", "cmminimize", "cmsysmenu", "cmrollup" })
    EXPECT_EQ(commands.count(c), 1u) << c;
  bool menuItem = false;
  for (const Record& rec : Records()) menuItem |= rec.keyword == "menuitem";
  EXPECT_TRUE(menuItem);
}

TEST_F(TestSkinDirectory, EveryPictureNamedIsAValidBitmap) {
  std::vector<std::string> names = { ini().Get("PICTURES", "picture"), ini().Get("PICTURES", "inactivepicture"),
                                     ini().Get("PICTURES", "mask") };
  int count = IntOf("PICTURES", "activepicturescount");
  ASSERT_GT(count, 0);
  for (int i = 0; i < count; ++i) names.push_back(ini().Get("PICTURES", std::to_string(i)));
  std::set<int> depths;
  bool backslash = false, caseDiffers = false;
  for (const std::string& name : names) {
    ASSERT_FALSE(name.empty());
    auto path = FindSkinFile(kSkinDir, name);
    ASSERT_TRUE(path.has_value()) << "no file for " << name;
    auto [bmp, error] = DecodeBmp(ReadFile(*path));
    ASSERT_TRUE(bmp.has_value()) << name << ": " << error;
    depths.insert(bmp->bitsPerPixel);
    backslash |= name.find('\\') != std::string::npos;
    caseDiffers |= path->lexically_relative(kSkinDir).string() != name && name.find('\\') == std::string::npos;
  }
  EXPECT_EQ(depths, (std::set<int> { 1, 8, 24 })) << "the skin exercises every bit depth a reader must take";
  EXPECT_TRUE(backslash) << "one picture lies in a subdirectory written with \"\\\"";
  EXPECT_TRUE(caseDiffers) << "one picture's file differs in letter case from its INI name";
}

TEST_F(TestSkinDirectory, PictureIndexesAreInRange) {
  int count = IntOf("PICTURES", "activepicturescount");
  for (const auto& s : ini().sections) {
    for (const auto& [key, value] : s.keys) {
      if (!key.ends_with("pictureindex")) continue;
      auto v = ParseInt(value);
      ASSERT_TRUE(v.has_value()) << s.name << " " << key;
      EXPECT_TRUE(*v >= -1 && *v < count) << "[" << s.name << "] " << key << "=" << value;
    }
  }
  for (const Record& rec : Records()) {
    if (rec.keyword == "userobject") continue;
    EXPECT_GE(IntOf(rec.name, rec.object ? "activepictureindex" : "pictureindex"), 0) << rec.name;
  }
}

TEST_F(TestSkinDirectory, RecordRectanglesLieInTheirPicturesAndCarryTheirCode) {
  for (const Record& rec : Records()) {
    const Ini::Section* s = ini().Find(rec.name);
    ASSERT_NE(s, nullptr);
    for (const auto& [key, value] : s->keys) {
      if (KindOf(key) != ValueKind::Rect) continue;
      const std::string what = "[" + rec.name + "] " + key + "=" + value;
      auto parsed = ParseRect(value);
      ASSERT_TRUE(parsed.has_value()) << what;
      Rect r = *parsed;
      if (auto ref = RelativeTo(rec.keyword, key)) {
        if (rec.keyword == "updown" && key == "clientrect") {
          EXPECT_EQ(r, Rect {}) << what << ": an up-down carries no client rectangle";
          continue;
        }
        Rect outer = RectOf(rec.name, *ref);
        EXPECT_TRUE(r.l >= 0 && r.t >= 0 && r.r <= outer.Width() && r.b <= outer.Height() && r.Width() > 0 &&
                    r.Height() > 0)
            << what << " is not inside its " << *ref << " " << outer.Width() << "x" << outer.Height();
        continue;
      }
      const Bitmap* pic = PictureOfRect(rec, key);
      ASSERT_NE(pic, nullptr) << what << ": no picture";
      ExpectPainted(*pic, r, rec.owner, mkskin::KeyCode(key), what);
      if (auto same = SameSizeAs(ini(), rec.name, key)) {
        Rect model = RectOf(rec.name, *same);
        EXPECT_TRUE(r.Width() == model.Width() && r.Height() == model.Height())
            << what << " differs in size from " << *same;
      }
    }
  }
}

TEST_F(TestSkinDirectory, CornerPointsLieInsideTheFaceAndMatchHowItStretches) {
  for (const Record& rec : Records()) {
    if (rec.object || !ini().Value(rec.name, "lefttoppoint")) continue;
    Rect face = RectOf(rec.name, "skinrect");
    Point lt = PointOf(rec.name, "lefttoppoint"), rt = PointOf(rec.name, "righttoppoint"),
          lb = PointOf(rec.name, "leftbottompoint"), rb = PointOf(rec.name, "rightbottompoint");
    for (Point p : { lt, rt, lb, rb })
      EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x <= face.Width() && p.y <= face.Height()) << rec.name;
    if (rec.keyword == "updown") {
      for (Point p : { lt, rt, lb, rb }) EXPECT_TRUE(p.x == 0 && p.y == 0) << rec.name << ": up-downs never stretch";
      continue;
    }
    if (rb.x != 0 && rb.y != 0) {  // stretches both ways: the points frame the middle
      EXPECT_TRUE(lt.x < rt.x && lt.y < lb.y && rt.y == lt.y && lb.x == lt.x && rb.x == rt.x && rb.y == lb.y)
          << rec.name;
    }
  }
  // the names that stretch one way only
  EXPECT_NE(PointOf("hscrollbar", "righttoppoint").x, 0);
  EXPECT_EQ(PointOf("hscrollbar", "rightbottompoint").x, 0);
  EXPECT_EQ(PointOf("vscrollbar", "righttoppoint").x, 0);
  EXPECT_NE(PointOf("vscrollbar", "leftbottompoint").y, 0);
}

TEST_F(TestSkinDirectory, ColourValuesCarryTheirRecordAndKey) {
  auto check = [&](const std::string& section, uint8_t owner) {
    const Ini::Section* s = ini().Find(section);
    ASSERT_NE(s, nullptr) << section;
    for (const auto& [key, value] : s->keys) {
      if (KindOf(key) != ValueKind::Colour) continue;
      EXPECT_EQ(ParseInt(value).value_or(-1), mkskin::ColourValue(owner, mkskin::KeyCode(key)))
          << "[" << section << "] " << key << "=" << value;
    }
  };
  check("POPUPWINDOW", mkskin::kOwnerPopupWindow);
  check("HINTWINDOW", mkskin::kOwnerHintWindow);
  for (const Record& rec : Records()) check(rec.name, rec.owner);
}

TEST_F(TestSkinDirectory, FramePicturesFollowTheFormGeometry) {
  const Bitmap* frame = PictureNamed(ini().Get("PICTURES", "picture"));
  const Bitmap* inactive = PictureNamed(ini().Get("PICTURES", "inactivepicture"));
  const Bitmap* mask = PictureNamed(ini().Get("PICTURES", "mask"));
  ASSERT_TRUE(frame && inactive && mask);
  ASSERT_TRUE(inactive->width == frame->width && inactive->height == frame->height);
  ASSERT_TRUE(mask->width == frame->width && mask->height == frame->height);
  EXPECT_EQ(inactive->bitsPerPixel, 8);
  EXPECT_EQ(mask->bitsPerPixel, 1);

  const Rect cl = RectOf("FORMINFO", "clientrect");
  const Point lt = PointOf("FORMINFO", "lefttoppoint"), rt = PointOf("FORMINFO", "righttoppoint"),
              lb = PointOf("FORMINFO", "leftbottompoint"), rb = PointOf("FORMINFO", "rightbottompoint");
  // Loading pulls the corner points onto the client rectangle; here they already lie on or in it.
  EXPECT_TRUE(lt.x >= cl.l && lt.y >= cl.t && rt.x <= cl.r && rt.y >= cl.t && lb.x >= cl.l && lb.y <= cl.b &&
              rb.x <= cl.r && rb.y <= cl.b);
  EXPECT_TRUE(cl.l > 0 && cl.t > 0 && cl.r < frame->width && cl.b < frame->height);

  struct Framed {
    Rect rect;
    uint8_t owner;
  };
  std::vector<Framed> objects;
  for (const Record& rec : Records()) {
    if (!rec.object || PictureOfRect(rec, "skinrect") != frame) continue;
    Rect r = RectOf(rec.name, "skinrect");
    objects.push_back({ r, rec.owner });
    EXPECT_FALSE(r.l < cl.r && r.r > cl.l && r.t < cl.b && r.b > cl.t) << rec.name << " covers the client area";
  }
  ASSERT_GE(objects.size(), 6u) << "caption, five standard buttons and more";

  int wrongFrame = 0, wrongInactive = 0;
  for (int y = 0; y < frame->height; ++y) {
    for (int x = 0; x < frame->width; ++x) {
      const Framed* on = nullptr;
      for (const Framed& o : objects)
        if (x >= o.rect.l && x < o.rect.r && y >= o.rect.t && y < o.rect.b) on = &o;
      uint32_t expectFrame, expectInactive;
      if (on) {
        expectFrame = mkskin::PixelCode(on->owner, mkskin::KeyCode("skinrect"), x - on->rect.l, y - on->rect.t);
        expectInactive =
            uint32_t { mkskin::kOwnerInactiveFrame } << 16 | uint32_t { mkskin::KeyCode("skinrect") } << 8 | on->owner;
      } else {
        uint8_t band = FrameBand(cl, lt, rt, lb, rb, x, y);
        expectFrame = mkskin::PixelCode(mkskin::kOwnerFrame, band, x, y);
        expectInactive = mkskin::PixelCode(mkskin::kOwnerInactiveFrame, band, 0, 0);
      }
      wrongFrame += frame->At(x, y) != expectFrame;
      wrongInactive += inactive->At(x, y) != expectInactive;
    }
  }
  EXPECT_EQ(wrongFrame, 0);
  EXPECT_EQ(wrongInactive, 0);

  Rect area = RectOf("FORMINFO", "maskrectarea");
  int outsideArea = 0;
  for (int y = area.t; y < area.b; ++y)
    for (int x = area.l; x < area.r; ++x) outsideArea += mask->At(x, y) != 0x000000;
  EXPECT_EQ(outsideArea, 0) << "the mask is black (inside) all over maskrectarea";
  for (const char* key :
       { "hittestlefttoppoint", "hittestrighttoppoint", "hittestleftbottompoint", "hittestrightbottompoint" }) {
    Point p = PointOf("FORMINFO", key);
    EXPECT_EQ(mask->At(p.x, p.y), 0x000000u) << key;
  }
  EXPECT_EQ(mask->At(0, 0), 0xFFFFFFu) << "the corners are cut";
  EXPECT_EQ(mask->At(mask->width - 1, mask->height - 1), 0xFFFFFFu);

  const Bitmap* tile = ActivePicture(IntOf("FORMINFO", "bgpictureindex"));
  ASSERT_NE(tile, nullptr);
  int wrongTile = 0;
  for (int y = 0; y < tile->height; ++y)
    for (int x = 0; x < tile->width; ++x)
      wrongTile += tile->At(x, y) != mkskin::PixelCode(mkskin::kOwnerTile, mkskin::kTileCode, x, y);
  EXPECT_EQ(wrongTile, 0);
}

TEST_F(TestSkinDirectory, WindowPicturesAreSlicedByTheirPointsAndMasked) {
  for (auto [section, owner] : { std::pair { "POPUPWINDOW", mkskin::kOwnerPopupWindow },
                                 std::pair { "HINTWINDOW", mkskin::kOwnerHintWindow } }) {
    const Bitmap* pic = ActivePicture(IntOf(section, "windowpictureindex"));
    const Bitmap* mask = ActivePicture(IntOf(section, "maskpictureindex"));
    ASSERT_TRUE(pic && mask) << section;
    EXPECT_TRUE(mask->width == pic->width && mask->height == pic->height && mask->bitsPerPixel == 1) << section;
    Point lt = PointOf(section, "lefttoppoint"), rb = PointOf(section, "rightbottompoint");
    EXPECT_EQ(PointOf(section, "righttoppoint").x, rb.x);
    EXPECT_EQ(PointOf(section, "leftbottompoint").y, rb.y);
    Rect inner = RectOf(section, std::string(section) == "POPUPWINDOW" ? "itemsrect" : "clientrect");
    EXPECT_TRUE(inner.l >= 0 && inner.t >= 0 && inner.r <= pic->width && inner.b <= pic->height) << section;
    int wrong = 0;
    for (int y = 0; y < pic->height; ++y) {
      for (int x = 0; x < pic->width; ++x) {
        int row = y < lt.y ? 0 : y < rb.y ? 1 : 2, col = x < lt.x ? 0 : x < rb.x ? 1 : 2;
        wrong += pic->At(x, y) !=
                 mkskin::PixelCode(owner, static_cast<uint8_t>(mkskin::kSliceLeftTop + 3 * row + col), x, y);
      }
    }
    EXPECT_EQ(wrong, 0) << section;
    EXPECT_EQ(mask->At(0, 0), 0xFFFFFFu) << section;
    EXPECT_EQ(mask->At(mask->width / 2, mask->height / 2), 0x000000u) << section;
  }
}

TEST_F(TestSkinDirectory, ControlMasksCoverTheirFaces) {
  int masked = 0;
  for (const Record& rec : Records()) {
    if (rec.object || IntOf(rec.name, "maskpictureindex") < 0) continue;
    ++masked;
    const Bitmap* pic = ActivePicture(IntOf(rec.name, "pictureindex"));
    const Bitmap* mask = ActivePicture(IntOf(rec.name, "maskpictureindex"));
    ASSERT_TRUE(pic && mask) << rec.name;
    // A control's mask is a picture of its own, as large as its face.
    Rect face = RectOf(rec.name, "skinrect");
    EXPECT_TRUE(mask->width == face.Width() && mask->height == face.Height() && mask->bitsPerPixel == 1) << rec.name;
    EXPECT_EQ(mask->At(face.Width() / 2, face.Height() / 2), 0x000000u) << rec.name;
    EXPECT_EQ(mask->At(0, 0), 0xFFFFFFu) << rec.name << ": a corner is cut";
    EXPECT_EQ(mask->At(face.Width() - 1, face.Height() - 1), 0xFFFFFFu) << rec.name << ": a corner is cut";
    EXPECT_EQ(mask->At(1, 1), 0x000000u) << rec.name;
  }
  EXPECT_GT(masked, 0) << "at least one control has a mask picture";
}

}  // namespace
