#include "tools/mkskin/TestSkin.h"

#include "tools/mkskin/LookSkin.h"
#include "tools/mkskin/SkinColours.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

namespace mkskin {

namespace {

struct Rect {
  int l { 0 }, t { 0 }, r { 0 }, b { 0 };
  int Width() const { return r - l; }
  int Height() const { return b - t; }
};

struct Point {
  int x { 0 }, y { 0 };
};

std::string Text(const Rect& r) {
  return std::to_string(r.l) + "," + std::to_string(r.t) + "," + std::to_string(r.r) + "," + std::to_string(r.b);
}

std::string Text(const Point& p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// ---------------------------------------------------------------------------------------------------
// Record classes as key tables.

enum class Kind : uint8_t { Rect, Point, Int, Colour, Bool, Str, PictureIndex, MaskIndex, Omit };

// Where a rectangle lies.
enum class Place : uint8_t {
  Face,    // the record's face: packed into its picture, or at its fixed place in the frame picture
  Image,   // packed into the record's picture, a x b pixels
  Same,    // packed into the record's picture, as large as `ref`
  Area,    // a position inside `ref` (the face when empty); see Resolve for the corner rules
  Client,  // the record's client rectangle, relative to its face
};

enum class Corner : uint8_t { LT, RT, LB, RB };

struct KeyDef {
  std::string key {};
  Kind kind { Kind::Int };
  Place place { Place::Face };
  int a { 0 }, b { 0 }, c { 0 }, d { 0 };
  std::string ref {};   // Same, Area: the rectangle key measured from
  std::string text {};  // Int, Bool, Str: the value written
};

using Keys = std::vector<KeyDef>;

KeyDef Face(std::string key) { return { .key = std::move(key), .kind = Kind::Rect, .place = Place::Face }; }
KeyDef Image(std::string key, int w, int h) {
  return { .key = std::move(key), .kind = Kind::Rect, .place = Place::Image, .a = w, .b = h };
}
KeyDef Same(std::string key, std::string ref) {
  return { .key = std::move(key), .kind = Kind::Rect, .place = Place::Same, .ref = std::move(ref) };
}
// Corners of an area: a left or top below 0 counts from the far edge, a right or bottom of 0 or below
// counts from the far edge (so 0 is the edge itself).
KeyDef Area(std::string key, int l, int t, int r, int b, std::string ref = {}) {
  return { .key = std::move(key),
           .kind = Kind::Rect,
           .place = Place::Area,
           .a = l,
           .b = t,
           .c = r,
           .d = b,
           .ref = std::move(ref) };
}
KeyDef Client(std::string key) { return { .key = std::move(key), .kind = Kind::Rect, .place = Place::Client }; }
KeyDef CornerPoint(std::string key, Corner c) {
  return { .key = std::move(key), .kind = Kind::Point, .a = static_cast<int>(c) };
}
KeyDef Int(std::string key, int v) { return { .key = std::move(key), .kind = Kind::Int, .text = std::to_string(v) }; }
KeyDef Bool(std::string key, bool v) { return { .key = std::move(key), .kind = Kind::Bool, .text = v ? "1" : "0" }; }
KeyDef Str(std::string key, std::string v) {
  return { .key = std::move(key), .kind = Kind::Str, .text = std::move(v) };
}
KeyDef Colour(std::string key) { return { .key = std::move(key), .kind = Kind::Colour }; }
KeyDef PictureIndex(std::string key) { return { .key = std::move(key), .kind = Kind::PictureIndex }; }
KeyDef MaskIndex(std::string key) { return { .key = std::move(key), .kind = Kind::MaskIndex }; }
// As an override: the record leaves the class's key out, so a reader takes its default.
KeyDef Omit(std::string key) { return { .key = std::move(key), .kind = Kind::Omit }; }

Keys operator+(Keys a, const Keys& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A font group; the plain group uses the system's Chinese face, prefixed groups a Latin one, and
// neither equals a reading default.
Keys Font(const std::string& prefix = {}) {
  bool plain = prefix.empty();
  return { Str(prefix + "fontname", plain ? "宋体" : "Tahoma"), Int(prefix + "fontheight", plain ? 12 : 13),
           Str(prefix + "fontstyle", plain ? "" : "fsbold"), Colour(prefix + "fontcolor") };
}

// Three looks of one rectangle: the rectangle itself and two pictures of its size.
Keys States(const KeyDef& base, const std::string& second, const std::string& third) {
  return { base, Same(second, base.key), Same(third, base.key) };
}

const Keys kObject = { Str("hint", ""),
                       PictureIndex("activepictureindex"),
                       Bool("skinrectinapicture", false),
                       Face("skinrect"),
                       Same("activeskinrect", "skinrect"),
                       Bool("morphing", false),
                       Str("morphkind", "mkdefault") };
const Keys kButtonObject = kObject + Keys { Same("downrect", "skinrect"), Same("disableskinrsect", "skinrect") };
const Keys kStdButtonObject =
    kButtonObject + Keys { Str("command", "cmdefault"), Same("restorerect", "skinrect"),
                           Same("restoreactiverect", "skinrect"), Same("restoredownrect", "skinrect"),
                           Same("restoreinactiverect", "skinrect") };

const Keys kControl = { PictureIndex("pictureindex"), MaskIndex("maskpictureindex"), Face("skinrect") };
const Keys kCustom =
    kControl + Keys { CornerPoint("lefttoppoint", Corner::LT), CornerPoint("righttoppoint", Corner::RT),
                      CornerPoint("leftbottompoint", Corner::LB), CornerPoint("rightbottompoint", Corner::RB),
                      Client("clientrect") };
const Keys kArrows = States(Area("upbuttonrect", -16, 0, 0, 0), "activeupbuttonrect", "downupbuttonrect") +
                     States(Area("downbuttonrect", 0, 0, 16, 0), "activedownbuttonrect", "downdownbuttonrect");
const Keys kButton = kCustom + Font() + Keys { Colour("activefontcolor"),        Colour("downfontcolor"),
                                               Colour("disabledfontcolor"),      Same("activeskinrect", "skinrect"),
                                               Same("downskinrect", "skinrect"), Same("disabledskinrect", "skinrect"),
                                               Bool("morphing", false),          Str("morphkind", "mkdefault") };
const Keys kEdit = kCustom + Keys { Same("activeskinrect", "skinrect") } + Font() +
                   Keys { Colour("disabledfontcolor"), Colour("activefontcolor") } +
                   States(Area("buttonrect", -19, 2, -2, -2), "activebuttonrect", "downbuttonrect");
const Keys kListBox =
    kCustom + Keys { Image("itemrect", 80, 16),         Same("activeitemrect", "itemrect"),
                     Same("focusitemrect", "itemrect"), Int("itemleftoffset", 4),
                     Int("itemrightoffset", 4),         Area("itemtextrect", 4, 0, -4, 0, "itemrect") } +
    Font() + Keys { Colour("activefontcolor"), Colour("focusfontcolor"), Area("captionrect", 3, 2, 44, 18) } +
    Font("caption") + States(Area("upbuttonrect", -44, 3, -32, 17), "activeupbuttonrect", "downupbuttonrect") +
    States(Area("downbuttonrect", -30, 3, -18, 17), "activedownbuttonrect", "downdownbuttonrect") +
    States(Area("checkbuttonrect", -16, 3, -4, 17), "activecheckbuttonrect", "downcheckbuttonrect") +
    Keys { Str("vscrollbarname", "vscrollbar"), Str("hscrollbarname", "hscrollbar"),
           Str("bothhscrollbarname", "bothhscrollbar") };

Keys Buttons16(const std::string& name) {
  return States(Image(name + "rect", 16, 16), name + "activerect", name + "downrect");
}

using ClassTable = std::map<std::string, Keys>;

// Keys of every record class in the order its writer writes them. The two lists are apart because
// "button" names a different class in each.
const ClassTable& ObjectClasses() {
  static const ClassTable classes = {
    { "userobject", { Face("skinrect") } },
    { "button", kButtonObject },
    { "stdbutton", kStdButtonObject },
    { "mainmenubarbutton", kStdButtonObject },
    { "menuitem",
      kObject +
          Keys { Int("itemleftoffset", 4), Int("itemrightoffset", 4), Image("dividerrect", 80, 4),
                 Int("dividerleftoffset", 2), Int("dividerrightoffset", 2), Area("textrect", 20, 0, -16, 0) } +
          Font() + Keys { Colour("activefontcolor"), Colour("unenabledfontcolor") } },
    { "mainmenubaritem",
      kObject +
          Keys { Int("itemleftoffset", 3), Int("itemrightoffset", 3), Same("downrect", "skinrect"),
                 Area("textrect", 3, 0, -3, 0) } +
          Font() + Keys { Colour("activefontcolor"), Colour("downfontcolor"), Colour("unenabledfontColor") } },
    { "caption", kObject + Keys { Area("textrect", 4, 2, -4, -2) } + Font() +
                     Keys { Colour("activefontcolor"), Str("alignment", "taleftjustify"), Bool("shadow", true),
                            Colour("shadowcolor"), Colour("activeshadowcolor"), Image("framerect", 40, 16),
                            Same("activeframerect", "framerect"), Area("frametextrect", 6, 0, -6, 0, "framerect"),
                            Int("frameleftoffset", 6), Int("framerightoffset", 6) } },
  };
  return classes;
}

const ClassTable& ControlClasses() {
  static const ClassTable classes = {
    // derived from the base record
    { "bevel", kControl + Keys { Colour("lightcolor"), Colour("darkcolor") } },
    { "treeview", kControl + Font() + Keys { Colour("bgcolor") } },
    { "listview", kControl + Font() + Keys { Colour("bgcolor") } },
    { "richedit", kControl + Font() + Keys { Colour("bgcolor") } },
    { "stdlabel", kControl + Font() + Keys { Colour("activefontcolor") } },
    { "slider", kControl + Keys { Colour("bgcolor"), Image("hrulerrect", 64, 8), Image("hthumbrect", 24, 16),
                                  Image("vrulerrect", 8, 64), Image("vthumbrect", 32, 12), Int("edgesize", 4),
                                  Colour("pointscolor") } },
    { "mainmenubar",
      kControl + Keys { Area("itemsrect", 2, 1, -2, -1), Str("menubaritem", "menubaritem"),
                        Str("closebutton", "mdiclose"), Str("minbutton", "mdimin"), Str("maxbutton", "mdimax"),
                        Str("sysmenubutton", "mdisys"), Colour("trackmarkcolor"), Colour("trackmarkactivecolor") } },
    { "tab", kControl +
                 Keys { Image("tabrect", 48, 20), Same("activetabrect", "tabrect"), Same("focustabrect", "tabrect"),
                        Same("mouseintabrect", "tabrect"), Client("clientrect"), Int("bgpictureindex", -1),
                        CornerPoint("lefttoppoint", Corner::LT), CornerPoint("righttoppoint", Corner::RT),
                        CornerPoint("leftbottompoint", Corner::LB), CornerPoint("rightbottompoint", Corner::RB),
                        Int("tableftoffset", 4), Int("tabrightoffset", 4), Image("tabsbgrect", 16, 20) } +
                 Font() +
                 Keys { Colour("activefontcolor"), Colour("focusfontcolor"), Colour("mouseinfontcolor"),
                        Str("updown", "hupdown") } },
    { "grid",
      kControl +
          Keys { Image("fixedcellrect", 48, 18), Same("selectcellrect", "fixedcellrect"),
                 Same("focuscellrect", "fixedcellrect"), Int("fixedcellleftoffset", 2), Int("fixedcellrightoffset", 2),
                 Area("fixedcelltextrect", 2, 0, -2, 0, "fixedcellrect"), Int("cellleftoffset", 2),
                 Int("cellrightoffset", 2), Area("celltextrect", 2, 0, -2, 0, "selectcellrect"), Colour("linescolor"),
                 Colour("bgcolor") } +
          Font() + Keys { Colour("selectfontcolor"), Colour("focusfontcolor") } + Font("fixed") },
    // derived from the custom-control record
    { "splitter", kCustom },
    { "controlbar", kCustom + Keys { Image("itemrect", 40, 24), Int("bgpictureindex", 6) } },
    { "updown", kCustom + kArrows },
    { "combobox", kCustom +
                      Keys { Image("itemrect", 57, 14), Same("focusitemrect", "itemrect"), Int("itemleftoffset", 2),
                             Int("itemrightoffset", 2), Area("itemtextrect", 2, 0, -2, 0, "itemrect") } +
                      Font() +
                      Keys { Colour("focusfontcolor"), Area("buttonrect", -19, 2, -2, -2),
                             Same("activebuttonrect", "buttonrect"), Same("downbuttonrect", "buttonrect"),
                             Same("unenabledbuttonrect", "buttonrect"), Str("listboxname", "listbox") } },
    { "listbox", kListBox },
    { "checklistbox", kListBox + Keys { Area("itemcheckrect", 2, 1, 15, 14, "itemrect"),
                                        Image("uncheckimagerect", 13, 13), Image("checkimagerect", 13, 13) } },
    { "scrollbar", kCustom + Keys { Area("trackarea", 16, 0, -16, 0) } + kArrows +
                       States(Image("thumbrect", 24, 16), "activethumbrect", "downthumbrect") +
                       Keys { Int("thumboffset1", 4), Int("thumboffset2", 4) } +
                       States(Image("glyphrect", 8, 8), "activeglyphrect", "downglyphrect") },
    { "spinedit", kCustom + Font() +
                      States(Area("upbuttonrect", -19, 2, -2, 10), "activeupbuttonrect", "downupbuttonrect") +
                      States(Area("downbuttonrect", -19, 10, -2, -2), "activedownbuttonrect", "downdownbuttonrect") },
    { "edit", kEdit },
    { "memo", kEdit + Keys { Colour("bgcolor"), Colour("activebgcolor") } },
    { "label", kCustom + Font() },
    { "gauge", kCustom +
                   Keys { Area("progressarea", 3, 3, -3, -3), Image("progressrect", 94, 14), Int("beginoffset", 4),
                          Int("endoffset", 4), Bool("vertical", false) } +
                   Font() },
    { "trackbar", kCustom + Keys { Area("trackarea", 6, 8, -6, -8), Image("buttonrect", 10, 18),
                                   Same("activebuttonrect", "buttonrect"), Bool("vertical", false) } },
    { "button", kButton },
    { "menubutton", kButton + Keys { Area("trackbuttonrect", -12, 0, 0, 0) } },
    { "checkradio",
      kCustom + Font() +
          Keys { Colour("framefontcolor"), Colour("activefontcolor"), Colour("unenabledfontcolor"),
                 Same("activeskinrect", "skinrect"), Area("checkimagearea", 2, 3, 15, 16),
                 Area("textarea", 18, 0, -2, 0), Image("checkimagerect", 13, 13), Image("uncheckimagerect", 13, 13),
                 Image("activecheckimagerect", 13, 13), Image("activeuncheckimagerect", 13, 13),
                 Image("unenabledcheckimagerect", 13, 13), Image("unenableduncheckimagerect", 13, 13),
                 Bool("morphing", false), Str("morphkind", "mkdefault") } },
    { "scrollbox", kCustom + Keys { Int("bgpictureindex", -1) } },
    { "panel",
      kCustom +
          Keys { Int("bgpictureindex", -1), Area("captionrect", 4, 2, -4, 20), Area("rollupmarkerrect", -20, 4, -6, 18),
                 Same("restoremarkerrect", "rollupmarkerrect"), Str("alignment", "tacenter") } +
          Font() + Keys { Image("checkimagerect", 13, 13), Image("uncheckimagerect", 13, 13) } },
    { "expanel", kCustom +
                     Keys { Image("rollhskinrect", 22, 64), Image("rollvskinrect", 96, 22), Int("rollleftoffset", 6),
                            Int("rollrightoffset", 6), Int("rolltopoffset", 6), Int("rollbottomoffset", 6),
                            Area("rollvcaptionrect", 4, 2, -4, -2, "rollvskinrect"),
                            Area("rollhcaptionrect", 2, 4, -2, -4, "rollhskinrect") } +
                     Buttons16("closebutton") + Buttons16("hrollbutton") + Buttons16("hrestorebutton") +
                     Buttons16("vrollbutton") + Buttons16("vrestorebutton") +
                     Keys { Area("captionrect", 4, 2, -4, 20) } + Font() },
  };
  return classes;
}

// ---------------------------------------------------------------------------------------------------
// Records.

// How a custom-control face stretches, which decides the corner points a control sees.
enum class Stretch : uint8_t {
  Both,        // all four points set
  Horizontal,  // left-top and right-top set, the bottom points (0,0)
  Vertical,    // left-top and left-bottom set, the right points (0,0)
  None,        // every point (0,0); the client rectangle too
};

struct Insets {
  int l { 0 }, t { 0 }, r { 0 }, b { 0 };
};

struct RecordDef {
  std::string name {};
  std::string keyword {};
  int picture { -1 };    // active picture of the record's images
  int w { 0 }, h { 0 };  // face size
  Insets points {};      // the corner points, inset from the face's edges
  Stretch stretch { Stretch::Both };
  Keys overrides {};     // replace the class's key of the same name
  Insets client { -1 };  // the client rectangle, inset from the face's edges; l < 0: as `points`
  int mask { -1 };       // active picture holding the mask of the face
  Rect frameFace {};     // objects: the face's place in the frame picture; null: packed
};

// Active pictures.
enum : int {
  kCtrlPicture,
  kPopupPicture,
  kPopupMaskPicture,
  kHintPicture,
  kHintMaskPicture,
  kButtonsPicture,
  kTilePicture,
  kCtrl2Picture,
  kCtrlMaskPicture,
  kActivePictureCount
};
constexpr int kFramePicture = -2;  // paint jobs on the frame picture

// The frame.
constexpr int kFrameW = 240, kFrameH = 120;
constexpr Rect kFrameClientRect = { 6, 28, 234, 98 };
constexpr Point kFrameLT = { 40, 40 }, kFrameRT = { 140, 40 }, kFrameLB = { 40, 90 }, kFrameRB = { 140, 90 };

// An object drawn on the frame picture at `at`, its other images packed into the buttons picture.
RecordDef FramedObject(std::string name, std::string keyword, Rect at, Keys overrides) {
  return RecordDef { .name = std::move(name),
                     .keyword = std::move(keyword),
                     .picture = kButtonsPicture,
                     .w = at.Width(),
                     .h = at.Height(),
                     .overrides = std::move(overrides),
                     .frameFace = at };
}

// An object whose face and images are all packed into the buttons picture.
RecordDef PackedObject(std::string name, std::string keyword, int w, int h, Keys overrides) {
  return RecordDef { .name = std::move(name),
                     .keyword = std::move(keyword),
                     .picture = kButtonsPicture,
                     .w = w,
                     .h = h,
                     .overrides = std::move(overrides) };
}

const std::vector<RecordDef>& ObjectRecords() {
  const auto framed = FramedObject;
  const auto packed = PackedObject;
  static const std::vector<RecordDef> records = {
    framed("caption", "caption", { 26, 4, 144, 24 }, { Str("hint", "标题栏") }),
    framed("close", "stdbutton", { 218, 6, 234, 22 },
           { Str("hint", "关闭"), Str("command", "cmclose"), Bool("morphing", true), Str("morphkind", "mkgradient") }),
    framed("max", "stdbutton", { 200, 6, 216, 22 }, { Str("hint", "最大化"), Str("command", "cmmaximize") }),
    framed("min", "stdbutton", { 182, 6, 198, 22 }, { Str("hint", "最小化"), Str("command", "cmminimize") }),
    framed("sys", "stdbutton", { 6, 6, 22, 22 }, { Str("hint", "系统菜单"), Str("command", "cmsysmenu") }),
    framed("roll", "stdbutton", { 164, 6, 180, 22 }, { Str("hint", "卷起"), Str("command", "cmrollup") }),
    framed("help", "button", { 146, 6, 162, 22 }, { Str("hint", "帮助") }),
    packed("menuitem", "menuitem", 80, 18, { Str("hint", "菜单项") }),
    packed("menubaritem", "mainmenubaritem", 40, 18, { Str("hint", "菜单栏项") }),
    packed("mdiclose", "mainmenubarbutton", 16, 16, { Str("hint", "关闭"), Str("command", "cmclose") }),
    packed("mdimin", "mainmenubarbutton", 16, 16, { Str("hint", "最小化"), Str("command", "cmminimize") }),
    packed("mdimax", "mainmenubarbutton", 16, 16, { Str("hint", "最大化"), Str("command", "cmmaximize") }),
    packed("mdisys", "mainmenubarbutton", 16, 16, { Str("hint", "系统菜单"), Str("command", "cmsysmenu") }),
    framed("logo", "userobject", { 8, 101, 24, 117 }, {}),
  };
  return records;
}

RecordDef WithClient(RecordDef r, Insets client) {
  r.client = client;
  return r;
}

RecordDef WithMask(RecordDef r, int mask) {
  r.mask = mask;
  return r;
}

RecordDef Control(std::string name, std::string keyword, int picture, int w, int h, Insets points,
                  Stretch stretch = Stretch::Both, Keys overrides = {}) {
  return RecordDef { .name = std::move(name),
                     .keyword = std::move(keyword),
                     .picture = picture,
                     .w = w,
                     .h = h,
                     .points = points,
                     .stretch = stretch,
                     .overrides = std::move(overrides) };
}

// The control records under the names the skinned controls look up by default.
const std::vector<RecordDef>& ControlRecords() {
  const int c1 = kCtrlPicture, c2 = kCtrl2Picture;
  const Keys vertical = { Bool("vertical", true) };
  auto morph = [](const char* kind) { return Keys { Bool("morphing", true), Str("morphkind", kind) }; };
  const Keys bigTrack = { Area("trackbuttonrect", -14, 0, 0, 0) };
  // The list boxes' client spans the full width while their caption buttons sit in the fixed right part.
  const Insets listClient = { 3, 20, 3, 3 };
  const Keys vscroll = { Area("trackarea", 0, 16, 0, -16), Area("upbuttonrect", 0, -16, 0, 0),
                         Area("downbuttonrect", 0, 0, 0, 16), Image("thumbrect", 16, 24) };
  static const std::vector<RecordDef> records = {
    WithMask(Control("button", "button", c1, 64, 24, { 6, 6, 6, 6 }, Stretch::Both, morph("mkgradient")),
             kCtrlMaskPicture),
    Control("resizebutton", "button", c1, 20, 20, { 4, 4, 4, 4 }),
    Control("toolbutton", "button", c1, 24, 24, { 4, 4, 4, 4 }, Stretch::Both, morph("mkpush")),
    Control("bigtoolbutton", "button", c1, 40, 40, { 6, 6, 6, 6 }),
    Control("toolmenubutton", "menubutton", c1, 36, 24, { 4, 4, 14, 4 }, Stretch::Both, morph("mkleftgradient")),
    Control("bigtoolmenubutton", "menubutton", c1, 52, 40, { 6, 6, 16, 6 }, Stretch::Both, bigTrack),
    Control("toolmenutrackbutton", "menubutton", c1, 36, 24, { 4, 4, 14, 4 }),
    Control("bigtoolmenutrackbutton", "menubutton", c1, 52, 40, { 6, 6, 16, 6 }, Stretch::Both, bigTrack),
    Control("panel", "panel", c1, 64, 48, { 4, 24, 4, 4 }),
    Control("groupbox", "panel", c1, 64, 48, { 4, 24, 4, 4 }, Stretch::Both, { Str("alignment", "taleftjustify") }),
    Control("toolpanel", "panel", c1, 64, 28, { 3, 3, 3, 3 }, Stretch::Both, { Int("bgpictureindex", kTilePicture) }),
    Control("bigtoolpanel", "panel", c1, 64, 48, { 3, 3, 3, 3 }, Stretch::Both, { Str("alignment", "tarightjustify") }),
    Control("statusbar", "panel", c1, 64, 22, { 3, 3, 3, 3 }, Stretch::Both, { Str("alignment", "taleftjustify") }),
    Control("statuspanel", "label", c1, 48, 20, { 3, 3, 3, 3 }),
    Control("label", "label", c1, 48, 20, { 3, 3, 3, 3 }),
    Control("expanel", "expanel", c1, 96, 64, { 4, 22, 4, 4 }),
    Control("checkbox", "checkradio", c1, 80, 20, { 2, 2, 2, 2 }, Stretch::Both, morph("mkrightgradient")),
    Control("radiobox", "checkradio", c1, 80, 20, { 2, 2, 2, 2 }, Stretch::Both, morph("mkrightslide")),
    Control("gauge", "gauge", c1, 100, 20, { 4, 4, 4, 4 }),
    Control("vgauge", "gauge", c1, 20, 100, { 4, 4, 4, 4 }, Stretch::Both,
            Keys { Image("progressrect", 14, 94) } + vertical),
    Control("htrackbar", "trackbar", c1, 100, 20, { 6, 0, 6, 0 }, Stretch::Horizontal),
    Control("trackbar", "trackbar", c1, 20, 100, { 0, 6, 0, 6 }, Stretch::Vertical,
            Keys { Area("trackarea", 8, 6, -8, -6), Image("buttonrect", 18, 10) } + vertical),
    Control("hscrollbar", "scrollbar", c1, 100, 16, { 16, 0, 16, 0 }, Stretch::Horizontal),
    Control("vscrollbar", "scrollbar", c1, 16, 100, { 0, 16, 0, 16 }, Stretch::Vertical, vscroll),
    Control("bothhscrollbar", "scrollbar", c1, 116, 16, { 16, 0, 32, 0 }, Stretch::Horizontal,
            { Area("trackarea", 16, 0, -32, 0), Area("upbuttonrect", -32, 0, -16, 0) }),
    Control("hupdown", "updown", c2, 32, 16, {}, Stretch::None),
    Control("vupdown", "updown", c2, 16, 32, {}, Stretch::None,
            { Area("upbuttonrect", 0, 0, 0, 16), Area("downbuttonrect", 0, 16, 0, 0) }),
    Control("edit", "edit", c2, 80, 20, { 3, 3, 3, 3 }),
    Control("buttonedit", "edit", c2, 80, 20, { 3, 3, 20, 3 }),
    Control("memo", "memo", c2, 80, 48, { 3, 3, 3, 3 }),
    WithClient(Control("listbox", "listbox", c2, 96, 64, { 3, 20, 48, 3 }), listClient),
    WithClient(Control("checklistbox", "checklistbox", c2, 96, 64, { 3, 20, 48, 3 }, Stretch::Both,
                       { Area("itemtextrect", 18, 0, -4, 0, "itemrect") }),
               listClient),
    Control("combobox", "combobox", c2, 80, 20, { 3, 3, 20, 3 }),
    Control("spinedit", "spinedit", c2, 60, 20, { 3, 3, 20, 3 }),
    Control("scrollbox", "scrollbox", c2, 64, 64, { 3, 3, 3, 3 }),
    Control("tab", "tab", c1, 96, 64, { 4, 4, 4, 4 }),
    Control("mainmenubar", "mainmenubar", c1, 96, 20, {}),
    Control("controlbar", "controlbar", c1, 64, 48, { 2, 2, 2, 2 }),
    Control("treeview", "treeview", c1, 16, 16, {}),
    Control("listview", "listview", c1, 16, 16, {}),
    Control("richedit", "richedit", c1, 16, 16, {}),
    Control("slider", "slider", c1, 16, 16, {}),
    Control("stdlabel", "stdlabel", c1, 16, 16, {}),
    Control("vsplitter", "splitter", c1, 6, 32, { 0, 4, 0, 4 }, Stretch::Vertical),
    Control("bevel", "bevel", c1, 16, 16, {}),
    Control("grid", "grid", c1, 16, 16, {}),
  };
  return records;
}

std::vector<RecordDef> ToolBarSecondRecords();

// The second skin: other sizes and lopsided insets under the same names, a horizontally stretched menu
// button (its track area follows the right edge), no mask on the button and one on the tool button.
const std::vector<RecordDef>& SecondControlRecords() {
  const int c1 = kCtrlPicture, c2 = kCtrl2Picture;
  const Keys noPicture = { Int("pictureindex", -1) };
  static const std::vector<RecordDef> records = {
    Control("button", "button", c2, 50, 30, { 4, 9, 11, 5 }),
    WithMask(Control("toolbutton", "button", c2, 30, 22, { 3, 2, 7, 5 }, Stretch::Both,
                     { Bool("morphing", true), Str("morphkind", "mkdefault"), Omit("downskinrect") }),
             kCtrlMaskPicture),
    Control("toolmenubutton", "menubutton", c2, 44, 26, { 5, 0, 17, 0 }, Stretch::Horizontal,
            { Area("trackbuttonrect", -17, 0, 0, 0) }),
    Control("toolmenutrackbutton", "menubutton", c2, 44, 26, { 5, 0, 17, 0 }, Stretch::Horizontal,
            { Area("trackbuttonrect", -17, 0, 0, 0) }),
    Control("bigtoolbutton", "label", c2, 40, 40, { 6, 6, 6, 6 }),
    Control("resizebutton", "button", c2, 20, 20, { 4, 4, 4, 4 }, Stretch::Both, noPicture),
    Control("panel", "panel", c1, 70, 52, { 5, 26, 3, 6 }),
    Control("groupbox", "panel", c1, 58, 44, { 3, 22, 6, 4 }),
    Control("checkbox", "checkradio", c1, 90, 24, { 3, 2, 1, 4 }, Stretch::Both, noPicture),
    Control("label", "label", c1, 40, 18, { 2, 4, 5, 3 }, Stretch::Both, noPicture),
    Control("gauge", "gauge", c1, 120, 24, { 5, 3, 7, 4 }),
    Control("htrackbar", "trackbar", c1, 90, 24, { 9, 0, 4, 0 }, Stretch::Horizontal),
    Control("trackbar", "trackbar", c1, 24, 90, { 0, 4, 0, 9 }, Stretch::Vertical,
            { Area("trackarea", 8, 6, -8, -6), Image("buttonrect", 18, 10), Bool("vertical", true) }),
    Control(
        "hscrollbar", "scrollbar", c1, 110, 18, { 18, 0, 18, 0 }, Stretch::Horizontal,
        { Area("upbuttonrect", -18, 0, 0, 0), Area("downbuttonrect", 0, 0, 18, 0), Area("trackarea", 18, 0, -18, 0) }),
    Control("vscrollbar", "scrollbar", c1, 18, 110, { 0, 18, 0, 18 }, Stretch::Vertical,
            { Area("trackarea", 0, 18, 0, -18), Area("upbuttonrect", 0, -18, 0, 0), Area("downbuttonrect", 0, 0, 0, 18),
              Image("thumbrect", 18, 24) }),
    Control("hupdown", "updown", c2, 36, 18, {}, Stretch::None),
    Control("edit", "edit", c2, 90, 22, { 2, 4, 5, 3 }),
    Control("vsplitter", "splitter", c1, 8, 40, { 0, 7, 0, 3 }, Stretch::Vertical),
    // Tabs over a background picture, without images of their own for the selected and focused tab.
    Control("tab", "tab", c1, 80, 56, { 5, 7, 3, 6 }, Stretch::Both,
            { Int("bgpictureindex", kTilePicture), Omit("activetabrect"), Omit("focustabrect") }),
  };
  static const std::vector<RecordDef> all = [] {
    std::vector<RecordDef> r = records;
    for (RecordDef& d : ToolBarSecondRecords()) r.push_back(std::move(d));
    return r;
  }();
  return all;
}

}  // namespace

const SkinGaps& SecondSkinGaps() {
  static const SkinGaps gaps = [] {
    SkinGaps g;
    for (const RecordDef& r : ControlRecords()) {
      const auto& second = SecondControlRecords();
      if (std::none_of(second.begin(), second.end(), [&](const RecordDef& s) { return s.name == r.name; }))
        g.missing.push_back(r.name);
    }
    g.noPicture = { "resizebutton", "checkbox", "label" };
    g.otherClass = { "bigtoolbutton" };
    return g;
  }();
  return gaps;
}

namespace {

// ---------------------------------------------------------------------------------------------------
// Layout: pack the records' images into their pictures, then paint the pictures.

// Skyline packing: each image goes where its top is lowest (leftmost on a tie), with a gap of filler
// around it, so that a read one pixel off an image's edge shows filler instead of a neighbour.
class Packer {
 public:
  explicit Packer(int width) : skyline_(static_cast<size_t>(width), kGap) {}

  Rect Place(int w, int h) {
    const int width = Width(), span = w + kGap;
    if (span + kGap > width) throw std::runtime_error("an image is wider than its picture");
    int bestX = kGap, bestY = -1;
    for (int x = kGap; x + span <= width; ++x) {
      int y = *std::max_element(skyline_.begin() + x, skyline_.begin() + x + span);
      if (bestY < 0 || y < bestY) bestX = x, bestY = y;
    }
    std::fill(skyline_.begin() + bestX, skyline_.begin() + bestX + span, bestY + h + kGap);
    return { bestX, bestY, bestX + w, bestY + h };
  }

  int Width() const { return static_cast<int>(skyline_.size()); }
  int Height() const { return *std::max_element(skyline_.begin(), skyline_.end()); }

 private:
  static constexpr int kGap = 2;
  std::vector<int> skyline_;  // first free row of every column
};

struct PaintJob {
  int picture;
  Rect rect;
  uint8_t owner;
  uint8_t code;
  const RecordDef* rec { nullptr };  // the real look draws by record and key
  std::string key {};
};

struct Layout {
  std::map<int, Packer> packers;
  std::vector<PaintJob> jobs;
  std::vector<PaintJob> masks;  // faces to cut out of a mask picture
  std::vector<PaintJob> frameObjects;
  std::vector<PaintJob> areas;  // places on faces, in their pictures' coordinates (the real look draws some)
};

Rect Resolve(const KeyDef& def, const Rect& ref) {
  auto from = [](int v, int size, bool start) { return (start ? v < 0 : v <= 0) ? size + v : v; };
  Rect r { from(def.a, ref.Width(), true), from(def.b, ref.Height(), true), from(def.c, ref.Width(), false),
           from(def.d, ref.Height(), false) };
  if (r.l < 0 || r.t < 0 || r.r > ref.Width() || r.b > ref.Height() || r.Width() < 1 || r.Height() < 1)
    throw std::runtime_error("\"" + def.key + "\" does not fit inside \"" + (def.ref.empty() ? "skinrect" : def.ref) +
                             "\"");
  return r;
}

Point CornerOf(const RecordDef& rec, Corner corner) {
  const Insets& p = rec.points;
  Point lt { p.l, p.t }, rt { rec.w - p.r, p.t }, lb { p.l, rec.h - p.b }, rb { rec.w - p.r, rec.h - p.b };
  switch (rec.stretch) {
    case Stretch::Horizontal:
      lb = rb = {};
      break;
    case Stretch::Vertical:
      rt = rb = {};
      break;
    case Stretch::None:
      lt = rt = lb = rb = {};
      break;
    case Stretch::Both:
      break;
  }
  switch (corner) {
    case Corner::LT:
      return lt;
    case Corner::RT:
      return rt;
    case Corner::LB:
      return lb;
    default:
      return rb;
  }
}

Rect ClientOf(const RecordDef& rec) {
  if (rec.stretch == Stretch::None) return {};
  const Insets& c = rec.client.l < 0 ? rec.points : rec.client;
  return { c.l, c.t, rec.w - c.r, rec.h - c.b };
}

uint8_t CodeOf(const std::string& key) {
  uint8_t code = KeyCode(key);
  if (code == 0) throw std::runtime_error("key \"" + key + "\" has no colour code");
  return code;
}

// Writes one record's section and places its images. With a look, colour keys get the look's colours
// and no face gets a mask.
IniSection LayOutRecord(const RecordDef& rec, const ClassTable& classes, uint8_t owner, Layout& layout,
                        const LookPalette* look = nullptr) {
  auto cls = classes.find(rec.keyword);
  if (cls == classes.end()) throw std::runtime_error("no record class \"" + rec.keyword + "\"");

  IniSection section { rec.name, {} };
  std::map<std::string, Rect> rects;    // placed in the picture, or relative for areas
  std::map<std::string, int> placedIn;  // the picture of each placed rectangle
  for (const KeyDef& classDef : cls->second) {
    auto over = std::find_if(rec.overrides.begin(), rec.overrides.end(),
                             [&](const KeyDef& d) { return d.key == classDef.key; });
    const KeyDef& def = over != rec.overrides.end() ? *over : classDef;
    if (def.kind == Kind::Omit) continue;
    std::string value;
    switch (def.kind) {
      case Kind::Int:
      case Kind::Bool:
      case Kind::Str:
        value = def.text;
        break;
      case Kind::Colour:
        value = std::to_string(look ? LookColour(rec.keyword, def.key, *look) : ColourValue(owner, CodeOf(def.key)));
        break;
      case Kind::PictureIndex:
        value = std::to_string(rec.picture);
        break;
      case Kind::MaskIndex:
        value = std::to_string(look ? -1 : rec.mask);
        break;
      case Kind::Omit:
        break;
      case Kind::Point:
        value = Text(CornerOf(rec, static_cast<Corner>(def.a)));
        break;
      case Kind::Rect: {
        Rect r;
        int picture = rec.picture;
        switch (def.place) {
          case Place::Face:
            if (rec.frameFace.Width() > 0) {
              r = rec.frameFace;
              picture = kFramePicture;
            } else {
              r = layout.packers.at(picture).Place(rec.w, rec.h);
            }
            if (rec.mask >= 0 && !look) layout.masks.push_back({ rec.mask, r, owner, 0, &rec, def.key });
            break;
          case Place::Image:
            r = layout.packers.at(picture).Place(def.a, def.b);
            break;
          case Place::Same: {
            const Rect& ref = rects.at(def.ref);
            r = layout.packers.at(picture).Place(ref.Width(), ref.Height());
            break;
          }
          case Place::Area: {
            const std::string& ref = def.ref.empty() ? "skinrect" : def.ref;
            r = Resolve(def, rects.at(ref));
            if (auto in = placedIn.find(ref); in != placedIn.end()) {
              const Rect& at = rects.at(ref);
              const Rect abs { at.l + r.l, at.t + r.t, at.l + r.r, at.t + r.b };
              layout.areas.push_back({ in->second, abs, owner, 0, &rec, def.key });
            }
            break;
          }
          case Place::Client:
            r = ClientOf(rec);
            break;
        }
        if (def.place == Place::Face || def.place == Place::Image || def.place == Place::Same) {
          PaintJob job { picture, r, owner, CodeOf(def.key), &rec, def.key };
          (picture == kFramePicture ? layout.frameObjects : layout.jobs).push_back(job);
          placedIn[def.key] = picture;
        }
        rects[def.key] = r;
        value = Text(r);
        break;
      }
    }
    section.keys.emplace_back(def.key, value);
  }
  return section;
}

// ---------------------------------------------------------------------------------------------------
// Pictures.

void Paint(Picture& picture, const PaintJob& job) {
  if (job.rect.l < 0 || job.rect.t < 0 || job.rect.r > picture.width || job.rect.b > picture.height)
    throw std::runtime_error("an image lies outside its picture");
  for (int y = job.rect.t; y < job.rect.b; ++y)
    for (int x = job.rect.l; x < job.rect.r; ++x)
      picture.Set(x, y, PixelCode(job.owner, job.code, x - job.rect.l, y - job.rect.t));
}

// Black inside, white in a triangle of `cut` pixels at each corner of `r`.
void PaintMask(Picture& mask, const Rect& r, int cut) {
  for (int y = r.t; y < r.b; ++y) {
    for (int x = r.l; x < r.r; ++x) {
      int dx = std::min(x - r.l, r.r - 1 - x), dy = std::min(y - r.t, r.b - 1 - y);
      mask.Set(x, y, dx + dy < cut ? 0xFFFFFF : 0x000000);
    }
  }
}

uint8_t FrameRegionAt(int x, int y) {
  const Rect& cl = kFrameClientRect;
  if (y < cl.t) return x < kFrameLT.x ? kFrameTopLeft : x >= kFrameRT.x ? kFrameTopRight : kFrameTop;
  if (y >= cl.b) return x < kFrameLB.x ? kFrameBottomLeft : x >= kFrameRB.x ? kFrameBottomRight : kFrameBottom;
  if (x < cl.l) return y < kFrameLT.y ? kFrameLeftTop : y >= kFrameLB.y ? kFrameLeftBottom : kFrameLeft;
  if (x >= cl.r) return y < kFrameRT.y ? kFrameRightTop : y >= kFrameRB.y ? kFrameRightBottom : kFrameRight;
  return kFrameClient;
}

// The frame and its 8-bit inactive twin: bands by region, the frame objects' faces over them.
void PaintFrames(Picture& frame, Picture& inactive, const std::vector<PaintJob>& objects) {
  for (int y = 0; y < kFrameH; ++y) {
    for (int x = 0; x < kFrameW; ++x) {
      uint8_t region = FrameRegionAt(x, y);
      frame.Set(x, y, PixelCode(kOwnerFrame, region, x, y));
      inactive.Set(x, y, PixelCode(kOwnerInactiveFrame, region, 0, 0));
    }
  }
  for (const PaintJob& job : objects) {
    Paint(frame, job);
    for (int y = job.rect.t; y < job.rect.b; ++y)
      for (int x = job.rect.l; x < job.rect.r; ++x)
        inactive.Set(x, y, uint32_t { kOwnerInactiveFrame } << 16 | uint32_t { job.code } << 8 | job.owner);
  }
}

// A window picture (popup, hint) cut into nine slices by its corner points.
Picture WindowPicture(int w, int h, Point lt, Point rb, uint8_t owner, Picture::Format format) {
  Picture p(w, h, format, 0);
  for (int y = 0; y < h; ++y) {
    int row = y < lt.y ? 0 : y >= rb.y ? 2 : 1;
    for (int x = 0; x < w; ++x) {
      int col = x < lt.x ? 0 : x >= rb.x ? 2 : 1;
      p.Set(x, y, PixelCode(owner, static_cast<uint8_t>(kSliceLeftTop + row * 3 + col), x, y));
    }
  }
  return p;
}

Picture MaskPicture(int w, int h) {
  Picture p(w, h, Picture::Format::Mono1, 0xFFFFFF);
  PaintMask(p, { 0, 0, w, h }, 3);
  return p;
}

// ---------------------------------------------------------------------------------------------------
// Global sections.

void Add(IniSection& s, std::string key, std::string value) { s.keys.emplace_back(std::move(key), std::move(value)); }

IniSection Section(std::string name) { return { std::move(name), {} }; }

constexpr Point kPopupLT = { 8, 8 }, kPopupRT = { 56, 8 }, kPopupLB = { 8, 56 }, kPopupRB = { 56, 56 };
constexpr Point kHintLT = { 6, 6 }, kHintRT = { 42, 6 }, kHintLB = { 6, 26 }, kHintRB = { 42, 26 };

// A popup or hint window's picture, mask and corner points (left-top, right-top, left-bottom,
// right-bottom).
IniSection WindowSection(const char* name, int picture, int mask, const std::array<Point, 4>& corners) {
  IniSection s = Section(name);
  Add(s, "windowpictureindex", std::to_string(picture));
  Add(s, "maskpictureindex", std::to_string(mask));
  const char* keys[] = { "lefttoppoint", "righttoppoint", "leftbottompoint", "rightbottompoint" };
  for (int i = 0; i < 4; ++i) Add(s, keys[i], Text(corners[i]));
  return s;
}

// The frames of popup menus and hints. The second skin moves the items and client rectangles off
// centre and has no masks, so that its menus and hints are rectangular and laid out differently.
std::vector<IniSection> MenuWindowSections(bool second) {
  IniSection popup = WindowSection("POPUPWINDOW", kPopupPicture, second ? -1 : kPopupMaskPicture,
                                   { kPopupLT, kPopupRT, kPopupLB, kPopupRB });
  Add(popup, "itemsrect", Text(second ? Rect { 7, 3, 58, 61 } : Rect { 4, 4, 60, 60 }));
  Add(popup, "scrollmarkercolor", std::to_string(ColourValue(kOwnerPopupWindow, CodeOf("scrollmarkercolor"))));
  Add(popup, "scrollmarkeractivecolor",
      std::to_string(ColourValue(kOwnerPopupWindow, CodeOf("scrollmarkeractivecolor"))));

  IniSection hint =
      WindowSection("HINTWINDOW", kHintPicture, second ? -1 : kHintMaskPicture, { kHintLT, kHintRT, kHintLB, kHintRB });
  Add(hint, "clientrect", Text(second ? Rect { 9, 3, 40, 27 } : Rect { 4, 4, 44, 28 }));
  Add(hint, "fontname", "Tahoma");
  Add(hint, "fontheight", second ? "11" : "13");
  Add(hint, "fontstyle", second ? "fsbold" : "fsitalic");
  Add(hint, "fontcolor", std::to_string(ColourValue(kOwnerHintWindow, CodeOf("fontcolor"))));
  return { popup, hint };
}

IniSection VersionSection(const std::string& name, const std::string& author, const std::string& email,
                          const std::string& url, const std::string& comments) {
  IniSection version = Section("VERSION");
  Add(version, "ver", "1");
  Add(version, "skinname", name);
  Add(version, "skinauthor", author);
  Add(version, "authoremail", email);
  Add(version, "authorurl", url);
  Add(version, "skincomments", comments);
  return version;
}

// The three frame pictures by name (an empty mask name for a skin without a mask) and the active ones.
IniSection PicturesSection(const Skin& skin) {
  IniSection pictures = Section("PICTURES");
  Add(pictures, "picture", skin.picture.iniName);
  Add(pictures, "inactivepicture", skin.inactivePicture.iniName);
  Add(pictures, "mask", skin.mask.iniName);
  Add(pictures, "activepicturescount", std::to_string(skin.activePictures.size()));
  for (size_t i = 0; i < skin.activePictures.size(); ++i)
    Add(pictures, std::to_string(i), skin.activePictures[i].iniName);
  return pictures;
}

// [FORMINFO]'s corner points and client rectangle.
void AddFrameGeometry(IniSection& form, Point lt, Point rt, Point lb, Point rb, Rect client) {
  Add(form, "lefttoppoint", Text(lt));
  Add(form, "righttoppoint", Text(rt));
  Add(form, "leftbottompoint", Text(lb));
  Add(form, "rightbottompoint", Text(rb));
  Add(form, "clientrect", Text(client));
}

std::vector<IniSection> GlobalSections(const Skin& skin, const std::string& skinName, bool second) {
  const IniSection version =
      VersionSection(skinName, "mkskin", "mkskin@localhost", "file://localhost/", "测试皮肤：颜色编码");
  const IniSection pictures = PicturesSection(skin);

  // The corner points already lie inside the client rectangle and the hit-test points are set, so
  // loading leaves every value as written.
  IniSection form = Section("FORMINFO");
  AddFrameGeometry(form, kFrameLT, kFrameRT, kFrameLB, kFrameRB, kFrameClientRect);
  Add(form, "bgpictureindex", std::to_string(kTilePicture));
  Add(form, "maskrectarea", Text(Rect { 4, 4, kFrameW - 4, kFrameH - 4 }));
  Add(form, "hittestlefttoppoint", Text(Point { 8, 8 }));
  Add(form, "hittestrighttoppoint", Text(Point { kFrameW - 8, 8 }));
  Add(form, "hittestleftbottompoint", Text(Point { 8, kFrameH - 8 }));
  Add(form, "hittestrightbottompoint", Text(Point { kFrameW - 8, kFrameH - 8 }));
  Add(form, "buttonsrect", Text(Rect { 144, 4, 236, 24 }));
  Add(form, "captionrect", Text(Rect { 26, 4, 144, 24 }));
  Add(form, "buttonsoffset", "2");
  Add(form, "buttonsinleft", "0");
  Add(form, "mainmenupopupup", "0");
  Add(form, "borderwidth", "4");
  Add(form, "autorenderinginactiveimage", "0");  // the skin has its own inactive picture
  Add(form, "inactiveeffect", "iegrayscale");

  std::vector<IniSection> sections = { version, pictures, form };
  for (IniSection& s : MenuWindowSections(second)) sections.push_back(std::move(s));
  return sections;
}

IniSection RecordList(const char* name, const std::vector<RecordDef>& records) {
  IniSection list = Section(name);
  Add(list, "count", std::to_string(records.size()));
  for (size_t i = 0; i < records.size(); ++i) Add(list, std::to_string(i), records[i].name + ":" + records[i].keyword);
  return list;
}

SkinPicture Named(std::string iniName, std::string fileName, Picture picture) {
  return { std::move(iniName), std::move(fileName), std::move(picture) };
}

struct SkinDef {
  std::string name;
  const std::vector<RecordDef>& objects;
  const std::vector<RecordDef>& controls;
  uint8_t (*objectOwner)(int);
  uint8_t (*controlOwner)(int);
  bool second;
};

// Empty packers for the three packed pictures.
Layout NewLayout() {
  Layout layout;
  layout.packers.emplace(kCtrlPicture, Packer(256));
  layout.packers.emplace(kButtonsPicture, Packer(128));
  layout.packers.emplace(kCtrl2Picture, Packer(256));
  return layout;
}

// The sections of every object record, then every control record, with their images placed.
std::vector<IniSection> LayOutRecords(const std::vector<RecordDef>& objects, const std::vector<RecordDef>& controls,
                                      uint8_t (*objectOwner)(int), uint8_t (*controlOwner)(int), Layout& layout,
                                      const LookPalette* look = nullptr) {
  std::vector<IniSection> sections;
  for (size_t i = 0; i < objects.size(); ++i)
    sections.push_back(LayOutRecord(objects[i], ObjectClasses(), objectOwner(static_cast<int>(i)), layout, look));
  for (size_t i = 0; i < controls.size(); ++i)
    sections.push_back(LayOutRecord(controls[i], ControlClasses(), controlOwner(static_cast<int>(i)), layout, look));
  return sections;
}

Skin BuildSkin(const SkinDef& def) {
  Layout layout = NewLayout();
  const auto& objects = def.objects;
  const auto& controls = def.controls;
  const std::vector<IniSection> recordSections =
      LayOutRecords(objects, controls, def.objectOwner, def.controlOwner, layout);

  Skin skin;
  Picture frame(kFrameW, kFrameH, Picture::Format::Rgb24, 0);
  Picture inactive(kFrameW, kFrameH, Picture::Format::Pal8, 0);
  PaintFrames(frame, inactive, layout.frameObjects);
  skin.picture = Named("frame.bmp", "frame.bmp", std::move(frame));
  skin.inactivePicture = Named("frame_in.bmp", "frame_in.bmp", std::move(inactive));
  skin.mask = Named("mask.bmp", "mask.bmp", MaskPicture(kFrameW, kFrameH));

  auto packed = [&](int index) {
    const Packer& p = layout.packers.at(index);
    return Picture(p.Width(), p.Height(), Picture::Format::Rgb24, kFillerPixel);
  };
  std::vector<Picture> active(kActivePictureCount);
  active[kCtrlPicture] = packed(kCtrlPicture);
  active[kPopupPicture] = WindowPicture(64, 64, kPopupLT, kPopupRB, kOwnerPopupWindow, Picture::Format::Rgb24);
  active[kPopupMaskPicture] = MaskPicture(64, 64);
  active[kHintPicture] = WindowPicture(48, 32, kHintLT, kHintRB, kOwnerHintWindow, Picture::Format::Rgb24TopDown);
  active[kHintMaskPicture] = MaskPicture(48, 32);
  active[kButtonsPicture] = packed(kButtonsPicture);
  active[kTilePicture] = Picture(16, 16, Picture::Format::Rgb24, 0);
  Paint(active[kTilePicture], { kTilePicture, { 0, 0, 16, 16 }, kOwnerTile, kTileCode, nullptr, {} });
  active[kCtrl2Picture] = packed(kCtrl2Picture);
  for (const PaintJob& job : layout.jobs) Paint(active.at(job.picture), job);
  // A control's mask is a picture of its own, as large as the face it shapes.
  for (const PaintJob& job : layout.masks) {
    const Rect at { 0, 0, job.rect.Width(), job.rect.Height() };
    active.at(job.picture) = Picture(at.r, at.b, Picture::Format::Mono1, 0xFFFFFF);
    PaintMask(active.at(job.picture), at, 2);
  }

  // Two names differ from the files on disk: a subdirectory written with "\" and a letter case that
  // only a case-insensitive lookup finds.
  const char* names[kActivePictureCount][2] = {
    { "ctrl.bmp", "ctrl.bmp" },      { "popup.bmp", "popup.bmp" },       { "popupmask.bmp", "PopupMask.bmp" },
    { "hint.bmp", "hint.bmp" },      { "hintmask.bmp", "hintmask.bmp" }, { "btns.bmp", "btns.bmp" },
    { "sub\\bg.bmp", "sub/BG.bmp" }, { "ctrl2.bmp", "ctrl2.bmp" },       { "ctrlmask.bmp", "ctrlmask.bmp" },
  };
  for (int i = 0; i < kActivePictureCount; ++i)
    skin.activePictures.push_back(Named(names[i][0], names[i][1], std::move(active[i])));

  skin.ini = GlobalSections(skin, def.name, def.second);
  skin.ini.push_back(RecordList("SKINOBJECTS", objects));
  skin.ini.push_back(RecordList("SKINCONTROLS", controls));
  skin.ini.insert(skin.ini.end(), recordSections.begin(), recordSections.end());
  return skin;
}

}  // namespace

Skin BuildTestSkin() {
  return BuildSkin({ "Generated Test Skin", ObjectRecords(), ControlRecords(), ObjectOwner, ControlOwner, false });
}

Skin BuildSecondSkin() {
  return BuildSkin({ "Generated Second Skin", ObjectRecords(), SecondControlRecords(), SecondObjectOwner,
                     SecondControlOwner, true });
}

}  // namespace mkskin

namespace mkskin {
namespace {

// The tool bar's and status bar's records of the second skin: a tool bar face stretched only sideways
// (scrolled, the bar repeats its middle) and a status bar with lopsided insets.
std::vector<RecordDef> ToolBarSecondRecords() {
  const int c1 = kCtrlPicture;
  return {
    Control("toolpanel", "panel", c1, 50, 26, { 5, 3, 9, 3 }, Stretch::Horizontal),
    Control("statusbar", "panel", c1, 60, 24, { 7, 4, 2, 5 }),
  };
}

}  // namespace
}  // namespace mkskin

// ---------------------------------------------------------------------------------------------------
// The real-look skins: the test skin's control records and key tables, drawn as a skin is meant to look.

namespace mkskin {
namespace {

// A frame with 4-pixel borders under a 26-pixel caption band; the caption buttons sit in its fixed right
// part, the system button in its fixed left part.
constexpr int kLookW = 240, kLookH = 120, kLookCorner = 8;
constexpr Rect kLookClient = { 4, 26, 236, 116 };
constexpr Point kLookLT = { 30, 30 }, kLookRT = { 146, 30 }, kLookLB = { 30, 112 }, kLookRB = { 146, 112 };
constexpr Rect kLookCaption = { 24, 0, 146, 26 }, kLookButtons = { 150, 4, 236, 22 };

const std::vector<RecordDef>& LookObjectRecords() {
  const auto framed = FramedObject;
  const auto packed = PackedObject;
  static const std::vector<RecordDef> records = {
    framed("caption", "caption", kLookCaption,
           // The caption text stands on the band itself, without a frame picture of its own.
           { Str("hint", ""), Area("textrect", 4, 3, -4, -3), Bool("shadow", false), Omit("framerect"),
             Omit("activeframerect"), Omit("frametextrect") }),
    framed("close", "stdbutton", { 216, 4, 234, 22 }, { Str("hint", "关闭"), Str("command", "cmclose") }),
    framed("max", "stdbutton", { 196, 4, 214, 22 }, { Str("hint", "最大化"), Str("command", "cmmaximize") }),
    framed("min", "stdbutton", { 176, 4, 194, 22 }, { Str("hint", "最小化"), Str("command", "cmminimize") }),
    framed("roll", "stdbutton", { 156, 4, 174, 22 }, { Str("hint", "卷起"), Str("command", "cmrollup") }),
    framed("sys", "stdbutton", { 5, 5, 21, 21 }, { Str("hint", "系统菜单"), Str("command", "cmsysmenu") }),
    packed("menuitem", "menuitem", 80, 20, { Str("hint", ""), Area("textrect", 22, 0, -16, 0) }),
    packed("menubaritem", "mainmenubaritem", 40, 20, { Str("hint", "") }),
    packed("mdiclose", "mainmenubarbutton", 16, 16, { Str("hint", "关闭"), Str("command", "cmclose") }),
    packed("mdimin", "mainmenubarbutton", 16, 16, { Str("hint", "最小化"), Str("command", "cmminimize") }),
    packed("mdimax", "mainmenubarbutton", 16, 16, { Str("hint", "最大化"), Str("command", "cmmaximize") }),
    packed("mdisys", "mainmenubarbutton", 16, 16, { Str("hint", "系统菜单"), Str("command", "cmsysmenu") }),
  };
  return records;
}

std::vector<IniSection> LookGlobalSections(const Skin& skin, const LookPalette& look) {
  const IniSection version =
      VersionSection(look.name, "xunjian", "", "", "xunjian real-look skin, drawn by tools/mkskin");
  const IniSection pictures = PicturesSection(skin);

  IniSection form = Section("FORMINFO");
  AddFrameGeometry(form, kLookLT, kLookRT, kLookLB, kLookRB, kLookClient);
  Add(form, "bgpictureindex", std::to_string(kTilePicture));
  Add(form, "buttonsrect", Text(kLookButtons));
  Add(form, "captionrect", Text(kLookCaption));
  Add(form, "buttonsoffset", "2");
  Add(form, "buttonsinleft", "0");
  Add(form, "mainmenupopupup", "0");
  // Corners a hand can hit: every point within the border width of an edge and within the hit-test
  // point of a corner sizes both ways, 8 pixels or more each way from the corner.
  Add(form, "hittestlefttoppoint", Text(Point { kLookCorner, kLookCorner }));
  Add(form, "hittestrighttoppoint", Text(Point { kLookW - kLookCorner, kLookCorner }));
  Add(form, "hittestleftbottompoint", Text(Point { kLookCorner, kLookH - kLookCorner }));
  Add(form, "hittestrightbottompoint", Text(Point { kLookW - kLookCorner, kLookH - kLookCorner }));
  Add(form, "borderwidth", std::to_string(kLookCorner));
  Add(form, "autorenderinginactiveimage", "0");
  Add(form, "inactiveeffect", "iegrayscale");

  auto colour = [&](const char* key) { return std::to_string(LookColour("", key, look)); };
  IniSection popup = WindowSection("POPUPWINDOW", kPopupPicture, -1,
                                   { Point { 4, 4 }, Point { 60, 4 }, Point { 4, 60 }, Point { 60, 60 } });
  Add(popup, "itemsrect", Text(Rect { 3, 3, 61, 61 }));
  Add(popup, "scrollmarkercolor", colour("scrollmarkercolor"));
  Add(popup, "scrollmarkeractivecolor", colour("scrollmarkeractivecolor"));

  IniSection hint = WindowSection("HINTWINDOW", kHintPicture, -1,
                                  { Point { 3, 3 }, Point { 45, 3 }, Point { 3, 29 }, Point { 45, 29 } });
  Add(hint, "clientrect", Text(Rect { 4, 3, 44, 29 }));
  Add(hint, "fontname", "宋体");
  Add(hint, "fontheight", "12");
  Add(hint, "fontstyle", "");
  Add(hint, "fontcolor", colour("fontcolor"));
  return { version, pictures, form, popup, hint };
}

LookImage AsLookImage(const PaintJob& job, bool area) {
  return { job.rec->name, job.rec->keyword, job.key, { job.rect.l, job.rect.t, job.rect.r, job.rect.b }, area };
}

}  // namespace

Skin BuildLookSkin(const LookPalette& look) {
  Layout layout = NewLayout();
  const std::vector<RecordDef>& objects = LookObjectRecords();
  // The test skin's control records; the lists lose the caption band their test faces carry.
  std::vector<RecordDef> controls = ControlRecords();
  for (RecordDef& r : controls)
    if (r.keyword == "listbox" || r.keyword == "checklistbox") r.points = r.client = { 3, 3, 3, 3 };
  const std::vector<IniSection> recordSections =
      LayOutRecords(objects, controls, ObjectOwner, ControlOwner, layout, &look);

  Skin skin;
  const LookBox client { kLookClient.l, kLookClient.t, kLookClient.r, kLookClient.b };
  Picture frame = LookFrame(kLookW, kLookH, client, look, false);
  Picture inactive = LookFrame(kLookW, kLookH, client, look, true);
  for (const PaintJob& job : layout.frameObjects) {
    if (job.rec->keyword == "caption") continue;  // the frame's caption band is its face already
    PaintLookImage(frame, AsLookImage(job, false), look);
    PaintLookImage(inactive, AsLookImage(job, false), look, true);
  }
  skin.picture = Named("frame.bmp", "frame.bmp", std::move(frame));
  skin.inactivePicture = Named("frame_in.bmp", "frame_in.bmp", std::move(inactive));

  auto packed = [&](int index) {
    const Packer& p = layout.packers.at(index);
    return Picture(p.Width(), p.Height(), Picture::Format::Rgb24, look.face);
  };
  std::vector<Picture> active(kCtrlMaskPicture);
  active[kCtrlPicture] = packed(kCtrlPicture);
  active[kPopupPicture] = LookWindow(64, 64, false, look);
  active[kHintPicture] = LookWindow(48, 32, true, look);
  active[kButtonsPicture] = packed(kButtonsPicture);
  active[kTilePicture] = LookTile(look);
  active[kCtrl2Picture] = packed(kCtrl2Picture);
  for (const PaintJob& job : layout.jobs) PaintLookImage(active.at(job.picture), AsLookImage(job, false), look);
  for (const PaintJob& job : layout.areas)
    if (job.picture != kFramePicture) PaintLookImage(active.at(job.picture), AsLookImage(job, true), look);

  // The look has no masks: the mask places name the window pictures again (one picture, two indexes).
  const char* names[kCtrlMaskPicture] = { "controls.bmp", "popup.bmp",   "popup.bmp",      "hint.bmp",
                                          "hint.bmp",     "buttons.bmp", "background.bmp", "controls2.bmp" };
  for (int i = 0; i < kCtrlMaskPicture; ++i) {
    Picture picture = active[i].width > 0 ? std::move(active[i]) : skin.activePictures.back().picture;
    skin.activePictures.push_back(Named(names[i], names[i], std::move(picture)));
  }

  skin.ini = LookGlobalSections(skin, look);
  skin.ini.push_back(RecordList("SKINOBJECTS", objects));
  skin.ini.push_back(RecordList("SKINCONTROLS", controls));
  skin.ini.insert(skin.ini.end(), recordSections.begin(), recordSections.end());
  return skin;
}

}  // namespace mkskin
