#pragma once
// The class library's MPlayer unit: TMediaPlayer, a bar of media buttons over the playback engine
// (platform/audio/Player.h). It plays sound files (WAV and whatever else libsndfile reads) on an audio
// thread; times are milliseconds.
//
// Operations raise EMCIDeviceError when they cannot be done (nothing open, a file that cannot be
// played, an operation the device does not have); Close never raises. Position, Length and Mode
// never raise, are safe from any thread and read 0 / mpNotReady when nothing is open. At the natural
// end of playback Position equals Length exactly and stays there; then, on the GUI thread, the
// buttons are brought up to date and OnNotify runs (NotifyValue nvSuccessful, or nvFailure when the
// output broke). Destroying the player stops the sound.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/vcl/Controls.h"

namespace xj::audio {
class Player;
enum class PlaybackEnd;
}  // namespace xj::audio

XJ_EXCEPTION(EMCIDeviceError, Exception);

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
XJ_ENUM_IDENTS(TMPBtnType, btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject);
typedef Set<TMPBtnType> TButtonSet;
constexpr TButtonSet AllMPButtons { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };

// Only wave audio is played (dtAutoSelect takes any file the engine reads); the other kinds exist so
// that forms naming them load, and opening them fails.
enum TMPDeviceTypes {
  dtAutoSelect,
  dtAVIVideo,
  dtCDAudio,
  dtDAT,
  dtDigitalVideo,
  dtMMMovie,
  dtOther,
  dtOverlay,
  dtScanner,
  dtSequencer,
  dtVCR,
  dtVideodisc,
  dtWaveAudio
};
XJ_ENUM_IDENTS(TMPDeviceTypes, dtAutoSelect, dtAVIVideo, dtCDAudio, dtDAT, dtDigitalVideo, dtMMMovie, dtOther,
               dtOverlay, dtScanner, dtSequencer, dtVCR, dtVideodisc, dtWaveAudio);

// Wave audio is timed in milliseconds only; asking for another format raises.
enum TMPTimeFormats {
  tfMilliseconds,
  tfHMS,
  tfMSF,
  tfFrames,
  tfSMPTE24,
  tfSMPTE25,
  tfSMPTE30,
  tfSMPTE30Drop,
  tfBytes,
  tfSamples,
  tfTMSF
};
XJ_ENUM_IDENTS(TMPTimeFormats, tfMilliseconds, tfHMS, tfMSF, tfFrames, tfSMPTE24, tfSMPTE25, tfSMPTE30, tfSMPTE30Drop,
               tfBytes, tfSamples, tfTMSF);

// mpRecording, mpSeeking and mpOpen are never reported: nothing here records, seeks slowly or opens a door.
enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
XJ_ENUM_IDENTS(TMPModes, mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen);

enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };
XJ_ENUM_IDENTS(TMPNotifyValues, nvSuccessful, nvSuperseded, nvAborted, nvFailure);

// A button of the bar was clicked; DoDefault (true on entry) false skips the button's operation.
typedef TClosure<void(TObject* Sender, TMPBtnType Button, bool& DoDefault)> EMPNotify;

class TMediaPlayer : public TCustomControl {
  XJ_CLASS(TMediaPlayer, TCustomControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TMediaPlayer(TComponent* AOwner);
  // Stops the sound and lets the file go.
  ~TMediaPlayer() override;

  // The file Open opens (GBK; '\' and '/' both separate). Setting it opens nothing.
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& Value) { FFileName = Value; }
  // Open when the form holding the player has been loaded.
  bool AutoOpen() const { return FAutoOpen; }
  void SetAutoOpen(bool Value) { FAutoOpen = Value; }
  // The buttons follow the mode (nothing open: all disabled); false: EnabledButtons decides.
  bool AutoEnable() const { return FAutoEnable; }
  void SetAutoEnable(bool Value);
  // Play at the end starts again from the beginning.
  bool AutoRewind() const { return FAutoRewind; }
  void SetAutoRewind(bool Value) { FAutoRewind = Value; }
  TButtonSet VisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(TButtonSet Value);
  TButtonSet EnabledButtons() const { return FEnabledButtons; }
  void SetEnabledButtons(TButtonSet Value);
  TMPDeviceTypes DeviceType() const { return FDeviceType; }
  void SetDeviceType(TMPDeviceTypes Value) { FDeviceType = Value; }
  TMPTimeFormats TimeFormat() const { return tfMilliseconds; }
  void SetTimeFormat(TMPTimeFormats Value);
  // True makes the next Play return only when that playback has ended; it then reads false again.
  bool Wait() const { return FWait; }
  void SetWait(bool Value) { FWait = Value; }

  TMPModes Mode() const;
  int Position() const;
  // Moves playback there (clamped to 0 .. Length); playing goes on from there.
  void SetPosition(int Value);
  int Length() const;
  // Why the last OnNotify came.
  TMPNotifyValues NotifyValue() const { return FNotifyValue; }
  // The buttons as they are now: visible, and enabled by the mode or by EnabledButtons.
  TButtonSet ShownEnabledButtons() const;
  // Where a visible button lies in the client area (empty for a hidden one).
  TRect ButtonRect(TMPBtnType Button) const;

  // Closes what is open, then opens FileName and an audio output for it: Position 0, mode stopped.
  void Open();
  void Close();
  // Starts playing from Position and returns at once (unless Wait).
  void Play();
  // Holds playback where it is; when already paused, goes on playing.
  void Pause();
  // Ends playback, keeping Position.
  void Stop();
  void Rewind();
  void Previous() { Rewind(); }
  void Next();
  // One second forward or back.
  void Step();
  void Back();
  // Neither exists for wave audio: they raise.
  void Eject();
  void StartRecording();

  // Hides the control's plain OnClick: a media player reports which button was clicked.
  EMPNotify OnClick;
  TNotifyEvent OnNotify;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  // Runs OnClick, then the button's operation unless the handler said no.
  virtual void ButtonClick(TMPBtnType Button);
  virtual void DoNotify();

 private:
  void RequireOpen() const;
  void Seek(int64_t Ms);
  void ButtonsChanged();
  void PaintButton(TMPBtnType Button, const TRect& R, bool Enabled);
  int ButtonAt(int X, int Y) const;
  void MoveFocus(int Direction);
  void EnsureNotifyWindow();
  void NotifyWndProc(TMessage& Message);
  void PlaybackEnded(xj::audio::PlaybackEnd End);
  void WaitForEnd();

  AnsiString FFileName;
  bool FAutoOpen { false };
  bool FAutoEnable { true };
  bool FAutoRewind { true };
  TButtonSet FVisibleButtons { AllMPButtons };
  TButtonSet FEnabledButtons { AllMPButtons };
  TMPDeviceTypes FDeviceType { dtAutoSelect };
  bool FWait { false };
  TMPNotifyValues FNotifyValue { nvSuccessful };
  int FPressed { -1 };        // the button held down by the mouse, or -1
  bool FPressedIn { false };  // ... and the mouse is over it
  TMPBtnType FFocusedButton { btPlay };
  // Shared with the audio thread: where its end notices go and which opening they belong to.
  std::mutex FNoticeLock;
  std::condition_variable FEnded;
  HWND FNotifyWindow { nullptr };
  unsigned FOpening { 0 };
  // Last, so that it goes first: its audio thread is joined before anything it calls back into.
  std::unique_ptr<xj::audio::Player> FPlayer;
};

XJ_UNIT_REGISTRATION(RegisterMPlayer)
