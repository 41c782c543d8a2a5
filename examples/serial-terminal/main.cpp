// A serial terminal: opens a serial port with the serial port component, shows what arrives and sends
// what is typed.
//
//   serial-terminal [device]        (a device path such as /dev/ttyUSB0, a pseudo-terminal, or COMn)
//
// Given a device it opens it at once. Without a display it runs headless:
//   XJ_EXIT_AFTER=3000 XJ_SCREENSHOT=terminal.png serial-terminal /dev/pts/3
#include "components/Comm.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TTerminalForm : public TForm {
 public:
  // The device opened when the form is created; empty: none.
  static inline AnsiString Device;

  explicit TTerminalForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("串口终端");
    SetBounds(60, 40, 480, 320);

    Port = Add<TEdit>(8, 8, 200, 22);
    Port->SetText(Device.empty() ? AnsiString("/dev/ttyUSB0") : Device);
    OpenButton = Add<TButton>(216, 7, 80, 24);
    OpenButton->SetCaption("打开");
    OpenButton->OnClick = TNotifyEvent::FromCallable([this](TObject*) { Toggle(); });
    Status = Add<TLabel>(306, 12, 160, 18);

    Received = Add<TMemo>(8, 40, 456, 210);
    Received->SetReadOnly(true);

    Input = Add<TEdit>(8, 258, 368, 22);
    SendButton = Add<TButton>(384, 257, 80, 24);
    SendButton->SetCaption("发送");
    SendButton->SetDefault(true);
    SendButton->OnClick = TNotifyEvent::FromCallable([this](TObject*) { Send(); });

    // The component reports on the main thread: arriving bytes are read in its OnRxChar.
    Comm = new TComm(this);
    Comm->SetBaudRate(br9600);
    Comm->OnRxChar = TCommRxCharEvent::FromCallable([this](TObject*, DWORD Count) { Receive(Count); });
    if (!Device.empty()) Toggle();
    ShowState();
  }

 private:
  template <class T>
  T* Add(int X, int Y, int W, int H) {
    auto* c = new T(this);
    c->SetParent(this);
    c->SetBounds(X, Y, W, H);
    return c;
  }

  void Toggle() {
    if (Comm->Enabled()) {
      Comm->Close();
    } else {
      Comm->SetDeviceName(Port->Text());
      try {
        Comm->Open();
      } catch (const Exception& e) {
        Received->Lines()->Add("无法打开：" + e.Message());
      }
    }
    ShowState();
  }

  void ShowState() {
    Status->SetCaption(Comm->Enabled() ? "已连接 " + Port->Text() : AnsiString("未连接"));
    OpenButton->SetCaption(Comm->Enabled() ? "关闭" : "打开");
  }

  void Receive(DWORD Count) {
    std::string bytes(Count, '\0');
    const int n = Comm->Read(bytes.data(), Count);
    if (n <= 0) return;
    bytes.resize(static_cast<size_t>(n));
    // Lines end with CR, LF or CR LF; each becomes a line of the memo.
    for (char c : bytes) {
      const bool lineFeedOfCrLf = c == '\n' && FAfterCr;
      FAfterCr = c == '\r';
      if (lineFeedOfCrLf) continue;
      if (c == '\r' || c == '\n') {
        Received->Lines()->Add(FLine);
        FLine.clear();
      } else {
        FLine += c;
      }
    }
  }

  void Send() {
    if (!Comm->Enabled()) return;
    const AnsiString line = Input->Text() + "\r\n";
    if (Comm->Write(line.c_str(), static_cast<DWORD>(line.size())) < 0) return;
    Received->Lines()->Add("> " + Input->Text());
    Input->SetText(AnsiString());
  }

  TEdit* Port;
  TButton* OpenButton;
  TLabel* Status;
  TMemo* Received;
  TEdit* Input;
  TButton* SendButton;
  TComm* Comm;
  AnsiString FLine;
  bool FAfterCr { false };
};

int main(int argc, char** argv) {
  try {
    TTerminalForm::Device = argc > 1 ? AnsiString(argv[1]) : AnsiString();
    Application->Initialize();
    TTerminalForm* form = nullptr;
    Application->CreateForm(form);
    Application->Run();
  } catch (Exception& E) {
    Application->ShowException(&E);
    return 1;
  }
  return 0;
}
