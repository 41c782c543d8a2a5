// TAHMCommandLabel: the press that opens the target, and the colours of hovering and following.

#include "components/AHMTCommandLabel.h"

#include "platform/vcl/Forms.h"
#include "platform/win32/ShellApi.h"

XJ_PUBLISHED(TAHMCommandLabel,
  XJ_PROP(Command, runURL)
  XJ_PROP(FollowedColor, clPurple)
  XJ_PROP(MoveOverColor, clRed)
  XJ_EVENT(RunEvent)
  XJ_PROP(CaptionValue));

static const bool xj_command_label_registered = (RegisterClasses({ TAHMCommandLabel::StaticClass() }), true);

const char* CommandPrefix(TAHMCommand Command) {
  static const char* const prefixes[] = { "", "mailto:", "http://", "ftp://", "file:", "event" };
  return prefixes[Command];
}

AnsiString CommandTarget(TAHMCommand Command, const AnsiString& Value) {
  const AnsiString prefix = CommandPrefix(Command);
  // A value holding its scheme already must not get it twice ("http://http://...").
  if (SameText(Copy(Value, 1, Length(prefix)), prefix)) return Value;
  return prefix + Value;
}

TAHMCommandLabel::TAHMCommandLabel(TComponent* AOwner) : TLabel(AOwner) {
  Font()->SetSize(10);
  Font()->SetColor(clBlue);
  Font()->SetStyle({ fsUnderline });
  SetCaption("www.example.com");
}

void TAHMCommandLabel::Loaded() {
  TLabel::Loaded();
  FNormalColor = Font()->Color();
}

void TAHMCommandLabel::Click() {
  if (Enabled()) TLabel::Click();
}

void TAHMCommandLabel::Dispatch(TMessage& Message) {
  auto& mouse = reinterpret_cast<TWMMouse&>(Message);
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      WMLButtonDown(mouse);
      break;
    case WM_LBUTTONUP:
      WMLButtonUp(mouse);
      break;
    case WM_MOUSEMOVE:
      WMMouseMove(mouse);
      break;
    default:
      TLabel::Dispatch(Message);
  }
}

void TAHMCommandLabel::WMLButtonDown(TWMMouse& Message) {
  if (!Enabled() || !Visible()) {
    TLabel::Dispatch(reinterpret_cast<TMessage&>(Message));
    return;
  }
  FPressed = true;
  FHot = true;
  Font()->SetColor(FNormalColor);
  FFollowed = true;
  const std::weak_ptr<const void> alive = LifeToken();
  TLabel::Dispatch(reinterpret_cast<TMessage&>(Message));
  if (!alive.expired()) Open();  // the target opens on the press, not on the click
}

void TAHMCommandLabel::Open() {
  if (FCommand == runEVENT) {
    if (RunEvent) RunEvent(this);
    return;
  }
  ShellExecuteA(nullptr, "open", CommandTarget(FCommand, FCaptionValue).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TAHMCommandLabel::WMLButtonUp(TWMMouse& Message) {
  if (!Enabled() || !Visible() || !FPressed) return;
  FPressed = false;
  FHot = false;
  Font()->SetColor(FFollowedColor);
  const std::weak_ptr<const void> alive = LifeToken();
  TLabel::Dispatch(reinterpret_cast<TMessage&>(Message));
  // The release gives the capture up; still over the label we keep it (without the hover colour), so
  // the hover colour comes back only once the mouse has left and returned.
  if (alive.expired()) return;
  const int x = Message.XPos, y = Message.YPos;
  if (!MouseCapture() && x >= 0 && y >= 0 && x <= Width() && y <= Height()) SetMouseCapture(true);
}

void TAHMCommandLabel::WMMouseMove(TWMMouse& Message) {
  if (!MouseCapture()) {
    SetMouseCapture(true);
    TCustomForm* form = GetParentForm(this);
    if (Enabled() && Visible() && form && form->Active()) Font()->SetColor(FMoveOverColor);
  }
  const int x = Message.XPos, y = Message.YPos;
  const bool outside = x < 0 || y < 0 || x > Width() || y > Height();
  if (MouseCapture() && outside) {
    // Leaving: the colour goes back; a capture kept over a release goes too, colour unchanged.
    if (FHot) {
      FHot = false;
      Font()->SetColor(FFollowed ? FFollowedColor : FNormalColor);
    }
    SetMouseCapture(false);
  } else if (MouseCapture() && !FHot) {
    FHot = true;
  }
  TLabel::Dispatch(reinterpret_cast<TMessage&>(Message));
}
