#pragma once
// The DUV set's small painters and helpers: three-dimensional text (TAHMFont3D), framed borders
// (TAHMFrame), glyph strips (TAHMGlyph), three free drawing routines, a timer driven by a worker thread
// (TAHMEnhancedTimer32) and the base of non-visual components that run an action (TAHMEnhancedExecComponent).
//
// The painters are persistent objects a component publishes as nested properties; each setter stores
// the value and raises OnChange. The font and frame painters invalidate their owner when it is a control.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Thread.h"

// ---- Three-dimensional text --------------------------------------------------------------------------

enum TAHMStyle3D { fontRaised, fontInset, fontOnlyShadow, fontOnlyHighlight, fontOutLineShadow };
XJ_ENUM_IDENTS(TAHMStyle3D, fontRaised, fontInset, fontOnlyShadow, fontOnlyHighlight, fontOutLineShadow);

enum TAHMRepeat { repeatOnShadow, repeatOnHighLight, repeatNone };
XJ_ENUM_IDENTS(TAHMRepeat, repeatOnShadow, repeatOnHighLight, repeatNone);

class TAHMFont3D : public TGraphicsObject {
  XJ_CLASS(TAHMFont3D, TGraphicsObject)
 public:
  // One text copy: draw the text in Color at Rect.
  typedef std::function<void(TColor Color, const TRect& Rect)> TTextPass;

  explicit TAHMFont3D(TPersistent* AOwner);
  ~TAHMFont3D() override;

  // Copies every setting of another TAHMFont3D (the owner stays).
  void Assign(TPersistent* Source) override;

  bool ThreeDimensional() const { return FThreeDimensional; }
  void SetThreeDimensional(bool Value);
  TAHMStyle3D Style3D() const { return FStyle3D; }
  void SetStyle3D(TAHMStyle3D Value);
  // Distance of the 3-D copies; 0 is ignored.
  uint8_t Offset() const { return FOffset; }
  void SetOffset(uint8_t Value);
  TAHMRepeat Repetition() const { return FRepetition; }
  void SetRepetition(TAHMRepeat Value);
  TColor RepetitionColor() const { return FRepetitionColor; }
  void SetRepetitionColor(TColor Value);
  uint8_t Repetitionwidth() const { return FRepetitionwidth; }
  void SetRepetitionwidth(uint8_t Value);
  bool MaskFont() const { return FMaskFont; }
  void SetMaskFont(bool Value);
  TColor Shadow() const { return FShadow; }
  void SetShadow(TColor Value);
  TColor Highlight() const { return FHighlight; }
  void SetHighlight(TColor Value);
  // 2 × Offset + Repetitionwidth.
  int DrawingWidth() const { return GetDrawingwidth(); }
  int GetDrawingwidth() const { return 2 * FOffset + FRepetitionwidth; }
  TPersistent* Owner() const { return FOwner; }

  // Draws Text into Rect on DC in Font, with the 3-D copies this painter describes (or, disabled, as
  // engraved text). Flags are DrawText flags; DT_NOCLIP is added.
  void Write(TFont* Font, HDC DC, const TRect& Rect, const AnsiString& Text, UINT Flags, bool Enabled);
  // The 3-D copies alone (the face excluded), in drawing order; Rect moves as the copies do and ends
  // where it started.
  void DrawCopies(TRect& Rect, const TTextPass& Pass) const;
  // Invalidates the owner when it is a control (the painter's OnChange).
  void Invalidate(TObject* Sender);

 private:
  void Set(uint8_t& Field, uint8_t Value);

  bool FThreeDimensional { true };
  TAHMStyle3D FStyle3D { fontOnlyHighlight };
  uint8_t FOffset { 1 };
  TAHMRepeat FRepetition { repeatNone };
  TPersistent* FOwner { nullptr };
  TColor FRepetitionColor { clBlack };
  uint8_t FRepetitionwidth { 0 };
  bool FMaskFont { true };
  TColor FShadow { clBtnShadow };
  TColor FHighlight { clBtnHighlight };
};

// ---- Frames --------------------------------------------------------------------------------------------

enum TAHMFrameStyle {
  frameSolid,
  frameRaised,
  frameLowered,
  frameNone,
  frameFramedUp,
  frameFramedDown,
  framePanelUp,
  framePanelDown,
  frameLightBordered
};
XJ_ENUM_IDENTS(TAHMFrameStyle, frameSolid, frameRaised, frameLowered, frameNone, frameFramedUp, frameFramedDown,
               framePanelUp, framePanelDown, frameLightBordered);

enum TAHMFrameEdge { EdgeLeft, EdgeRight, EdgeTop, EdgeBottom };
XJ_ENUM_IDENTS(TAHMFrameEdge, EdgeLeft, EdgeRight, EdgeTop, EdgeBottom);
typedef Set<TAHMFrameEdge> TAHMFrameEdges;

class TAHMFrame : public TGraphicsObject {
  XJ_CLASS(TAHMFrame, TGraphicsObject)
 public:
  explicit TAHMFrame(TPersistent* AOwner);
  ~TAHMFrame() override;

  // Copies every setting of another TAHMFrame (the owner stays).
  void Assign(TPersistent* Source) override;

  TAHMFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TAHMFrameStyle Value);
  TColor Highlight() const { return FHighlight; }
  void SetHighlight(TColor Value);
  TColor Shadow() const { return FShadow; }
  void SetShadow(TColor Value);
  TColor Solid() const { return FSolid; }
  void SetSolid(TColor Value);
  // Rings per colour pair; 0 is ignored.
  uint8_t FrameWidth() const { return FFrameWidth; }
  void Setwidth(uint8_t Value);
  TAHMFrameEdges Edges() const { return FEdges; }
  void SetEdges(TAHMFrameEdges Value);
  TPersistent* Owner() const { return FOwner; }

  // The thickness the frame takes: 0 for frameNone, FrameWidth for the one-group styles, twice that
  // for the two-group styles.
  int Calcwidth() const;
  // Insets (left, top, right, bottom): Calcwidth on the edges the frame draws, else 0.
  TRect GetEdgePoints() const;
  void Draw(HDC DC, const TRect& Rect);
  // A button bevel of two rings on the canvas, pressed or not.
  void Drawbutton(TCanvas* Canvas, const TRect& Rect, bool Down);
  // Invalidates the owner when it is a control (the painter's OnChange).
  void Invalidate(TObject* Sender);

 private:
  void DrawRingGroup(HDC DC, TRect& R, TColor TopLeft, TColor BottomRight) const;

  TAHMFrameStyle FFrameStyle { frameRaised };
  TColor FHighlight { clBtnHighlight };
  TColor FShadow { clBtnShadow };
  TColor FSolid { clBlack };
  TPersistent* FOwner { nullptr };
  uint8_t FFrameWidth { 1 };
  TAHMFrameEdges FEdges { EdgeLeft, EdgeRight, EdgeTop, EdgeBottom };
};

// ---- Glyph strips --------------------------------------------------------------------------------------

// 1 … 4 cells.
typedef uint8_t TAHMNumGlyphs;

// A horizontal strip of NumGlyphs equal cells: 1 normal, 2 pressed (with three or more cells), the last
// disabled. OnChange is the owner's to set.
class TAHMGlyph : public TGraphicsObject {
  XJ_CLASS(TAHMGlyph, TGraphicsObject)
 public:
  explicit TAHMGlyph(TPersistent* AOwner);
  ~TAHMGlyph() override;

  void Assign(TPersistent* Source) override;

  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  TBitmap* Bitmap() const { return FBitmap.get(); }
  // Copies Value; an owner being designed also takes the cell count (width ÷ height when whole, more
  // than 4 giving 1) and the bottom-left pixel as transparent colour from it.
  void SetBitmap(TBitmap* Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TAHMNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  // Values outside 1 … 4 are clamped: a strip always has a cell to draw.
  void SetNumGlyphs(TAHMNumGlyphs Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TPersistent* Owner() const { return FOwner; }

  // Width of one cell (0 for an empty bitmap) and the strip's height.
  int GetWidth() const;
  int GetHeight() const;
  // Draws one cell at (X, Y): the disabled cell greyed when not Enabled, cell 1 greyed when Grey.
  void Draw(TCanvas* Canvas, int X, int Y, bool Enabled, bool Down, bool Grey);
  // Maps every pixel but those of Color to four grey levels by the sum of its components (thresholds
  // 55, 274 and 535 times Factor).
  void DrawGrayed(TBitmap* Bitmap, TColor Color, int Factor);

 private:
  TColor FTransparentColor { clBlack };
  TPersistent* FOwner { nullptr };
  std::unique_ptr<TBitmap> FBitmap;
  bool FVisible { true };
  TAHMNumGlyphs FNumGlyphs { 1 };
  bool FTransparent { true };
};

// ---- Free drawing routines -----------------------------------------------------------------------------

// Button bevel rings: style 3 three rings, 2 two, 1 one; other styles draw nothing.
void DUVDrawButtonFrame(TCanvas* Canvas, int Width, int Height, int Style, bool Down);
// Bitmap at (X, Y) with the pixels of Color left out.
void DUVDrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y, TColor Color);
// Engraved text: highlight, then grey text one pixel up and left.
void DUVDrawDisabledText(TFont* Font, TCanvas* Canvas, const TRect& Rect, const AnsiString& Text, UINT Flags);

// ---- The threaded timer ----------------------------------------------------------------------------------

class TAHMEnhancedTimer32;
class TAHMEnhancedThread;

namespace xj::duv {
struct TimerState;
}

// OnTimer runs on the GUI thread every Interval milliseconds, by the platform clock, while Enabled,
// Interval ≠ 0 and OnTimer hold as of the last setter call (assigning OnTimer alone does not start the
// timer). A worker thread waits out the interval on a condition variable, never suspended at an
// arbitrary point; a new Interval takes effect after the wait in progress. Once destruction begins no
// tick is delivered; the timer may be destroyed inside its own OnTimer.
class TAHMEnhancedTimer32 : public TObject {
  XJ_CLASS(TAHMEnhancedTimer32, TObject)
 public:
  TAHMEnhancedTimer32();
  ~TAHMEnhancedTimer32() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  uint16_t Interval() const { return FInterval; }
  void SetInterval(uint16_t Value);
  // Taken by the worker when it starts; later changes are stored only.
  TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority Value);
  // Whether the worker counts as running, as of the last setter call.
  bool Running() const;

  TNotifyEvent OnTimer;

 protected:
  // Brings the worker into the state the settings ask for.
  void UpdateTimer();
  virtual void Timer();
  // For tests driving a manual clock: waits (up to TimeoutMs of real time) until the worker has seen
  // the clock as it is now, or is stopped, with no tick on its way. False on time-out.
  bool WaitWorkerSettled(int TimeoutMs);

 private:
  friend class TAHMEnhancedThread;

  bool FEnabled { true };
  uint16_t FInterval { 1000 };
  std::shared_ptr<xj::duv::TimerState> FState;
  TAHMEnhancedThread* FThread { nullptr };
  TThreadPriority FThreadPriority { tpTimeCritical };
};

// The worker of one timer. It shares the timer's state (the timer it serves among it), so that it can
// finish on its own when the timer goes while a tick of it is running.
class TAHMEnhancedThread : public TThread {
  XJ_CLASS(TAHMEnhancedThread, TThread)
 public:
  explicit TAHMEnhancedThread(std::shared_ptr<xj::duv::TimerState> State);

 protected:
  void Execute() override;
  // On the GUI thread: the timer's Timer, unless it stopped or is going away meanwhile.
  void DoTimer();

 private:
  std::shared_ptr<xj::duv::TimerState> FState;
};

// ---- Execute components ----------------------------------------------------------------------------------

typedef AnsiString TAHMEnhancedExecStr;

// The base of non-visual components that run an action on demand.
class TAHMEnhancedExecComponent : public TComponent {
  XJ_CLASS(TAHMEnhancedExecComponent, TComponent)
 public:
  explicit TAHMEnhancedExecComponent(TComponent* AOwner) : TComponent(AOwner) {}

  // A design-time hook: no effect at run time, never stored.
  const TAHMEnhancedExecStr& DesignExecute() const { return FDesignExecute; }
  void SetDesignExecute(const TAHMEnhancedExecStr& Value) { FDesignExecute = Value; }

  // The action; descendants override it. The base does nothing and answers false.
  virtual bool Execute() { return false; }

 private:
  TAHMEnhancedExecStr FDesignExecute;
};
