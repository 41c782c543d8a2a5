// The media player control: the button bar, the operations over the playback engine, and the end of
// playback carried from the audio thread to the GUI thread.

#include "platform/vcl/MPlayer.h"

#include <algorithm>
#include <cstdint>

#include "platform/audio/Player.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

using xj::audio::PlaybackEnd;
using xj::audio::PlayerError;
using xj::audio::PlayerMode;

namespace {

// The end of a playback run, posted by the audio thread to the player's notice window: wParam says how
// it ended, lParam which opening it belongs to (a notice for a file since closed is dropped).
constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 1;
constexpr WPARAM MCI_NOTIFY_FAILURE = 8;

constexpr int kStepMs = 1000;  // Step and Back: wave audio has no frames to step by

constexpr TMPBtnType kButtonOrder[] = { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };

// The buttons that make sense in each mode.
TButtonSet AutoButtons(TMPModes Mode) {
  const TButtonSet moving { btNext, btPrev, btStep, btBack, btEject };
  switch (Mode) {
    case mpStopped:
      return moving + TButtonSet { btPlay, btRecord };
    case mpPlaying:
      return moving + TButtonSet { btPause, btStop };
    case mpPaused:
      return moving + TButtonSet { btPlay, btPause, btStop, btRecord };
    default:
      return {};
  }
}

// ---- Glyphs -------------------------------------------------------------------------------------------

// Each glyph is drawn in an 11×9 box from up to three parts: triangles (three corners), boxes and discs
// (left, top, right, bottom, exclusive).
constexpr int kGlyphWidth = 11;
constexpr int kGlyphHeight = 9;

struct TGlyphPart {
  enum TKind : uint8_t { None, Triangle, Box, Disc } Kind;
  int8_t V[6];
};

struct TGlyph {
  TColor Color;
  TGlyphPart Parts[3];
};

const TGlyph& GlyphOf(TMPBtnType Button) {
  using P = TGlyphPart;
  static const TGlyph glyphs[] = {
    /* btPlay   */ { clGreen, { { P::Triangle, { 3, 0, 7, 4, 3, 8 } } } },
    /* btPause  */ { clOlive, { { P::Box, { 2, 0, 5, 9 } }, { P::Box, { 6, 0, 9, 9 } } } },
    /* btStop   */ { clMaroon, { { P::Box, { 1, 0, 10, 9 } } } },
    /* btNext   */
    { clNavy,
      { { P::Triangle, { 1, 0, 5, 4, 1, 8 } }, { P::Triangle, { 5, 0, 9, 4, 5, 8 } }, { P::Box, { 9, 0, 11, 9 } } } },
    /* btPrev   */
    { clNavy,
      { { P::Box, { 0, 0, 2, 9 } }, { P::Triangle, { 6, 0, 2, 4, 6, 8 } }, { P::Triangle, { 10, 0, 6, 4, 10, 8 } } } },
    /* btStep   */ { clNavy, { { P::Triangle, { 3, 0, 7, 4, 3, 8 } }, { P::Box, { 8, 0, 10, 9 } } } },
    /* btBack   */ { clNavy, { { P::Box, { 1, 0, 3, 9 } }, { P::Triangle, { 8, 0, 4, 4, 8, 8 } } } },
    /* btRecord */ { clRed, { { P::Disc, { 1, 0, 10, 9 } } } },
    /* btEject  */ { clBlack, { { P::Triangle, { 0, 5, 5, 0, 10, 5 } }, { P::Box, { 0, 7, 11, 9 } } } },
  };
  return glyphs[Button];
}

void DrawGlyph(TCanvas* Canvas, const TGlyph& Glyph, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Brush()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsSolid);
  for (const TGlyphPart& p : Glyph.Parts) {
    const int8_t* v = p.V;
    switch (p.Kind) {
      case TGlyphPart::Triangle:
        Canvas->Polygon({ TPoint(X + v[0], Y + v[1]), TPoint(X + v[2], Y + v[3]), TPoint(X + v[4], Y + v[5]) });
        break;
      case TGlyphPart::Box:
        Canvas->FillRect(TRect(X + v[0], Y + v[1], X + v[2], Y + v[3]));
        break;
      case TGlyphPart::Disc:
        Canvas->Ellipse(X + v[0], Y + v[1], X + v[2], Y + v[3]);
        break;
      case TGlyphPart::None:
        break;
    }
  }
}

AnsiString OpenFailure(PlayerError Error, const AnsiString& FileName, const std::string& Detail) {
  const AnsiString head = "Cannot open \"" + FileName + "\": ";
  switch (Error) {
    case PlayerError::FileNotFound:
      return head + "there is no such file";
    case PlayerError::Unreadable:
      return head + "the file cannot be read (" + Detail + ")";
    case PlayerError::NotAudio:
      return head + "it is not a sound file that can be played (" + Detail + ")";
    case PlayerError::NoOutput:
      return head + "no audio output is available (" + Detail + ")";
    default:
      return head + Detail;
  }
}

}  // namespace

// ---- Life ---------------------------------------------------------------------------------------------

TMediaPlayer::TMediaPlayer(TComponent* AOwner)
    : TCustomControl(AOwner), FPlayer(std::make_unique<xj::audio::Player>()) {
  SetControlStyle((ControlStyle() - TControlStyle { csClickEvents, csDoubleClicks, csSetCaption }) +
                  TControlStyle { csOpaque });
  SetBounds(0, 0, 253, 30);
  SetTabStop(true);
  FPlayer->SetEndCallback([this](PlaybackEnd End) { PlaybackEnded(End); });
}

TMediaPlayer::~TMediaPlayer() {
  FPlayer->Close();  // joins the audio thread: no end notice can come after this
  HWND notice;
  {
    std::lock_guard lock(FNoticeLock);
    notice = FNotifyWindow;
    FNotifyWindow = nullptr;
  }
  if (notice && IsWindow(notice)) DeallocateHWnd(notice);
  TearDownWindow();
}

// ---- Properties ---------------------------------------------------------------------------------------

void TMediaPlayer::SetAutoEnable(bool Value) {
  if (FAutoEnable == Value) return;
  FAutoEnable = Value;
  ButtonsChanged();
}

void TMediaPlayer::SetVisibleButtons(TButtonSet Value) {
  Value *= AllMPButtons;
  if (FVisibleButtons == Value) return;
  FVisibleButtons = Value;
  if (!FVisibleButtons.Contains(FFocusedButton)) MoveFocus(0);
  ButtonsChanged();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet Value) {
  Value *= AllMPButtons;
  if (FEnabledButtons == Value) return;
  FEnabledButtons = Value;
  ButtonsChanged();
}

void TMediaPlayer::SetTimeFormat(TMPTimeFormats Value) {
  if (Value != tfMilliseconds) throw EMCIDeviceError("Wave audio is timed in milliseconds only");
}

TMPModes TMediaPlayer::Mode() const {
  switch (FPlayer->Mode()) {
    case PlayerMode::Stopped:
      return mpStopped;
    case PlayerMode::Playing:
      return mpPlaying;
    case PlayerMode::Paused:
      return mpPaused;
    default:
      return mpNotReady;
  }
}

int TMediaPlayer::Position() const { return FPlayer->Position(); }

int TMediaPlayer::Length() const { return FPlayer->Length(); }

void TMediaPlayer::SetPosition(int Value) {
  RequireOpen();
  Seek(Value);
}

TButtonSet TMediaPlayer::ShownEnabledButtons() const {
  if (!Enabled()) return {};
  return FVisibleButtons * (FAutoEnable ? AutoButtons(Mode()) : FEnabledButtons);
}

TRect TMediaPlayer::ButtonRect(TMPBtnType Button) const {
  if (!FVisibleButtons.Contains(Button)) return {};
  int count = 0, index = 0;
  for (TMPBtnType b : kButtonOrder) {
    if (!FVisibleButtons.Contains(b)) continue;
    if (b == Button) index = count;
    ++count;
  }
  // The buttons share the width; the odd pixels go to the later ones.
  const int w = std::max(Width(), 0);
  return TRect(index * w / count, 0, (index + 1) * w / count, std::max(Height(), 0));
}

// ---- Operations ---------------------------------------------------------------------------------------

void TMediaPlayer::RequireOpen() const {
  if (FPlayer->Mode() == PlayerMode::NotReady) throw EMCIDeviceError("The media player has no file open");
}

void TMediaPlayer::Open() {
  EnsureNotifyWindow();
  const bool known = FDeviceType == dtAutoSelect || FDeviceType == dtWaveAudio;
  PlayerError error = PlayerError::None;
  if (known) {
    error = FPlayer->Open(FFileName);  // closes the old file first
  } else {
    FPlayer->Close();
  }
  {
    std::lock_guard lock(FNoticeLock);
    ++FOpening;
  }
  ButtonsChanged();
  if (!known) throw EMCIDeviceError("This media player plays wave audio only");
  if (error != PlayerError::None) throw EMCIDeviceError(OpenFailure(error, FFileName, FPlayer->ErrorText()));
}

void TMediaPlayer::Close() {
  FPlayer->Close();
  {
    std::lock_guard lock(FNoticeLock);
    ++FOpening;
  }
  ButtonsChanged();
}

void TMediaPlayer::Play() {
  RequireOpen();
  const bool wait = FWait;
  FWait = false;
  if (FAutoRewind && Length() > 0 && Position() >= Length()) FPlayer->Rewind();
  const PlayerError error = FPlayer->Play();
  ButtonsChanged();
  if (error != PlayerError::None) throw EMCIDeviceError("Cannot play: " + FPlayer->ErrorText());
  if (!wait) return;
  WaitForEnd();
  ButtonsChanged();
}

void TMediaPlayer::Pause() {
  RequireOpen();
  const PlayerError error = Mode() == mpPaused ? FPlayer->Play() : FPlayer->Pause();
  ButtonsChanged();
  if (error != PlayerError::None) throw EMCIDeviceError("Cannot pause: " + FPlayer->ErrorText());
}

void TMediaPlayer::Stop() {
  RequireOpen();
  FPlayer->Stop();
  ButtonsChanged();
}

void TMediaPlayer::Rewind() {
  RequireOpen();
  Seek(0);
}

void TMediaPlayer::Next() {
  RequireOpen();
  Seek(Length());
}

void TMediaPlayer::Step() {
  RequireOpen();
  Seek(int64_t { Position() } + kStepMs);
}

void TMediaPlayer::Back() {
  RequireOpen();
  Seek(int64_t { Position() } - kStepMs);
}

void TMediaPlayer::Eject() {
  RequireOpen();
  throw EMCIDeviceError("This device cannot eject");
}

void TMediaPlayer::StartRecording() {
  RequireOpen();
  throw EMCIDeviceError("This media player cannot record");
}

// Clamped here as well as in the engine, so Step near the 32-bit end cannot wrap.
void TMediaPlayer::Seek(int64_t Ms) {
  const PlayerError error = FPlayer->Seek(static_cast<int32_t>(std::clamp<int64_t>(Ms, 0, Length())));
  ButtonsChanged();
  if (error != PlayerError::None) throw EMCIDeviceError("Cannot move: " + FPlayer->ErrorText());
}

// The audio thread only stops: a waiting Play watches the mode, which reads the end at once.
void TMediaPlayer::WaitForEnd() {
  std::unique_lock lock(FNoticeLock);
  while (FPlayer->Mode() == PlayerMode::Playing) FEnded.wait_for(lock, std::chrono::milliseconds(10));
}

void TMediaPlayer::Loaded() {
  TCustomControl::Loaded();
  if (FAutoOpen && !ComponentState().Contains(csDesigning)) Open();
}

// ---- The end of playback --------------------------------------------------------------------------------

void TMediaPlayer::EnsureNotifyWindow() {
  if (FNotifyWindow && IsWindow(FNotifyWindow)) return;
  HWND window = AllocateHWnd(TWndMethod(this, &TMediaPlayer::NotifyWndProc));
  std::lock_guard lock(FNoticeLock);
  FNotifyWindow = window;
}

// Audio thread.
void TMediaPlayer::PlaybackEnded(PlaybackEnd End) {
  std::lock_guard lock(FNoticeLock);
  if (FNotifyWindow)
    PostMessageA(FNotifyWindow, MM_MCINOTIFY, End == PlaybackEnd::Finished ? MCI_NOTIFY_SUCCESSFUL : MCI_NOTIFY_FAILURE,
                 static_cast<LPARAM>(FOpening));
  FEnded.notify_all();
}

void TMediaPlayer::NotifyWndProc(TMessage& Message) {
  HWND window = FNotifyWindow;
  if (Message.Msg == MM_MCINOTIFY) {
    if (static_cast<unsigned>(Message.LParam) != FOpening) return;  // for a file closed since
    FNotifyValue = Message.WParam == MCI_NOTIFY_SUCCESSFUL ? nvSuccessful : nvFailure;
    ButtonsChanged();
    std::weak_ptr<const void> life = LifeToken();
    try {
      DoNotify();
    } catch (...) {
      if (!Application) throw;
      Application->HandleException(life.expired() ? nullptr : this);
    }
    return;
  }
  if (Message.Msg == WM_NCDESTROY) {
    std::lock_guard lock(FNoticeLock);
    if (FNotifyWindow == window) FNotifyWindow = nullptr;
  }
  Message.Result = DefWindowProcA(window, Message.Msg, Message.WParam, Message.LParam);
}

void TMediaPlayer::DoNotify() {
  if (OnNotify) OnNotify(this);
}

// ---- The button bar -----------------------------------------------------------------------------------

void TMediaPlayer::ButtonsChanged() {
  if (HandleAllocated()) Invalidate();
}

int TMediaPlayer::ButtonAt(int X, int Y) const {
  for (TMPBtnType b : kButtonOrder) {
    const TRect r = ButtonRect(b);
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return b;
  }
  return -1;
}

// Direction 0 finds a visible button when the focused one went.
void TMediaPlayer::MoveFocus(int Direction) {
  const int count = static_cast<int>(std::size(kButtonOrder));
  if (Direction == 0) {
    for (TMPBtnType b : kButtonOrder)
      if (FVisibleButtons.Contains(b)) {
        FFocusedButton = b;
        return;
      }
    return;
  }
  for (int i = FFocusedButton + Direction; i >= 0 && i < count; i += Direction)
    if (FVisibleButtons.Contains(kButtonOrder[i])) {
      FFocusedButton = kButtonOrder[i];
      Invalidate();
      return;
    }
}

void TMediaPlayer::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(ClientRect());
  const TButtonSet enabled = ShownEnabledButtons();
  for (TMPBtnType b : kButtonOrder)
    if (FVisibleButtons.Contains(b)) PaintButton(b, ButtonRect(b), enabled.Contains(b));
}

void TMediaPlayer::PaintButton(TMPBtnType Button, const TRect& R, bool Enabled) {
  TCanvas* canvas = Canvas();
  const bool down = FPressed == Button && FPressedIn;
  RECT edge = R;
  DrawEdge(canvas->Handle(), &edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  const int shift = down ? 1 : 0;
  const int x = R.Left + (R.Width() - kGlyphWidth) / 2 + shift;
  const int y = R.Top + (R.Height() - kGlyphHeight) / 2 + shift;
  const TGlyph& glyph = GlyphOf(Button);
  if (Enabled) {
    DrawGlyph(canvas, glyph, x, y, glyph.Color);
  } else {  // embossed, as disabled things are drawn
    DrawGlyph(canvas, glyph, x + 1, y + 1, clBtnHighlight);
    DrawGlyph(canvas, glyph, x, y, clBtnShadow);
  }
  if (Button == FFocusedButton && Focused()) {
    canvas->Brush()->SetColor(clBtnFace);
    canvas->DrawFocusRect(TRect(R.Left + 3, R.Top + 3, R.Right - 3, R.Bottom - 3));
  }
}

void TMediaPlayer::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    std::weak_ptr<const void> life = LifeToken();  // OnEnter may free the player
    if (TabStop() && CanFocus() && !Focused()) SetFocus();
    if (life.expired()) return;
    const int b = ButtonAt(X, Y);
    if (b >= 0 && ShownEnabledButtons().Contains(static_cast<TMPBtnType>(b))) {
      FPressed = b;
      FPressedIn = true;
      FFocusedButton = static_cast<TMPBtnType>(b);
      Invalidate();
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TMediaPlayer::MouseMove(TShiftState Shift, int X, int Y) {
  if (FPressed >= 0) {
    const bool in = ButtonAt(X, Y) == FPressed;
    if (in != FPressedIn) {
      FPressedIn = in;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TMediaPlayer::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  int clicked = -1;
  if (Button == mbLeft && FPressed >= 0) {
    if (FPressedIn && ButtonAt(X, Y) == FPressed) clicked = FPressed;
    FPressed = -1;
    FPressedIn = false;
    Invalidate();
  }
  std::weak_ptr<const void> life = LifeToken();
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (clicked >= 0 && !life.expired() && ShownEnabledButtons().Contains(static_cast<TMPBtnType>(clicked)))
    ButtonClick(static_cast<TMPBtnType>(clicked));
}

void TMediaPlayer::KeyDown(WORD& Key, TShiftState Shift) {
  if (Shift.Empty()) {
    if (Key == VK_LEFT || Key == VK_RIGHT) {
      MoveFocus(Key == VK_LEFT ? -1 : 1);
      Key = 0;
    } else if (Key == VK_SPACE) {
      Key = 0;
      if (ShownEnabledButtons().Contains(FFocusedButton)) ButtonClick(FFocusedButton);
      return;
    }
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TMediaPlayer::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TMediaPlayer::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

void TMediaPlayer::ButtonClick(TMPBtnType Button) {
  bool doDefault = true;
  if (OnClick) {
    std::weak_ptr<const void> life = LifeToken();
    OnClick(this, Button, doDefault);
    if (life.expired()) return;
  }
  if (!doDefault) return;
  switch (Button) {
    case btPlay:
      Play();
      break;
    case btPause:
      Pause();
      break;
    case btStop:
      Stop();
      break;
    case btNext:
      Next();
      break;
    case btPrev:
      Previous();
      break;
    case btStep:
      Step();
      break;
    case btBack:
      Back();
      break;
    case btRecord:
      StartRecording();
      break;
    case btEject:
      Eject();
      break;
  }
}

void TMediaPlayer::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case CM_ENABLEDCHANGED:
      ButtonsChanged();
      break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- Published properties ---------------------------------------------------------------------------------

XJ_PUBLISHED(TMediaPlayer,
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoEnable, true)
  XJ_PROP(AutoOpen, false)
  XJ_PROP(AutoRewind, true)
  XJ_PROP(Constraints)
  XJ_PROP(DeviceType, dtAutoSelect)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(EnabledButtons, AllMPButtons)
  XJ_PROP(FileName)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(VisibleButtons, AllMPButtons)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnNotify));

namespace xj::vcl {
bool RegisterMPlayer() {
  static const bool registered = (RegisterClasses({ TMediaPlayer::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
