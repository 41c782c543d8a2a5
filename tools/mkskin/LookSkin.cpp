#include "tools/mkskin/LookSkin.h"

#include <algorithm>
#include <cstdlib>

namespace mkskin {

const LookPalette& AzureLook() {
  static const LookPalette p { "azure", 0x2F6DB5, 0x8DB6E8, 0xECECEC, 0x8C8C8C };
  return p;
}

const LookPalette& OliveLook() {
  static const LookPalette p { "olive", 0x5E7A2E, 0xB5C98A, 0xEDEBE4, 0x8E8E84 };
  return p;
}

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kText = 0x1E1E1E, kGreyText = 0x9A9A9A;
constexpr uint32_t kBorder = 0x7A7A7A, kShadow = 0xA0A0A0, kField = 0xFFFFFF;

uint32_t Mix(uint32_t a, uint32_t b, int num, int den) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int x = static_cast<int>(a >> shift & 0xFF), y = static_cast<int>(b >> shift & 0xFF);
    out |= static_cast<uint32_t>(x + (y - x) * num / std::max(den, 1)) << shift;
  }
  return out;
}

void Put(Picture& p, int x, int y, uint32_t c) {
  if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.Set(x, y, c);
}

void Fill(Picture& p, const LookBox& r, uint32_t c) {
  for (int y = r.t; y < r.b; ++y)
    for (int x = r.l; x < r.r; ++x) Put(p, x, y, c);
}

void GradientV(Picture& p, const LookBox& r, uint32_t top, uint32_t bottom) {
  for (int y = r.t; y < r.b; ++y) Fill(p, { r.l, y, r.r, y + 1 }, Mix(top, bottom, y - r.t, r.Height() - 1));
}

void GradientH(Picture& p, const LookBox& r, uint32_t left, uint32_t right) {
  for (int x = r.l; x < r.r; ++x) Fill(p, { x, r.t, x + 1, r.b }, Mix(left, right, x - r.l, r.Width() - 1));
}

// Two-colour edge: top and left in `tl`, bottom and right in `br`.
void Edge(Picture& p, const LookBox& r, uint32_t tl, uint32_t br) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  Fill(p, { r.l, r.t, r.r, r.t + 1 }, tl);
  Fill(p, { r.l, r.t, r.l + 1, r.b }, tl);
  Fill(p, { r.l, r.b - 1, r.r, r.b }, br);
  Fill(p, { r.r - 1, r.t, r.r, r.b }, br);
}

void Outline(Picture& p, const LookBox& r, uint32_t c) { Edge(p, r, c, c); }

LookBox Inset(const LookBox& r, int d) { return { r.l + d, r.t + d, r.r - d, r.b - d }; }

enum class State { Normal, Hot, Down, Disabled, Focus };

// A bevelled button face: a soft vertical gradient in a dark outline with a light inner edge; hot is
// tinted by the accent, pressed is darker with the light edge at the bottom, disabled is flat.
void Button(Picture& p, const LookBox& r, State s, const LookPalette& c) {
  uint32_t top = Mix(c.face, kWhite, 2, 3), bottom = Mix(c.face, kShadow, 1, 3);
  uint32_t outline = kBorder;
  switch (s) {
    case State::Normal:
      break;
    case State::Hot:
      top = Mix(c.accentLight, kWhite, 2, 3), bottom = Mix(c.accentLight, c.face, 1, 2);
      outline = c.accent;
      break;
    case State::Down:
      top = Mix(c.face, kShadow, 2, 3), bottom = Mix(c.face, kWhite, 1, 3);
      outline = Mix(c.accent, kBlack, 1, 3);
      break;
    case State::Disabled:
      top = bottom = c.face;
      outline = Mix(kBorder, c.face, 1, 2);
      break;
    case State::Focus:
      outline = c.accent;
      break;
  }
  GradientV(p, r, top, bottom);
  Outline(p, r, outline);
  if (s == State::Down)
    Edge(p, Inset(r, 1), Mix(c.face, kShadow, 3, 4), Mix(top, kWhite, 1, 2));
  else if (s != State::Disabled)
    Edge(p, Inset(r, 1), kWhite, Mix(bottom, kShadow, 1, 2));
  if (s == State::Focus) Outline(p, Inset(r, 1), Mix(c.accentLight, kWhite, 1, 2));
}

// A white field in a sunken frame (edits, lists); focused: the frame in the accent.
void Field(Picture& p, const LookBox& r, State s, const LookPalette& c, uint32_t fill = kField) {
  Fill(p, r, s == State::Disabled ? c.face : fill);
  Outline(p, r, s == State::Focus || s == State::Hot ? c.accent : Mix(kBorder, c.face, 1, 3));
  Edge(p, Inset(r, 1), Mix(c.face, kShadow, 1, 2), fill);
}

enum class Dir { Up, Down, Left, Right };

void Arrow(Picture& p, const LookBox& r, Dir d, uint32_t colour) {
  const int size = std::max(2, std::min(r.Width(), r.Height()) / 4 + 1);
  const int cx = (r.l + r.r) / 2, cy = (r.t + r.b) / 2;
  for (int i = 0; i < size; ++i) {
    const int half = size - 1 - i;  // the tip's row has no sides
    for (int j = -half; j <= half; ++j) {
      switch (d) {
        case Dir::Up:  // the widest row at the bottom, the tip at the top
          Put(p, cx + j, cy + size / 2 - i, colour);
          break;
        case Dir::Down:
          Put(p, cx + j, cy - size / 2 + i, colour);
          break;
        case Dir::Left:
          Put(p, cx + size / 2 - i, cy + j, colour);
          break;
        case Dir::Right:
          Put(p, cx - size / 2 + i, cy + j, colour);
          break;
      }
    }
  }
}

void CheckMark(Picture& p, const LookBox& r, uint32_t colour) {
  const int x0 = r.l + r.Width() / 4, y0 = r.t + r.Height() / 2;
  for (int i = 0; i < 3; ++i) Fill(p, { x0 + i, y0 + i - 1, x0 + i + 1, y0 + i + 2 }, colour);
  for (int i = 0; i < 5; ++i) Fill(p, { x0 + 3 + i, y0 + 1 - i, x0 + 4 + i, y0 + 4 - i }, colour);
}

// A round mark: the disc in `fill` inside a ring in `ring` (radio boxes).
void Disc(Picture& p, const LookBox& r, uint32_t ring, uint32_t fill, int inner) {
  const double cx = (r.l + r.r - 1) / 2.0, cy = (r.t + r.b - 1) / 2.0, rad = std::min(r.Width(), r.Height()) / 2.0;
  for (int y = r.t; y < r.b; ++y)
    for (int x = r.l; x < r.r; ++x) {
      const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if (d <= (rad - 0.5) * (rad - 0.5)) Put(p, x, y, d >= (rad - 1.6) * (rad - 1.6) ? ring : fill);
      if (inner > 0 && d <= inner * inner) Put(p, x, y, ring);
    }
}

// The caption buttons' glyphs by the command they carry.
void CaptionGlyph(Picture& p, const LookBox& r, const std::string& record, bool restore, uint32_t c) {
  const LookBox g { r.l + r.Width() / 2 - 4, r.t + r.Height() / 2 - 4, r.l + r.Width() / 2 + 4,
                    r.t + r.Height() / 2 + 4 };
  if (record == "close" || record == "mdiclose") {
    for (int i = 0; i < 8; ++i) {
      Fill(p, { g.l + i, g.t + i, g.l + i + 2, g.t + i + 1 }, c);
      Fill(p, { g.r - i - 2, g.t + i, g.r - i, g.t + i + 1 }, c);
    }
  } else if (record == "min" || record == "mdimin") {
    Fill(p, { g.l, g.b - 2, g.r, g.b }, c);
  } else if (record == "max" || record == "mdimax") {
    if (restore) {
      Outline(p, { g.l + 2, g.t, g.r, g.b - 2 }, c);
      Fill(p, { g.l, g.t + 2, g.r - 2, g.b }, 0x00FFFFFF & p.At(g.l, g.t + 2));
      Outline(p, { g.l, g.t + 2, g.r - 2, g.b }, c);
      Fill(p, { g.l, g.t + 2, g.r - 2, g.t + 3 }, c);
    } else {
      Outline(p, g, c);
      Fill(p, { g.l, g.t + 1, g.r, g.t + 2 }, c);
    }
  } else if (record == "roll") {
    Arrow(p, g, restore ? Dir::Down : Dir::Up, c);
  } else if (record == "sys" || record == "mdisys") {
    Fill(p, Inset(g, 1), c);
    Fill(p, { g.l + 2, g.t + 3, g.r - 2, g.t + 4 }, kWhite);
  }
}

// ---- States of keys ----

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(const std::string& s, const std::string& start) { return s.rfind(start, 0) == 0; }

struct Split {
  State state { State::Normal };
  std::string base;
};

// The state a key shows and what it shows: "activeupbuttonrect" is the up button hot,
// "closebuttondownrect" the close button pressed, "downrect" the face pressed. In the classes with arrow
// pairs "downbuttonrect" is the down arrow, elsewhere the button pressed.
Split SplitKey(const std::string& key, bool arrowPair) {
  if (key == "downrect") return { State::Down, "skinrect" };
  if (key == "disableskinrsect") return { State::Disabled, "skinrect" };
  static const std::pair<const char*, State> prefixes[] = {
    { "active", State::Hot },        { "mousein", State::Hot },        { "down", State::Down },
    { "disabled", State::Disabled }, { "unenabled", State::Disabled }, { "focus", State::Focus },
  };
  if (arrowPair && (key == "downbuttonrect")) return { State::Normal, key };
  for (const auto& [prefix, state] : prefixes)
    if (StartsWith(key, prefix) && key.size() > std::string(prefix).size() + 3)
      return { state, key.substr(std::string(prefix).size()) };
  // Suffix forms: "closebuttonactiverect", "restoreinactiverect".
  static const std::pair<const char*, State> suffixes[] = { { "inactiverect", State::Disabled },
                                                            { "activerect", State::Hot },
                                                            { "downrect", State::Down } };
  for (const auto& [suffix, state] : suffixes)
    if (EndsWith(key, suffix)) return { state, key.substr(0, key.size() - std::string(suffix).size()) + "rect" };
  return { State::Normal, key };
}

bool IsArrowPairClass(const std::string& keyword) {
  return keyword == "scrollbar" || keyword == "updown" || keyword == "spinedit" || keyword == "listbox" ||
         keyword == "checklistbox";
}

// Which way an arrow button of a record points: the "up" button raises the value.
Dir ArrowDir(const std::string& record, const std::string& base) {
  const bool up = StartsWith(base, "up");
  if (record == "hscrollbar" || record == "bothhscrollbar" || record == "hupdown" || record == "htrackbar")
    return up ? Dir::Right : Dir::Left;
  if (record == "vscrollbar") return up ? Dir::Down : Dir::Up;
  return up ? Dir::Up : Dir::Down;
}

// ---- Records ----

void PaintFace(Picture& p, const LookImage& im, State s, const LookPalette& c) {
  const std::string& k = im.keyword;
  const std::string& name = im.record;
  const LookBox& r = im.rect;
  if (k == "button" || k == "menubutton" || k == "stdbutton" || k == "mainmenubarbutton" || k == "updown") {
    Button(p, r, s, c);
  } else if (k == "edit" || k == "memo" || k == "combobox" || k == "spinedit") {
    Field(p, r, s, c);
  } else if (k == "listbox" || k == "checklistbox") {
    Field(p, r, s, c);
  } else if (k == "panel" || k == "expanel") {
    Fill(p, r, c.face);
    if (name == "panel" || name == "groupbox" || k == "expanel") {
      GradientV(p, { r.l, r.t, r.r, r.t + 22 }, Mix(c.accentLight, kWhite, 1, 2), c.accentLight);
      Outline(p, r, Mix(kBorder, c.accent, 1, 3));
      Edge(p, Inset(r, 1), kWhite, Mix(c.face, kShadow, 1, 2));
    } else if (name == "statusbar") {
      GradientV(p, r, c.face, Mix(c.face, kShadow, 1, 3));
      Fill(p, { r.l, r.t, r.r, r.t + 1 }, Mix(kBorder, c.face, 1, 2));
    } else {  // tool bars
      GradientV(p, r, Mix(c.face, kWhite, 2, 3), Mix(c.face, kShadow, 1, 4));
      Edge(p, r, kWhite, Mix(kBorder, c.face, 1, 2));
    }
  } else if (k == "label") {
    Fill(p, r, c.face);
    if (name == "statuspanel") Edge(p, r, Mix(c.face, kShadow, 2, 3), kWhite);
  } else if (k == "checkradio") {
    Fill(p, r, c.face);
    if (s == State::Hot) Fill(p, Inset(r, 1), Mix(c.face, c.accentLight, 1, 3));
  } else if (k == "gauge") {
    Field(p, r, State::Normal, c, Mix(c.face, kWhite, 1, 2));
  } else if (k == "trackbar") {
    Fill(p, r, c.face);
    const bool vertical = r.Height() > r.Width();
    const int m = vertical ? (r.l + r.r) / 2 : (r.t + r.b) / 2;
    // The groove runs the whole face, so a face stretched or tiled along it stays one line.
    if (vertical) {
      Fill(p, { m - 2, r.t, m + 2, r.b }, kWhite);
      Fill(p, { m - 2, r.t, m - 1, r.b }, kShadow);
    } else {
      Fill(p, { r.l, m - 2, r.r, m + 2 }, kWhite);
      Fill(p, { r.l, m - 2, r.r, m - 1 }, kShadow);
    }
  } else if (k == "scrollbar") {
    GradientV(p, r, Mix(c.face, kShadow, 1, 4), c.face);
    Outline(p, r, Mix(kBorder, c.face, 1, 2));
  } else if (k == "tab") {
    Fill(p, r, c.face);
    Edge(p, r, kWhite, kBorder);
  } else if (k == "mainmenubar") {
    GradientV(p, r, Mix(c.face, kWhite, 1, 2), c.face);
  } else if (k == "mainmenubaritem") {
    if (s == State::Hot) {
      Fill(p, r, Mix(c.accentLight, kWhite, 1, 2));
      Outline(p, r, c.accentLight);
    } else if (s == State::Down) {
      Fill(p, r, c.accent);
    } else {
      GradientV(p, r, Mix(c.face, kWhite, 1, 2), c.face);
    }
  } else if (k == "menuitem") {
    Fill(p, r, s == State::Hot ? c.accent : kWhite);
  } else if (k == "caption") {
    GradientV(p, r, s == State::Disabled ? Mix(c.inactiveDark, kWhite, 1, 2) : c.accentLight,
              s == State::Disabled ? c.inactiveDark : c.accent);
  } else if (k == "splitter") {
    Fill(p, r, c.face);
    for (int y = r.t + r.Height() / 2 - 6; y <= r.t + r.Height() / 2 + 6; y += 3)
      Fill(p, { (r.l + r.r) / 2 - 1, y, (r.l + r.r) / 2 + 1, y + 2 }, kShadow);
  } else if (k == "controlbar" || k == "scrollbox") {
    Fill(p, r, c.face);
    Edge(p, r, Mix(c.face, kShadow, 1, 2), kWhite);
  } else {
    Fill(p, r, c.face);
  }
}

// Images other than faces, by what they show.
void PaintPart(Picture& p, const LookImage& im, const Split& sp, const LookPalette& c) {
  const LookBox& r = im.rect;
  const std::string& b = sp.base;
  const std::string& k = im.keyword;
  const uint32_t glyph = sp.state == State::Disabled ? kGreyText : kText;
  if (b == "upbuttonrect" || b == "downbuttonrect") {
    Button(p, r, sp.state, c);
    Arrow(p, Inset(r, 2), ArrowDir(im.record, b), glyph);
  } else if (b == "checkbuttonrect") {
    Button(p, r, sp.state, c);
    CheckMark(p, Inset(r, 1), glyph);
  } else if (b == "buttonrect" && (k == "combobox" || k == "edit" || k == "memo")) {
    Button(p, r, sp.state, c);
    Arrow(p, r, Dir::Down, glyph);
  } else if (b == "buttonrect" || b == "thumbrect" || b == "hthumbrect" || b == "vthumbrect") {
    Button(p, r, sp.state, c);
  } else if (b == "trackbuttonrect") {
    Arrow(p, r, Dir::Down, glyph);
  } else if (b == "glyphrect") {
    Fill(p, r, Mix(c.face, kWhite, 1, 3));
    for (int i = 1; i < r.Width() - 1; i += 3) Fill(p, { r.l + i, r.t + 1, r.l + i + 1, r.b - 1 }, kShadow);
  } else if (b == "itemrect" && k == "controlbar") {
    Button(p, r, State::Normal, c);
  } else if (b == "itemrect") {
    const bool selected = sp.state == State::Hot || sp.state == State::Focus;
    Fill(p, r, selected ? c.accent : kWhite);
    if (sp.state == State::Focus) Outline(p, r, Mix(c.accent, kBlack, 1, 3));
  } else if (b == "checkimagerect" || b == "uncheckimagerect") {
    const bool checked = b == "checkimagerect";
    const bool radio = im.record == "radiobox";
    const uint32_t ring = sp.state == State::Disabled ? kGreyText : sp.state == State::Hot ? c.accent : kBorder;
    const uint32_t fill = sp.state == State::Disabled ? c.face
                          : sp.state == State::Hot    ? Mix(c.accentLight, kWhite, 2, 3)
                                                      : kWhite;
    Fill(p, r, im.keyword == "checkradio" ? c.face : kWhite);
    if (radio) {
      Disc(p, r, ring, fill, checked ? 2 : 0);
    } else {
      Fill(p, Inset(r, 1), fill);
      Outline(p, r, ring);
      if (checked) CheckMark(p, Inset(r, 1), sp.state == State::Disabled ? kGreyText : c.accent);
    }
  } else if (b == "progressrect") {
    if (r.Height() > r.Width())
      GradientH(p, r, c.accentLight, c.accent);
    else
      GradientV(p, r, c.accentLight, c.accent);
  } else if (b == "tabrect") {
    const State s = sp.state;
    if (s == State::Hot && im.key == "activetabrect") {  // the selected tab joins the page
      Fill(p, r, c.face);
      Edge(p, { r.l, r.t, r.r, r.b + 1 }, kWhite, kBorder);
      Fill(p, { r.l, r.t, r.r, r.t + 2 }, c.accent);
    } else {
      GradientV(p, r, s == State::Hot ? Mix(c.accentLight, kWhite, 1, 2) : kWhite, Mix(c.face, kShadow, 1, 4));
      Edge(p, { r.l, r.t, r.r, r.b + 1 }, kWhite, kBorder);
      Fill(p, { r.l, r.b - 1, r.r, r.b }, kBorder);
      if (s == State::Focus) Outline(p, Inset(r, 3), c.accent);
    }
  } else if (b == "tabsbgrect") {
    Fill(p, r, c.face);
  } else if (b == "dividerrect") {
    Fill(p, r, kWhite);
    Fill(p, { r.l, (r.t + r.b) / 2 - 1, r.r, (r.t + r.b) / 2 }, kShadow);
    Fill(p, { r.l, (r.t + r.b) / 2, r.r, (r.t + r.b) / 2 + 1 }, kWhite);
  } else if (b == "hrulerrect" || b == "vrulerrect") {
    Fill(p, r, kWhite);
    Edge(p, r, kShadow, kWhite);
  } else if (b == "fixedcellrect") {
    GradientV(p, r, kWhite, c.face);
    Edge(p, r, kWhite, kShadow);
  } else if (b == "selectcellrect" || b == "cellrect") {
    Fill(p, r, c.accent);
    if (sp.state == State::Focus) Outline(p, r, kBlack);
  } else if (b == "framerect") {
    GradientV(p, r, c.accentLight, c.accent);
  } else if (b == "rollhskinrect" || b == "rollvskinrect") {
    GradientV(p, r, Mix(c.accentLight, kWhite, 1, 2), c.accentLight);
    Outline(p, r, Mix(kBorder, c.accent, 1, 3));
  } else if (EndsWith(b, "buttonrect") || b == "restorerect") {
    // Expanded panels' and caption buttons' small buttons.
    Button(p, r, sp.state, c);
    std::string what = b.substr(0, b.size() - std::string("buttonrect").size());
    if (what == "close")
      CaptionGlyph(p, r, "close", false, glyph);
    else if (what == "hroll" || what == "vroll")
      Arrow(p, Inset(r, 3), what[0] == 'h' ? Dir::Left : Dir::Up, glyph);
    else if (what == "hrestore" || what == "vrestore")
      Arrow(p, Inset(r, 3), what[0] == 'h' ? Dir::Right : Dir::Down, glyph);
    else
      CaptionGlyph(p, r, im.record, b == "restorerect", glyph);
  } else {
    Fill(p, r, c.face);
  }
}

}  // namespace

void PaintLookImage(Picture& p, const LookImage& im, const LookPalette& c, bool inactive) {
  Split sp = SplitKey(im.key, IsArrowPairClass(im.keyword));
  if (inactive && sp.state == State::Normal) sp.state = State::Disabled;
  if (im.area) {
    // Places on a face: the arrow and check buttons drawn in their place; other areas are where text or
    // items go and stay as the face has them. A list's caption buttons show only in its caption mode,
    // which draws them itself; of the edits only the button edit shows its button.
    if (im.keyword == "listbox" || im.keyword == "checklistbox") return;
    if (sp.base == "upbuttonrect" || sp.base == "downbuttonrect" || sp.base == "checkbuttonrect" ||
        (sp.base == "buttonrect" && (im.keyword == "combobox" || im.record == "buttonedit")) ||
        sp.base == "trackbuttonrect")
      PaintPart(p, im, sp, c);
    return;
  }
  if (sp.base == "skinrect" || sp.base == "restorerect" || im.keyword == "stdbutton" || im.keyword == "button" ||
      im.keyword == "mainmenubarbutton") {
    const bool caption = im.keyword == "stdbutton" || im.keyword == "button" || im.keyword == "mainmenubarbutton";
    if (sp.base == "skinrect" || !caption) PaintFace(p, im, sp.state, c);
    if (caption && im.keyword != "button") {
      if (sp.base != "skinrect") Button(p, im.rect, sp.state, c);
      CaptionGlyph(p, im.rect, im.record, sp.base == "restorerect", sp.state == State::Disabled ? kGreyText : kText);
    }
    return;
  }
  PaintPart(p, im, sp, c);
}

int32_t LookColour(const std::string& keyword, const std::string& key, const LookPalette& c) {
  auto value = [](uint32_t rgb) {
    return static_cast<int32_t>((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
  };
  const bool selectionText = key == "focusfontcolor" || key == "selectfontcolor" ||
                             (keyword == "menuitem" && key == "activefontcolor") ||
                             (keyword == "mainmenubaritem" && key == "downfontcolor");
  if (keyword == "caption") {
    if (key == "activefontcolor") return value(kWhite);
    if (key == "fontcolor") return value(0xE8E8E8);
    return value(Mix(c.accent, kBlack, 1, 2));  // shadows
  }
  if (selectionText) return value(kWhite);
  if (key == "disabledfontcolor" || key == "unenabledfontcolor" || key == "unenabledfontColor") return value(kGreyText);
  if (key == "bgcolor" || key == "activebgcolor") return value(kWhite);
  if (key == "lightcolor") return value(kWhite);
  if (key == "darkcolor" || key == "pointscolor" || key == "linescolor") return value(kShadow);
  if (key == "trackmarkcolor" || key == "scrollmarkercolor") return value(kShadow);
  if (key == "trackmarkactivecolor" || key == "scrollmarkeractivecolor") return value(c.accent);
  return value(kText);
}

Picture LookFrame(int w, int h, const LookBox& client, const LookPalette& c, bool inactive) {
  Picture p(w, h, Picture::Format::Rgb24, c.face);
  const uint32_t top = inactive ? Mix(c.inactiveDark, kWhite, 1, 2) : c.accentLight;
  const uint32_t bottom = inactive ? c.inactiveDark : c.accent;
  // The caption band's gradient runs on into the borders, darker towards the bottom edge.
  GradientV(p, { 0, 0, w, client.t }, top, bottom);
  Fill(p, { 0, client.t, client.l, h }, bottom);
  Fill(p, { client.r, client.t, w, h }, bottom);
  Fill(p, { 0, client.b, w, h }, bottom);
  Outline(p, { 0, 0, w, h }, Mix(bottom, kBlack, 1, 2));
  Edge(p, { 1, 1, w - 1, h - 1 }, Mix(top, kWhite, 1, 2), Mix(bottom, kBlack, 1, 4));
  Outline(p, { client.l - 1, client.t - 1, client.r + 1, client.b + 1 }, Mix(bottom, kBlack, 1, 3));
  Fill(p, client, c.face);
  return p;
}

Picture LookWindow(int w, int h, bool hint, const LookPalette& c) {
  Picture p(w, h, Picture::Format::Rgb24, hint ? 0xFFFFE6 : kWhite);
  Outline(p, { 0, 0, w, h }, hint ? 0x767676 : Mix(kBorder, c.accent, 1, 3));
  if (!hint) Fill(p, { 1, 1, 3, h - 1 }, Mix(c.face, kWhite, 1, 2));
  return p;
}

Picture LookTile(const LookPalette& c) { return Picture(16, 16, Picture::Format::Rgb24, c.face); }

}  // namespace mkskin
