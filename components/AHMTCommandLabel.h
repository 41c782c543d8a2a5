#pragma once
// TAHMCommandLabel: a hyperlink label. A left press opens CaptionValue as a mail, web, FTP or file
// target through the desktop's opener (ShellExecuteA: the target goes to the opener as one argument,
// never through a shell), or raises RunEvent; the font colour follows hovering, pressing and having
// been followed.
//
// The scheme prefix of Command is put before CaptionValue unless CaptionValue already starts with it
// (in any letter case); what the label shows (Caption) plays no part in the target.

#include "platform/vcl/StdCtrls.h"

enum TAHMCommand { runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT };
XJ_ENUM_IDENTS(TAHMCommand, runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT);

// "", "mailto:", "http://", "ftp://", "file:", "event".
const char* CommandPrefix(TAHMCommand Command);
// What a press opens for Command and Value: the prefix and Value, the prefix left out when Value starts
// with it already.
AnsiString CommandTarget(TAHMCommand Command, const AnsiString& Value);

class TAHMCommandLabel : public TLabel {
  XJ_CLASS(TAHMCommandLabel, TLabel)
  XJ_PUBLISHED_ACCESS;

 public:
  // Blue underlined 10-point text opening a web address.
  explicit TAHMCommandLabel(TComponent* AOwner);

  TAHMCommand Command() const { return FCommand; }
  void SetCommand(TAHMCommand Value) { FCommand = Value; }
  TColor FollowedColor() const { return FFollowedColor; }
  void SetFollowedColor(TColor Value) { FFollowedColor = Value; }
  TColor MoveOverColor() const { return FMoveOverColor; }
  void SetMoveOverColor(TColor Value) { FMoveOverColor = Value; }
  const AnsiString& CaptionValue() const { return FCaptionValue; }
  void SetCaptionValue(const AnsiString& Value) { FCaptionValue = Value; }
  // Set by the first left press, never cleared.
  bool Followed() const { return FFollowed; }

  // Raised on a left press instead of the opener when Command is runEVENT.
  TNotifyEvent RunEvent;

  void Dispatch(TMessage& Message) override;

 protected:
  // The form's font colour becomes the normal colour.
  void Loaded() override;
  // Only while enabled.
  void Click() override;

 private:
  void WMLButtonDown(TWMMouse& Message);
  void WMLButtonUp(TWMMouse& Message);
  void WMMouseMove(TWMMouse& Message);
  void Open();

  TAHMCommand FCommand { runURL };
  TColor FFollowedColor { clPurple };
  TColor FNormalColor { clBlack };
  TColor FMoveOverColor { clRed };
  bool FFollowed { false };
  bool FPressed { false };
  bool FHot { false };
  AnsiString FCaptionValue { "www.example.com" };
};
