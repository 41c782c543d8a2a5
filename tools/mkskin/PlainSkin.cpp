// The plain skin: the test skin's records laid out the same way, painted with a plain desktop look
// (a blue gradient caption, grey bevelled buttons with a blue hot state, white fields, a blue selection).
//
// Faces are 9-sliced by the controls: the bands between the corner points are repeated, not stretched.
// So a gradient only runs across rows or columns that are never repeated in its direction (the fixed
// top and bottom bands of a face), and the repeated middle is one flat colour.
#include "tools/mkskin/PlainSkin.h"

#include "tools/mkskin/SkinLayout.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace mkskin {

namespace {

// ---------------------------------------------------------------------------------------------------
// Colours (0xRRGGBB).

constexpr uint32_t kFace = 0xF0F0F0;  // the face of forms, panels and bars
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kGreyText = 0x8D8D8D;
constexpr uint32_t kBorder = 0x8E8F8F;       // a button's outline
constexpr uint32_t kFieldBorder = 0xA5ACB5;  // an edit field's outline
constexpr uint32_t kHotBorder = 0x3C7FB1;
constexpr uint32_t kDownBorder = 0x2C628B;
constexpr uint32_t kDisabledBorder = 0xBFC3C7;
constexpr uint32_t kSelection = 0x3875D7;
constexpr uint32_t kSelectionDark = 0x2A5CB0;
constexpr uint32_t kGlyph = 0x3C3C3C;
constexpr uint32_t kShadow = 0xA0A0A0;
constexpr uint32_t kCaptionTop = 0x5B8FD0, kCaptionBottom = 0x2C5E9E;
constexpr uint32_t kInactiveTop = 0xB9C4D0, kInactiveBottom = 0x98A5B3;
constexpr uint32_t kFrameEdge = 0x1D3D66, kInactiveEdge = 0x7A8591;
constexpr uint32_t kProgressTop = 0x7CD37C, kProgressBottom = 0x1F9A2E;

// A colour value of the skin file: 0x00BBGGRR.
int32_t ColourValue(uint32_t rgb) {
  return static_cast<int32_t>((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto channel = [&](int shift) {
    const double ca = a >> shift & 0xFF, cb = b >> shift & 0xFF;
    return static_cast<uint32_t>(std::lround(ca + (cb - ca) * t)) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

// ---------------------------------------------------------------------------------------------------
// Drawing on a picture; every rectangle is in picture coordinates and must lie inside it.

void Check(const Picture& p, const Rect& r) {
  if (r.l < 0 || r.t < 0 || r.r > p.width || r.b > p.height || r.Width() < 0 || r.Height() < 0)
    throw std::runtime_error("a drawing lies outside its picture");
}

void Fill(Picture& p, const Rect& r, uint32_t c) {
  Check(p, r);
  for (int y = r.t; y < r.b; ++y)
    for (int x = r.l; x < r.r; ++x) p.Set(x, y, c);
}

void Dot(Picture& p, int x, int y, uint32_t c) {
  if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.Set(x, y, c);
}

void Outline(Picture& p, const Rect& r, uint32_t c) {
  Fill(p, { r.l, r.t, r.r, r.t + 1 }, c);
  Fill(p, { r.l, r.b - 1, r.r, r.b }, c);
  Fill(p, { r.l, r.t, r.l + 1, r.b }, c);
  Fill(p, { r.r - 1, r.t, r.r, r.b }, c);
}

// Rows from `top` to `bottom` colour.
void VGradient(Picture& p, const Rect& r, uint32_t top, uint32_t bottom) {
  Check(p, r);
  for (int y = r.t; y < r.b; ++y) {
    const double t = r.Height() > 1 ? double(y - r.t) / (r.Height() - 1) : 0.0;
    Fill(p, { r.l, y, r.r, y + 1 }, Mix(top, bottom, t));
  }
}

void HGradient(Picture& p, const Rect& r, uint32_t left, uint32_t right) {
  Check(p, r);
  for (int x = r.l; x < r.r; ++x) {
    const double t = r.Width() > 1 ? double(x - r.l) / (r.Width() - 1) : 0.0;
    Fill(p, { x, r.t, x + 1, r.b }, Mix(left, right, t));
  }
}

Rect Inset(const Rect& r, int d) { return { r.l + d, r.t + d, r.r - d, r.b - d }; }
Rect Shift(const Rect& r, int dx, int dy) { return { r.l + dx, r.t + dy, r.r + dx, r.b + dy }; }

// A look of a bevelled face: outline, the colours of its fixed top band (top to middle), its repeated
// middle and its fixed bottom band (middle to bottom), and an inner highlight line.
struct Look {
  uint32_t border, top, mid, bottom;
  bool highlight { true };
};

enum class State { Normal, Hot, Down, Disabled };

Look ButtonLook(State s) {
  switch (s) {
    case State::Hot:
      return { kHotBorder, 0xEAF6FD, 0xD9F0FC, 0xBEE6FD };
    case State::Down:
      return { kDownBorder, 0xC4E5F6, 0xA9D9F2, 0x90CBEB, false };
    case State::Disabled:
      return { kDisabledBorder, 0xF4F4F4, 0xF4F4F4, 0xF4F4F4, false };
    case State::Normal:
      break;
  }
  return { kBorder, 0xFBFBFB, 0xEBEBEB, 0xD6D6D6 };
}

// A face with rounded corners. `fixedTop` and `fixedBottom` are the rows that are never repeated.
void Bevel(Picture& p, const Rect& r, const Look& look, int fixedTop, int fixedBottom) {
  const int h = r.Height();
  fixedTop = std::clamp(fixedTop, 0, h);
  fixedBottom = std::clamp(fixedBottom, 0, h - fixedTop);
  for (int y = 0; y < h; ++y) {
    uint32_t c = look.mid;
    if (y < fixedTop) c = Mix(look.top, look.mid, fixedTop > 1 ? double(y) / (fixedTop - 1) : 1.0);
    if (y >= h - fixedBottom)
      c = Mix(look.mid, look.bottom, fixedBottom > 1 ? double(y - (h - fixedBottom)) / (fixedBottom - 1) : 1.0);
    Fill(p, { r.l, r.t + y, r.r, r.t + y + 1 }, c);
  }
  if (look.highlight && r.Width() > 4 && h > 4) {
    Fill(p, { r.l + 1, r.t + 1, r.r - 1, r.t + 2 }, Mix(kWhite, look.top, 0.2));
    Fill(p, { r.l + 1, r.t + 1, r.l + 2, r.b - 1 }, Mix(kWhite, look.mid, 0.4));
  }
  Outline(p, r, look.border);
  // Soft corners: the corner pixel half way to the face.
  const uint32_t soft = Mix(look.border, kFace, 0.6);
  Dot(p, r.l, r.t, soft);
  Dot(p, r.r - 1, r.t, soft);
  Dot(p, r.l, r.b - 1, soft);
  Dot(p, r.r - 1, r.b - 1, soft);
}

// A white field with a thin outline (edits, lists, combo boxes).
void Field(Picture& p, const Rect& r, uint32_t border, uint32_t fill = kWhite) {
  Fill(p, r, fill);
  Outline(p, r, border);
}

// A sunken well (status panels, scroll boxes, gauges).
void Sunken(Picture& p, const Rect& r, uint32_t fill) {
  Fill(p, r, fill);
  Fill(p, { r.l, r.t, r.r, r.t + 1 }, kShadow);
  Fill(p, { r.l, r.t, r.l + 1, r.b }, kShadow);
  Fill(p, { r.l, r.b - 1, r.r, r.b }, kWhite);
  Fill(p, { r.r - 1, r.t, r.r, r.b }, kWhite);
}

// ---------------------------------------------------------------------------------------------------
// Glyphs, centred in a rectangle.

enum class Dir { Up, Down, Left, Right };

void Arrow(Picture& p, const Rect& r, Dir d, uint32_t c, int size = 4) {
  // `size` rows, the base 2 * size - 1 pixels wide and the point one pixel.
  const int cx = r.l + (r.Width() - 1) / 2, cy = r.t + (r.Height() - 1) / 2;
  for (int i = 0; i < size; ++i) {
    const int half = size - 1 - i, off = i - size / 2;
    for (int j = -half; j <= half; ++j) {
      switch (d) {
        case Dir::Down:
          Dot(p, cx + j, cy + off, c);
          break;
        case Dir::Up:
          Dot(p, cx + j, cy - off, c);
          break;
        case Dir::Right:
          Dot(p, cx + off, cy + j, c);
          break;
        case Dir::Left:
          Dot(p, cx - off, cy + j, c);
          break;
      }
    }
  }
}

void Check(Picture& p, const Rect& r, uint32_t c) {
  const int x0 = r.l + (r.Width() - 7) / 2, y0 = r.t + (r.Height() - 7) / 2;
  static const int ys[7] = { 2, 3, 4, 3, 2, 1, 0 };
  for (int i = 0; i < 7; ++i)
    for (int k = 0; k < 3; ++k) Dot(p, x0 + i, y0 + ys[i] + k + 1, c);
}

void Disc(Picture& p, const Rect& r, double radius, uint32_t c) {
  const double cx = r.l + r.Width() / 2.0, cy = r.t + r.Height() / 2.0;
  for (int y = r.t; y < r.b; ++y)
    for (int x = r.l; x < r.r; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d <= radius - 0.5)
        p.Set(x, y, c);
      else if (d < radius + 0.5)
        p.Set(x, y, Mix(c, p.At(x, y), d - (radius - 0.5)));
    }
}

// Caption button glyphs, 2 pixels thick, in a square of `r`.
void CrossGlyph(Picture& p, const Rect& r, uint32_t c) {
  const int n = std::min(r.Width(), r.Height()) - 8, x0 = r.l + (r.Width() - n) / 2, y0 = r.t + (r.Height() - n) / 2;
  for (int i = 0; i < n; ++i) {
    Fill(p, { x0 + i, y0 + i, x0 + i + 2, y0 + i + 1 }, c);
    Fill(p, { x0 + n - 2 - i, y0 + i, x0 + n - i, y0 + i + 1 }, c);
  }
}

void MinGlyph(Picture& p, const Rect& r, uint32_t c) {
  const int n = std::min(r.Width(), r.Height()) - 8, x0 = r.l + (r.Width() - n) / 2, y0 = r.t + (r.Height() + n) / 2;
  Fill(p, { x0, y0 - 2, x0 + n, y0 }, c);
}

void MaxGlyph(Picture& p, const Rect& r, uint32_t c) {
  const int n = std::min(r.Width(), r.Height()) - 8, x0 = r.l + (r.Width() - n) / 2, y0 = r.t + (r.Height() - n) / 2;
  const Rect box { x0, y0, x0 + n, y0 + n };
  Outline(p, box, c);
  Fill(p, { box.l, box.t, box.r, box.t + 2 }, c);
}

void RestoreGlyph(Picture& p, const Rect& r, uint32_t c, uint32_t back) {
  const int n = std::min(r.Width(), r.Height()) - 9, x0 = r.l + (r.Width() - n) / 2, y0 = r.t + (r.Height() - n) / 2;
  const Rect behind { x0 + 2, y0 - 1, x0 + n + 1, y0 + n - 2 }, front { x0 - 1, y0 + 2, x0 + n - 2, y0 + n + 1 };
  Outline(p, behind, c);
  Fill(p, { behind.l, behind.t, behind.r, behind.t + 2 }, c);
  Fill(p, Inset(front, 1), back);
  Outline(p, front, c);
  Fill(p, { front.l, front.t, front.r, front.t + 2 }, c);
}

void HelpGlyph(Picture& p, const Rect& r, uint32_t c) {
  static const char* rows[] = { ".####.", "##..##", "....##", "...##.", "..##..", "..##..", "......", "..##.." };
  const int x0 = r.l + (r.Width() - 6) / 2, y0 = r.t + (r.Height() - 8) / 2;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 6; ++x)
      if (rows[y][x] == '#') Dot(p, x0 + x, y0 + y, c);
}

// A chevron pointing up (rolled down) or down (rolled up), two pixels thick.
void Chevron(Picture& p, const Rect& r, bool up, uint32_t c) {
  const int cx = r.l + (r.Width() - 1) / 2, cy = r.t + (r.Height() - 1) / 2;
  for (int i = -3; i <= 3; ++i) {
    const int y = up ? cy - 2 + std::abs(i) : cy + 2 - std::abs(i);
    Dot(p, cx + i, y, c);
    Dot(p, cx + i, up ? y + 1 : y - 1, c);
  }
}

// The system menu's glyph: a small window.
void WindowGlyph(Picture& p, const Rect& r) {
  const Rect w { r.l + 2, r.t + 3, r.r - 2, r.b - 3 };
  Fill(p, w, kWhite);
  Fill(p, { w.l, w.t, w.r, w.t + 3 }, 0x2C5E9E);
  Outline(p, w, 0x1D3D66);
}

void Grip(Picture& p, const Rect& r, bool vertical) {
  const int cx = r.l + r.Width() / 2, cy = r.t + r.Height() / 2;
  for (int i = -1; i <= 1; ++i) {
    const int x = vertical ? cx - 1 : cx + i * 3 - 1, y = vertical ? cy + i * 3 - 1 : cy - 1;
    Dot(p, x, y, kShadow);
    Dot(p, x + 1, y + 1, kWhite);
  }
}

// ---------------------------------------------------------------------------------------------------
// The frame.

constexpr int kFrameW = 240, kFrameH = 120;
constexpr Rect kClient = { 4, 26, 236, 116 };
constexpr Point kLT = { 30, 30 }, kRT = { 130, 30 }, kLB = { 30, 110 }, kRB = { 130, 110 };
constexpr Rect kCaptionBar = { 1, 1, 239, 25 };

constexpr FramePlaces kPlaces = { .caption = { 24, 3, 134, 23 },
                                  .close = { 216, 5, 234, 21 },
                                  .max = { 196, 5, 214, 21 },
                                  .min = { 176, 5, 194, 21 },
                                  .sys = { 5, 5, 21, 21 },
                                  .roll = { 156, 5, 174, 21 },
                                  .help = { 136, 5, 154, 21 },
                                  .logo = {} };

// What a caption button looks like over the caption.
void CaptionButton(Picture& p, const Rect& r, State s, bool active, bool closeButton) {
  const uint32_t top = active ? kCaptionTop : kInactiveTop, bottom = active ? kCaptionBottom : kInactiveBottom;
  uint32_t a = Mix(top, kWhite, 0.25), b = Mix(bottom, kWhite, 0.15);
  if (s == State::Hot) {
    a = closeButton ? 0xF08A7E : Mix(top, kWhite, 0.5);
    b = closeButton ? 0xC8372A : Mix(bottom, kWhite, 0.35);
  } else if (s == State::Down) {
    a = closeButton ? 0xA82A1E : Mix(bottom, 0x000000, 0.25);
    b = closeButton ? 0xC8372A : Mix(top, 0x000000, 0.1);
  }
  VGradient(p, r, a, b);
  Outline(p, r, active ? Mix(kFrameEdge, kWhite, 0.1) : kInactiveEdge);
  const uint32_t soft = Mix(active ? kFrameEdge : kInactiveEdge, top, 0.5);
  Dot(p, r.l, r.t, soft);
  Dot(p, r.r - 1, r.t, soft);
  Dot(p, r.l, r.b - 1, soft);
  Dot(p, r.r - 1, r.b - 1, soft);
}

uint32_t CaptionGlyphColour(State s, bool active) {
  if (s == State::Disabled) return active ? 0x8FA9C9 : 0xC8CED6;
  return active ? kWhite : 0xF4F6F8;
}

// The frame: a border of the caption's colour, the caption bar, a thin edge round the client.
Picture FramePicture(bool active) {
  Picture p(kFrameW, kFrameH, Picture::Format::Rgb24, 0);
  const uint32_t top = active ? kCaptionTop : kInactiveTop, bottom = active ? kCaptionBottom : kInactiveBottom;
  const uint32_t edge = active ? kFrameEdge : kInactiveEdge;
  Fill(p, { 0, 0, kFrameW, kFrameH }, bottom);
  VGradient(p, kCaptionBar, top, bottom);
  Fill(p, { 1, 1, kFrameW - 1, 2 }, Mix(top, kWhite, 0.35));  // a light top edge
  Outline(p, { 0, 0, kFrameW, kFrameH }, edge);
  Outline(p, Inset(kClient, -1), edge);
  Fill(p, kClient, kFace);
  return p;
}

// ---------------------------------------------------------------------------------------------------
// Records.

class Painter {
 public:
  Painter(std::vector<Picture>& active, Picture& frame, Picture& inactive)
      : active_(active), frame_(frame), inactive_(inactive) {}

  void Paint(const PlacedRecord& rec) {
    rec_ = &rec;
    if (rec.object)
      Object(rec);
    else
      Control(rec);
  }

 private:
  Picture& Pic(const std::string& key) {
    return rec_->inFrame && key == "skinrect" ? frame_ : active_.at(rec_->picture);
  }
  bool Has(const std::string& key) const { return rec_->images.count(key) > 0; }
  Rect Img(const std::string& key) const { return rec_->images.at(key); }
  // An area of the face (or of the image it is measured from), in picture coordinates.
  Rect AreaIn(const std::string& key, const std::string& image) const {
    const Rect base = Img(image), a = rec_->areas.at(key);
    return Shift(a, base.l, base.t);
  }
  Rect Area(const std::string& key) const { return AreaIn(key, rec_->areaRefs.at(key)); }
  bool Horizontal() const { return rec_->w >= rec_->h; }

  // The fixed top and bottom rows of the face.
  int FixedTop() const { return rec_->lt.y; }
  int FixedBottom() const { return rec_->lb.y > 0 ? rec_->h - rec_->lb.y : 0; }

  // ---- frame objects ----

  void Object(const PlacedRecord& rec) {
    const std::string& k = rec.keyword;
    if (k == "caption") {
      // The caption's looks are the caption bar itself, so they change nothing but the text.
      for (const char* key : { "activeskinrect", "framerect", "activeframerect" }) {
        const Rect r = Img(key);
        const int y0 = key == std::string("activeskinrect") ? kPlaces.caption.t : kPlaces.caption.t + 4;
        for (int y = r.t; y < r.b; ++y) {
          const int fy = y - r.t + y0;
          const double t = double(fy - kCaptionBar.t) / (kCaptionBar.Height() - 1);
          Fill(Pic(key), { r.l, y, r.r, y + 1 }, Mix(kCaptionTop, kCaptionBottom, std::clamp(t, 0.0, 1.0)));
        }
      }
    } else if (k == "stdbutton" || k == "button") {
      FrameButton(rec);
    } else if (k == "mainmenubarbutton") {
      MdiButton(rec);
    } else if (k == "menuitem") {
      Fill(Pic("skinrect"), Img("skinrect"), 0xFAFAFA);
      const Rect hot = Img("activeskinrect");
      Fill(Pic("activeskinrect"), hot, 0xFAFAFA);
      const Rect band { hot.l + 2, hot.t, hot.r - 2, hot.b };
      Fill(Pic("activeskinrect"), band, kSelection);
      Outline(Pic("activeskinrect"), band, kSelectionDark);
      const Rect d = Img("dividerrect");
      Fill(Pic("dividerrect"), d, 0xFAFAFA);
      Fill(Pic("dividerrect"), { d.l, d.t + 1, d.r, d.t + 2 }, 0xD0D0D0);
      Fill(Pic("dividerrect"), { d.l, d.t + 2, d.r, d.t + 3 }, kWhite);
    } else if (k == "mainmenubaritem") {
      Fill(Pic("skinrect"), Img("skinrect"), kFace);
      for (const char* key : { "activeskinrect", "downrect" }) {
        const Rect r = Img(key);
        Fill(Pic(key), r, kFace);
        const Rect band { r.l, r.t + 1, r.r, r.b - 1 };
        Fill(Pic(key), band, key == std::string("downrect") ? kSelectionDark : kSelection);
      }
    }
  }

  void FrameButton(const PlacedRecord& rec) {
    const bool closeButton = rec.name == "close";
    auto glyph = [&](Picture& p, const Rect& r, uint32_t c, bool restored, uint32_t back) {
      if (rec.name == "close") CrossGlyph(p, r, c);
      if (rec.name == "min") MinGlyph(p, r, c);
      if (rec.name == "max") restored ? RestoreGlyph(p, r, c, back) : MaxGlyph(p, r, c);
      if (rec.name == "roll") Chevron(p, r, !restored, c);
      if (rec.name == "help") HelpGlyph(p, r, c);
    };
    auto face = [&](const std::string& key, State s, bool activeForm, bool restored) {
      if (!Has(key)) return;
      Picture& p = rec.inFrame && key == "skinrect" ? (activeForm ? frame_ : inactive_) : Pic(key);
      const Rect r = Img(key);
      if (rec.name == "sys") {
        Fill(p, r, Mix(activeForm ? kCaptionTop : kInactiveTop, activeForm ? kCaptionBottom : kInactiveBottom, 0.5));
        WindowGlyph(p, r);
        return;
      }
      CaptionButton(p, r, s, activeForm, closeButton);
      uint32_t back = p.At(r.l + r.Width() / 2, r.t + r.Height() / 2);
      glyph(p, r, CaptionGlyphColour(s, activeForm), restored, back);
    };
    face("skinrect", State::Normal, true, false);
    face("skinrect", State::Normal, false, false);
    face("activeskinrect", State::Hot, true, false);
    face("downrect", State::Down, true, false);
    face("disableskinrsect", State::Disabled, true, false);
    face("restorerect", State::Normal, true, true);
    face("restoreactiverect", State::Hot, true, true);
    face("restoredownrect", State::Down, true, true);
    face("restoreinactiverect", State::Normal, false, true);
  }

  void MdiButton(const PlacedRecord& rec) {
    auto face = [&](const std::string& key, State s, bool restored) {
      Picture& p = Pic(key);
      const Rect r = Img(key);
      Fill(p, r, kFace);
      Bevel(p, r, ButtonLook(s), 4, 4);
      const uint32_t c = s == State::Disabled ? kGreyText : kGlyph;
      if (rec.name == "mdiclose") CrossGlyph(p, r, c);
      if (rec.name == "mdimin") MinGlyph(p, r, c);
      if (rec.name == "mdimax") restored ? RestoreGlyph(p, r, c, p.At(r.l + 8, r.t + 8)) : MaxGlyph(p, r, c);
      if (rec.name == "mdisys") WindowGlyph(p, r);
    };
    face("skinrect", State::Normal, false);
    face("activeskinrect", State::Hot, false);
    face("downrect", State::Down, false);
    face("disableskinrsect", State::Disabled, false);
    face("restorerect", State::Normal, true);
    face("restoreactiverect", State::Hot, true);
    face("restoredownrect", State::Down, true);
    face("restoreinactiverect", State::Normal, true);
  }

  // ---- controls ----

  void Control(const PlacedRecord& rec) {
    const std::string& k = rec.keyword;
    const std::string& n = rec.name;
    if (k == "button" || k == "menubutton") {
      PushButton(rec);
    } else if (k == "checkradio") {
      Fill(Pic("skinrect"), Img("skinrect"), kFace);
      Fill(Pic("activeskinrect"), Img("activeskinrect"), kFace);
      const bool radio = n == "radiobox";
      CheckImage("checkimagerect", radio, true, State::Normal);
      CheckImage("uncheckimagerect", radio, false, State::Normal);
      CheckImage("activecheckimagerect", radio, true, State::Hot);
      CheckImage("activeuncheckimagerect", radio, false, State::Hot);
      CheckImage("unenabledcheckimagerect", radio, true, State::Disabled);
      CheckImage("unenableduncheckimagerect", radio, false, State::Disabled);
    } else if (k == "panel") {
      Panel(rec);
    } else if (k == "label") {
      const Rect r = Img("skinrect");
      if (n == "statuspanel")
        Sunken(Pic("skinrect"), r, kFace);
      else
        Fill(Pic("skinrect"), r, kFace);
    } else if (k == "expanel") {
      ExPanel();
    } else if (k == "gauge") {
      const Rect r = Img("skinrect");
      Sunken(Pic("skinrect"), r, 0xE6E6E6);
      Fill(Pic("skinrect"), Area("progressarea"), 0xE6E6E6);
      const Rect bar = Img("progressrect");
      if (Horizontal())
        VGradient(Pic("progressrect"), bar, kProgressTop, kProgressBottom);
      else
        HGradient(Pic("progressrect"), bar, kProgressTop, kProgressBottom);
    } else if (k == "trackbar") {
      TrackBar();
    } else if (k == "scrollbar") {
      ScrollBar(rec);
    } else if (k == "updown") {
      UpDown();
    } else if (k == "edit" || k == "memo") {
      Field(Pic("skinrect"), Img("skinrect"), kFieldBorder);
      Field(Pic("activeskinrect"), Img("activeskinrect"), kHotBorder);
      if (n == "buttonedit") SmallButton(Area("buttonrect"), State::Normal, nullptr);
      SmallButton(Img("activebuttonrect"), State::Hot, nullptr);
      SmallButton(Img("downbuttonrect"), State::Down, nullptr);
      if (n == "buttonedit")
        for (const Rect& r : { Area("buttonrect"), Img("activebuttonrect"), Img("downbuttonrect") }) Ellipsis(r);
    } else if (k == "listbox" || k == "checklistbox") {
      ListBox(k == "checklistbox");
    } else if (k == "combobox") {
      Field(Pic("skinrect"), Img("skinrect"), kFieldBorder);
      Fill(Pic("itemrect"), Img("itemrect"), kWhite);
      Fill(Pic("focusitemrect"), Img("focusitemrect"), kSelection);
      const Dir d = Dir::Down;
      SmallButton(Area("buttonrect"), State::Normal, &d);
      SmallButton(Img("activebuttonrect"), State::Hot, &d);
      SmallButton(Img("downbuttonrect"), State::Down, &d);
      SmallButton(Img("unenabledbuttonrect"), State::Disabled, &d);
    } else if (k == "spinedit") {
      Field(Pic("skinrect"), Img("skinrect"), kFieldBorder);
      const Dir up = Dir::Up, down = Dir::Down;
      SmallButton(Area("upbuttonrect"), State::Normal, &up, 3);
      SmallButton(Img("activeupbuttonrect"), State::Hot, &up, 3);
      SmallButton(Img("downupbuttonrect"), State::Down, &up, 3);
      SmallButton(Area("downbuttonrect"), State::Normal, &down, 3);
      SmallButton(Img("activedownbuttonrect"), State::Hot, &down, 3);
      SmallButton(Img("downdownbuttonrect"), State::Down, &down, 3);
    } else if (k == "scrollbox") {
      Sunken(Pic("skinrect"), Img("skinrect"), kFace);
    } else if (k == "tab") {
      Tabs();
    } else if (k == "mainmenubar") {
      Fill(Pic("skinrect"), Img("skinrect"), kFace);
    } else if (k == "controlbar") {
      Fill(Pic("skinrect"), Img("skinrect"), kFace);
      const Rect band = Img("itemrect");
      Bevel(Pic("itemrect"), band, ButtonLook(State::Normal), 6, 6);
      Grip(Pic("itemrect"), { band.l + 2, band.t, band.l + 8, band.b }, true);
    } else if (k == "splitter") {
      const Rect r = Img("skinrect");
      Fill(Pic("skinrect"), r, kFace);
      Grip(Pic("skinrect"), r, true);
    } else if (k == "slider") {
      Fill(Pic("skinrect"), Img("skinrect"), kFace);
      Sunken(Pic("hrulerrect"), Img("hrulerrect"), 0xE0E0E0);
      Sunken(Pic("vrulerrect"), Img("vrulerrect"), 0xE0E0E0);
      Bevel(Pic("hthumbrect"), Img("hthumbrect"), ButtonLook(State::Normal), 6, 6);
      Bevel(Pic("vthumbrect"), Img("vthumbrect"), ButtonLook(State::Normal), 4, 4);
    } else if (k == "grid") {
      Fill(Pic("skinrect"), Img("skinrect"), kWhite);
      Bevel(Pic("fixedcellrect"), Img("fixedcellrect"), ButtonLook(State::Normal), 9, 9);
      Fill(Pic("selectcellrect"), Img("selectcellrect"), kSelection);
      Fill(Pic("focuscellrect"), Img("focuscellrect"), kSelection);
      Outline(Pic("focuscellrect"), Img("focuscellrect"), kSelectionDark);
    } else {
      // Records only their fonts and colours are read from: a face of their usual background.
      Fill(Pic("skinrect"), Img("skinrect"), k == "bevel" || k == "stdlabel" ? kFace : kWhite);
    }
  }

  void PushButton(const PlacedRecord& rec) {
    const std::string& n = rec.name;
    const bool tool = n.find("tool") != std::string::npos;
    const bool header = n == "resizebutton";
    const std::pair<const char*, State> faces[] = { { "skinrect", State::Normal },
                                                    { "activeskinrect", State::Hot },
                                                    { "downskinrect", State::Down },
                                                    { "disabledskinrect", State::Disabled } };
    for (const auto& [key, s] : faces) {
      if (!Has(key)) continue;
      Picture& p = Pic(key);
      const Rect r = Img(key);
      Fill(p, r, kFace);
      if (header) {
        Look look = ButtonLook(s);
        if (s == State::Normal) look = { 0xD5D5D5, kWhite, 0xF7F7F7, 0xECECEC, false };
        VGradient(p, r, look.top, look.bottom);
        // A header face: only its right edge and bottom line are drawn, so sections run together.
        Fill(p, { r.r - 1, r.t + 2, r.r, r.b - 2 }, 0xD0D0D0);
        Fill(p, { r.l, r.b - 1, r.r, r.b }, 0xD0D0D0);
        if (s == State::Hot || s == State::Down) Fill(p, { r.l, r.b - 2, r.r, r.b }, kHotBorder);
      } else if (tool && (s == State::Normal || s == State::Disabled)) {
        // A tool button rests flat on its bar.
      } else {
        Bevel(p, r, ButtonLook(s), FixedTop(), FixedBottom());
      }
      if (rec.keyword == "menubutton") {
        const Rect track = Shift(rec.areas.at("trackbuttonrect"), r.l, r.t);
        if (!(tool && (s == State::Normal || s == State::Disabled)))
          Fill(p, { track.l, track.t + 3, track.l + 1, track.b - 3 }, ButtonLook(s).border);
        Arrow(p, track, Dir::Down, s == State::Disabled ? kGreyText : kGlyph, 3);
      }
    }
  }

  void CheckImage(const std::string& key, bool radio, bool checked, State s) {
    Picture& p = Pic(key);
    const Rect r = Img(key);
    const uint32_t border = s == State::Hot ? kHotBorder : s == State::Disabled ? kDisabledBorder : 0x707070;
    const uint32_t mark = s == State::Disabled ? 0xA8A8A8 : 0x1F1F1F;
    Fill(p, r, kFace);
    if (radio) {
      Disc(p, r, 6.5, border);
      Disc(p, r, 5.5, s == State::Disabled ? 0xF4F4F4 : s == State::Hot ? 0xE8F4FC : kWhite);
      if (checked) Disc(p, r, 2.5, mark);
    } else {
      VGradient(p, r, s == State::Hot ? 0xDDEEFB : 0xF0F0F0, s == State::Disabled ? 0xF4F4F4 : kWhite);
      Outline(p, r, border);
      if (checked) Check(p, r, mark);
      // The controls draw these images transparently, keyed on a corner pixel: the corners are the face.
      for (const Point c :
           { Point { r.l, r.t }, Point { r.r - 1, r.t }, Point { r.l, r.b - 1 }, Point { r.r - 1, r.b - 1 } })
        p.Set(c.x, c.y, kFace);
    }
  }

  void Panel(const PlacedRecord& rec) {
    Picture& p = Pic("skinrect");
    const Rect r = Img("skinrect");
    const std::string& n = rec.name;
    Fill(p, r, kFace);
    if (n == "groupbox") {
      // A titled box: a header band as high as the caption, a thin outline round both.
      VGradient(p, { r.l, r.t, r.r, r.t + FixedTop() - 2 }, kWhite, 0xE4E8ED);
      Fill(p, { r.l, r.t + FixedTop() - 2, r.r, r.t + FixedTop() - 1 }, 0xC5CCD4);
      Outline(p, r, 0xB5BCC4);
    } else if (n == "statusbar") {
      Fill(p, { r.l, r.t, r.r, r.t + 1 }, 0xC8C8C8);
      Fill(p, { r.l, r.t + 1, r.r, r.t + 2 }, kWhite);
    } else if (n == "toolpanel" || n == "bigtoolpanel") {
      Fill(p, { r.l, r.b - 1, r.r, r.b }, 0xC8C8C8);
      Fill(p, { r.l, r.t, r.r, r.t + 1 }, kWhite);
    } else {
      // A raised panel.
      Fill(p, { r.l, r.t, r.r, r.t + 1 }, kWhite);
      Fill(p, { r.l, r.t, r.l + 1, r.b }, kWhite);
      Fill(p, { r.l, r.b - 1, r.r, r.b }, kShadow);
      Fill(p, { r.r - 1, r.t, r.r, r.b }, kShadow);
    }
    CheckImage("checkimagerect", false, true, State::Normal);
    CheckImage("uncheckimagerect", false, false, State::Normal);
    const Rect marker = Img("restoremarkerrect");
    Fill(Pic("restoremarkerrect"), marker, n == "groupbox" ? 0xF2F4F7 : kFace);
    Chevron(Pic("restoremarkerrect"), marker, false, kGlyph);
  }

  void ExPanel() {
    Picture& p = Pic("skinrect");
    const Rect r = Img("skinrect");
    const int head = FixedTop();
    Fill(p, r, kFace);
    VGradient(p, { r.l, r.t, r.r, r.t + head }, 0xFDFDFD, 0xDCE3EB);
    Fill(p, { r.l, r.t + head - 1, r.r, r.t + head }, 0xB5BCC4);
    Outline(p, r, 0xB5BCC4);
    const Rect hs = Img("rollhskinrect");  // rolled sideways: a strip with the header down its side
    HGradient(Pic("rollhskinrect"), hs, 0xFDFDFD, 0xDCE3EB);
    Outline(Pic("rollhskinrect"), hs, 0xB5BCC4);
    const Rect vs = Img("rollvskinrect");  // rolled up: the header alone
    VGradient(Pic("rollvskinrect"), vs, 0xFDFDFD, 0xDCE3EB);
    Outline(Pic("rollvskinrect"), vs, 0xB5BCC4);
    struct B {
      const char* name;
      int glyph;  // 0 cross, 1 chevron up, 2 chevron down, 3 chevron left, 4 chevron right
    };
    for (const B& b : { B { "closebutton", 0 }, B { "hrollbutton", 3 }, B { "hrestorebutton", 4 },
                        B { "vrollbutton", 1 }, B { "vrestorebutton", 2 } }) {
      const std::string base = b.name;
      const std::pair<std::string, State> looks[] = { { base + "rect", State::Normal },
                                                      { base + "activerect", State::Hot },
                                                      { base + "downrect", State::Down } };
      for (const auto& [key, s] : looks) {
        Picture& q = Pic(key);
        const Rect k = Img(key);
        VGradient(q, k, 0xF6F8FA, 0xE2E8EE);
        if (s != State::Normal) Bevel(q, k, ButtonLook(s), 4, 4);
        if (b.glyph == 0) CrossGlyph(q, k, kGlyph);
        if (b.glyph == 1 || b.glyph == 2) Chevron(q, k, b.glyph == 1, kGlyph);
        if (b.glyph == 3) Arrow(q, k, Dir::Left, kGlyph, 4);
        if (b.glyph == 4) Arrow(q, k, Dir::Right, kGlyph, 4);
      }
    }
  }

  // A small button with an arrow (or none), as combo boxes, spin edits and button edits have.
  void SmallButton(const Rect& r, State s, const Dir* arrow, int size = 4) {
    Picture& p = active_.at(rec_->picture);
    Fill(p, r, kWhite);
    Bevel(p, r, ButtonLook(s), r.Height() / 2, r.Height() / 2);
    if (arrow) Arrow(p, r, *arrow, s == State::Disabled ? kGreyText : kGlyph, size);
  }

  // "..." on a button edit's button.
  void Ellipsis(const Rect& r) {
    const int x = r.l + r.Width() / 2, y = r.t + r.Height() / 2;
    for (int i = -1; i <= 1; ++i) Dot(active_.at(rec_->picture), x + i * 3, y, kGlyph);
  }

  void TrackBar() {
    Picture& p = Pic("skinrect");
    const Rect r = Img("skinrect");
    Fill(p, r, kFace);
    const Rect track = Area("trackarea");
    if (Horizontal()) {
      const int y = track.t + track.Height() / 2 - 2;
      Sunken(p, { r.l, y, r.r, y + 4 }, 0xE0E0E0);
    } else {
      const int x = track.l + track.Width() / 2 - 2;
      Sunken(p, { x, r.t, x + 4, r.b }, 0xE0E0E0);
    }
    Bevel(Pic("buttonrect"), Img("buttonrect"), ButtonLook(State::Normal), 4, 4);
    Bevel(Pic("activebuttonrect"), Img("activebuttonrect"), ButtonLook(State::Hot), 4, 4);
  }

  void ScrollBar(const PlacedRecord& rec) {
    Picture& p = Pic("skinrect");
    const Rect r = Img("skinrect");
    const bool h = Horizontal();
    Fill(p, r, 0xE9E9E9);
    const Dir up = h ? Dir::Right : Dir::Down, down = h ? Dir::Left : Dir::Up;
    auto button = [&](const Rect& b, State s, Dir d) {
      Fill(p, b, 0xE9E9E9);
      Bevel(p, b, ButtonLook(s), b.Height() / 2, b.Height() / 2);
      Arrow(p, b, d, kGlyph, 4);
    };
    button(Area("upbuttonrect"), State::Normal, up);
    button(Area("downbuttonrect"), State::Normal, down);
    if (rec.name == "bothhscrollbar") {
      const Rect corner = Shift(Rect { rec.w - 16, 0, rec.w, rec.h }, r.l, r.t);
      Fill(p, corner, kFace);
    }
    button(Img("activeupbuttonrect"), State::Hot, up);
    button(Img("downupbuttonrect"), State::Down, up);
    button(Img("activedownbuttonrect"), State::Hot, down);
    button(Img("downdownbuttonrect"), State::Down, down);
    // The thumb: caps of thumboffset1 and thumboffset2 pixels, a flat middle that repeats.
    const std::pair<const char*, State> thumbs[] = { { "thumbrect", State::Normal },
                                                     { "activethumbrect", State::Hot },
                                                     { "downthumbrect", State::Down } };
    for (const auto& [key, s] : thumbs) {
      const Rect t = Img(key);
      Fill(p, t, 0xE9E9E9);
      Look look = ButtonLook(s);
      look.top = look.bottom = look.mid;
      Bevel(p, t, look, 0, 0);
    }
    const std::pair<const char*, State> glyphs[] = { { "glyphrect", State::Normal },
                                                     { "activeglyphrect", State::Hot },
                                                     { "downglyphrect", State::Down } };
    for (const auto& [key, s] : glyphs) {
      const Rect g = Img(key);
      Fill(p, g, ButtonLook(s).mid);
      Grip(p, g, !h);
    }
  }

  void UpDown() {
    Picture& p = Pic("skinrect");
    const bool h = Horizontal();
    const Dir up = h ? Dir::Right : Dir::Up, down = h ? Dir::Left : Dir::Down;
    auto button = [&](const Rect& b, State s, Dir d) {
      Fill(p, b, kFace);
      Bevel(p, b, ButtonLook(s), b.Height() / 2, b.Height() / 2);
      Arrow(p, b, d, kGlyph, 3);
    };
    Fill(p, Img("skinrect"), kFace);
    button(Area("upbuttonrect"), State::Normal, up);
    button(Area("downbuttonrect"), State::Normal, down);
    button(Img("activeupbuttonrect"), State::Hot, up);
    button(Img("downupbuttonrect"), State::Down, up);
    button(Img("activedownbuttonrect"), State::Hot, down);
    button(Img("downdownbuttonrect"), State::Down, down);
  }

  void ListBox(bool checks) {
    Picture& p = Pic("skinrect");
    const Rect r = Img("skinrect");
    Field(p, r, kFieldBorder);
    // The caption bar across the top, with its three buttons.
    const Rect bar { r.l + 1, r.t + 1, r.r - 1, r.t + FixedTop() - 1 };
    VGradient(p, bar, 0xFDFDFD, 0xE1E6EC);
    Fill(p, { r.l + 1, bar.b, r.r - 1, bar.b + 1 }, 0xC5CCD4);
    const std::pair<const char*, Dir> buttons[] = { { "upbutton", Dir::Up }, { "downbutton", Dir::Down } };
    for (const auto& [base, d] : buttons) {
      const std::string b = base;
      for (const auto& [key, s] :
           { std::pair { b + "rect", State::Normal }, std::pair { "active" + b + "rect", State::Hot },
             std::pair { "down" + b + "rect", State::Down } }) {
        const Rect k = s == State::Normal ? Area(key) : Img(key);
        if (s == State::Normal)
          VGradient(p, k, 0xFDFDFD, 0xE1E6EC);
        else
          Bevel(p, k, ButtonLook(s), k.Height() / 2, k.Height() / 2);
        Arrow(p, k, d, kGlyph, 3);
      }
    }
    for (const auto& [key, s] : { std::pair { std::string("checkbuttonrect"), State::Normal },
                                  std::pair { std::string("activecheckbuttonrect"), State::Hot },
                                  std::pair { std::string("downcheckbuttonrect"), State::Down } }) {
      const Rect k = s == State::Normal ? Area(key) : Img(key);
      if (s == State::Normal)
        VGradient(p, k, 0xFDFDFD, 0xE1E6EC);
      else
        Bevel(p, k, ButtonLook(s), k.Height() / 2, k.Height() / 2);
      Check(p, k, kGlyph);
    }
    Fill(p, Img("itemrect"), kWhite);
    Fill(p, Img("activeitemrect"), Mix(kSelection, kWhite, 0.15));
    const Rect f = Img("focusitemrect");
    Fill(p, f, kSelection);
    Outline(p, f, kSelectionDark);
    if (checks) {
      CheckImage("checkimagerect", false, true, State::Normal);
      CheckImage("uncheckimagerect", false, false, State::Normal);
      for (const char* key : { "checkimagerect", "uncheckimagerect" }) {
        // A list's boxes sit on white.
        const Rect k = Img(key);
        for (int y = k.t; y < k.b; ++y)
          for (int x = k.l; x < k.r; ++x)
            if (p.At(x, y) == kFace) p.Set(x, y, kWhite);
      }
    }
  }

  void Tabs() {
    Picture& p = Pic("skinrect");
    const Rect r = Img("skinrect");
    Fill(p, r, kFace);
    Outline(p, r, 0xA0A8B0);
    Fill(p, { r.l + 1, r.t + 1, r.r - 1, r.t + 2 }, kWhite);
    const std::pair<const char*, int> tabs[] = {
      { "tabrect", 0 }, { "activetabrect", 1 }, { "focustabrect", 2 }, { "mouseintabrect", 3 }
    };
    for (const auto& [key, kind] : tabs) {
      const Rect t = Img(key);
      Fill(p, t, kFace);
      const Rect body { t.l, t.t + (kind == 0 || kind == 3 ? 2 : 0), t.r, t.b };
      if (kind == 0)
        VGradient(p, body, 0xF6F6F6, 0xE2E2E2);
      else if (kind == 3)
        VGradient(p, body, 0xF2F8FD, 0xD6EAF8);
      else
        Fill(p, body, kFace);
      Fill(p, { body.l, body.t, body.r, body.t + 1 }, kind == 3 ? kHotBorder : 0xA0A8B0);
      Fill(p, { body.l, body.t, body.l + 1, body.b }, 0xA0A8B0);
      Fill(p, { body.r - 1, body.t, body.r, body.b }, 0xA0A8B0);
      if (kind == 1 || kind == 2) Fill(p, { body.l + 1, body.t + 1, body.r - 1, body.t + 3 }, kHotBorder);
      if (kind == 0 || kind == 3) Fill(p, { body.l, body.b - 1, body.r, body.b }, 0xA0A8B0);
    }
    const Rect bg = Img("tabsbgrect");
    Fill(p, bg, kFace);
    Fill(p, { bg.l, bg.b - 1, bg.r, bg.b }, 0xA0A8B0);
  }

  std::vector<Picture>& active_;
  Picture& frame_;
  Picture& inactive_;
  const PlacedRecord* rec_ { nullptr };
};

// ---------------------------------------------------------------------------------------------------
// Colour keys.

int32_t PlainColour(const std::string& record, const std::string& key) {
  if (key == "unenabledfontcolor" || key == "unenabledfontColor" || key == "disabledfontcolor")
    return ColourValue(kGreyText);
  if (record == "caption") {
    if (key == "shadowcolor") return ColourValue(0x6D7887);
    if (key == "activeshadowcolor") return ColourValue(kFrameEdge);
    return ColourValue(kWhite);
  }
  if (record == "menuitem" || record == "menubaritem") return ColourValue(key == "fontcolor" ? kText : kWhite);
  if (key == "activefontcolor" || key == "focusfontcolor" || key == "selectfontcolor") {
    if (record == "listbox" || record == "checklistbox" || record == "combobox" || record == "grid")
      return ColourValue(kWhite);
    if (record == "stdlabel") return ColourValue(0x0066CC);
    return ColourValue(kText);
  }
  if (key == "mouseinfontcolor") return ColourValue(0x0066CC);
  if (key == "bgcolor" || key == "activebgcolor") return ColourValue(record == "slider" ? kFace : kWhite);
  if (key == "lightcolor") return ColourValue(kWhite);
  if (key == "darkcolor") return ColourValue(kShadow);
  if (key == "pointscolor") return ColourValue(0x707070);
  if (key == "linescolor") return ColourValue(0xD8D8D8);
  if (key == "trackmarkcolor") return ColourValue(kShadow);
  if (key == "trackmarkactivecolor") return ColourValue(kSelection);
  return ColourValue(kText);  // fontcolor, downfontcolor, framefontcolor, captionfontcolor, fixedfontcolor
}

// ---------------------------------------------------------------------------------------------------
// Popup and hint windows.

constexpr Point kPopupLT = { 4, 4 }, kPopupRT = { 60, 4 }, kPopupLB = { 4, 60 }, kPopupRB = { 60, 60 };
constexpr Point kHintLT = { 4, 4 }, kHintRT = { 44, 4 }, kHintLB = { 4, 28 }, kHintRB = { 44, 28 };

Picture PopupPicture() {
  Picture p(64, 64, Picture::Format::Rgb24, 0xFAFAFA);
  Outline(p, { 0, 0, 64, 64 }, 0x979797);
  Outline(p, { 1, 1, 63, 63 }, kWhite);
  return p;
}

Picture HintPicture() {
  Picture p(48, 32, Picture::Format::Rgb24, 0xFFFFE1);
  Outline(p, { 0, 0, 48, 32 }, 0x767676);
  return p;
}

std::vector<IniSection> GlobalSections(const Skin& skin) {
  IniSection version = Section("VERSION");
  Add(version, "ver", "1");
  Add(version, "skinname", "Plain");
  Add(version, "skinauthor", "mkskin");
  Add(version, "authoremail", "mkskin@localhost");
  Add(version, "authorurl", "file://localhost/");
  Add(version, "skincomments", "朴素皮肤：蓝色标题栏，灰色按钮");

  IniSection pictures = Section("PICTURES");
  Add(pictures, "picture", skin.picture.iniName);
  Add(pictures, "inactivepicture", skin.inactivePicture.iniName);
  Add(pictures, "mask", skin.mask.iniName);
  Add(pictures, "activepicturescount", std::to_string(skin.activePictures.size()));
  for (size_t i = 0; i < skin.activePictures.size(); ++i)
    Add(pictures, std::to_string(i), skin.activePictures[i].iniName);

  IniSection form = Section("FORMINFO");
  Add(form, "lefttoppoint", Text(kLT));
  Add(form, "righttoppoint", Text(kRT));
  Add(form, "leftbottompoint", Text(kLB));
  Add(form, "rightbottompoint", Text(kRB));
  Add(form, "clientrect", Text(kClient));
  Add(form, "bgpictureindex", std::to_string(kTilePicture));
  Add(form, "maskrectarea", Text(Rect { 3, 3, kFrameW - 3, kFrameH - 3 }));
  Add(form, "hittestlefttoppoint", Text(Point { 8, 8 }));
  Add(form, "hittestrighttoppoint", Text(Point { kFrameW - 8, 8 }));
  Add(form, "hittestleftbottompoint", Text(Point { 8, kFrameH - 8 }));
  Add(form, "hittestrightbottompoint", Text(Point { kFrameW - 8, kFrameH - 8 }));
  Add(form, "buttonsrect", Text(Rect { kPlaces.roll.l, kPlaces.close.t, kPlaces.close.r, kPlaces.close.b }));
  Add(form, "captionrect", Text(kPlaces.caption));
  Add(form, "buttonsoffset", "2");
  Add(form, "buttonsinleft", "0");
  Add(form, "mainmenupopupup", "0");
  Add(form, "borderwidth", "4");
  Add(form, "autorenderinginactiveimage", "0");  // the skin has its own inactive picture
  Add(form, "inactiveeffect", "iegrayscale");

  IniSection popup = Section("POPUPWINDOW");
  Add(popup, "windowpictureindex", std::to_string(kPopupPicture));
  Add(popup, "maskpictureindex", "-1");
  Add(popup, "lefttoppoint", Text(kPopupLT));
  Add(popup, "righttoppoint", Text(kPopupRT));
  Add(popup, "leftbottompoint", Text(kPopupLB));
  Add(popup, "rightbottompoint", Text(kPopupRB));
  Add(popup, "itemsrect", Text(Rect { 2, 2, 62, 62 }));
  Add(popup, "scrollmarkercolor", std::to_string(ColourValue(kGlyph)));
  Add(popup, "scrollmarkeractivecolor", std::to_string(ColourValue(kSelection)));

  IniSection hint = Section("HINTWINDOW");
  Add(hint, "windowpictureindex", std::to_string(kHintPicture));
  Add(hint, "maskpictureindex", "-1");
  Add(hint, "lefttoppoint", Text(kHintLT));
  Add(hint, "righttoppoint", Text(kHintRT));
  Add(hint, "leftbottompoint", Text(kHintLB));
  Add(hint, "rightbottompoint", Text(kHintRB));
  Add(hint, "clientrect", Text(Rect { 4, 3, 44, 29 }));
  Add(hint, "fontname", "宋体");
  Add(hint, "fontheight", "12");
  Add(hint, "fontstyle", "");
  Add(hint, "fontcolor", std::to_string(ColourValue(kText)));
  return { version, pictures, form, popup, hint };
}

// The frame's corners are cut by one pixel, so a form's outline is softly rounded at the top.
Picture FrameMask() {
  Picture p(kFrameW, kFrameH, Picture::Format::Mono1, 0x000000);
  for (const Point c : { Point { 0, 0 }, Point { kFrameW - 1, 0 }, Point { 0, 1 }, Point { kFrameW - 1, 1 },
                         Point { 1, 0 }, Point { kFrameW - 2, 0 } })
    p.Set(c.x, c.y, 0xFFFFFF);
  return p;
}

SkinPicture Named(std::string name, Picture picture) { return { name, name, std::move(picture) }; }

}  // namespace

Skin BuildPlainSkin() {
  const PlacedSkin placed = LayOutRecords(kPlaces, PlainColour);

  Picture frame = FramePicture(true), inactive = FramePicture(false);
  std::vector<Picture> active(kActivePictureCount);
  for (const auto& [index, size] : placed.packedSizes)
    active[index] = Picture(size.first, size.second, Picture::Format::Rgb24, kFace);
  active[kPopupPicture] = PopupPicture();
  active[kPopupMaskPicture] = MaskPicture(64, 64);
  active[kHintPicture] = HintPicture();
  active[kHintMaskPicture] = MaskPicture(48, 32);
  active[kTilePicture] = Picture(16, 16, Picture::Format::Rgb24, kFace);

  Painter painter(active, frame, inactive);
  for (const PlacedRecord& rec : placed.records) {
    painter.Paint(rec);
    // A control's mask is a picture of its own, as large as the face it shapes, its corners cut.
    if (rec.mask >= 0) {
      active.at(rec.mask) = Picture(rec.w, rec.h, Picture::Format::Mono1, 0xFFFFFF);
      PaintMask(active.at(rec.mask), { 0, 0, rec.w, rec.h }, 1);
    }
  }

  Skin skin;
  skin.picture = Named("frame.bmp", std::move(frame));
  skin.inactivePicture = Named("frame_in.bmp", std::move(inactive));
  skin.mask = Named("mask.bmp", FrameMask());
  const char* names[kActivePictureCount] = { "ctrl.bmp", "popup.bmp", "popupmask.bmp", "hint.bmp",    "hintmask.bmp",
                                             "btns.bmp", "bg.bmp",    "ctrl2.bmp",     "ctrlmask.bmp" };
  for (int i = 0; i < kActivePictureCount; ++i) skin.activePictures.push_back(Named(names[i], std::move(active[i])));

  skin.ini = GlobalSections(skin);
  skin.ini.insert(skin.ini.end(), placed.lists.begin(), placed.lists.end());
  skin.ini.insert(skin.ini.end(), placed.sections.begin(), placed.sections.end());
  return skin;
}

}  // namespace mkskin
