// TComm in form resources: every published property and event written and read back, defaults left
// out, the event characters as sub-properties, an empty MonitorEvents reading back as all nine, and
// streamed settings applied by Open.

#include "tests/components/comm/CommComponentSupport.h"

namespace xj::test {
namespace {

const TCommEventTypes kAllEvents { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };

class TCommTestForm : public TComponent {
  XJ_CLASS(TCommTestForm, TComponent)
 public:
  using TComponent::TComponent;
  void GetChildren(TGetChildProc proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
  void Comm1RxChar(TObject*, DWORD Count) { Received += static_cast<int>(Count); }
  void Comm1Cts(TObject*) {}

  TComm* Comm1 { nullptr };
  int Received { 0 };
};

}  // namespace
}  // namespace xj::test

XJ_PUBLISHED(xj::test::TCommTestForm,
  XJ_FIELD(Comm1)
  XJ_METHOD(Comm1RxChar)
  XJ_METHOD(Comm1Cts));

namespace xj::test {
namespace {

class CommStreaming : public ::testing::Test {
 protected:
  void SetUp() override { Comm::Register(); }

  // A form with one TComm named Comm1, created the way a form creates its components.
  static TComm* AddComm(TCommTestForm& form) {
    auto* comm = new TComm(&form);
    comm->SetName("Comm1");
    form.Comm1 = comm;
    return comm;
  }
};

TEST_F(CommStreaming, EveryPropertyAndEventSurvivesARoundTrip) {
  TCommTestForm form(nullptr);
  form.SetName("Form1");
  TComm* comm = AddComm(form);
  comm->SetDeviceName("/dev/ttyUSB3");
  comm->SetReadTimeout(500);
  comm->SetWriteTimeout(700);
  comm->SetReadBufSize(1024);
  comm->SetWriteBufSize(512);
  comm->SetSuspendTime(9);
  comm->SetMonitorEvents({ evRxChar, evCts });
  comm->SetBaudRate(br115200);
  comm->SetParity(paEven);
  comm->SetStopBits(sb20);
  comm->SetDataBits(da7);
  comm->EventChars()->SetXOnChar('A');
  comm->EventChars()->SetEvtChar('\n');
  comm->SetOptions({ coNullStrip, coParityCheck });
  comm->SetFlowControl(fcCTS);
  comm->OnRxChar = TCommRxCharEvent(&form, &TCommTestForm::Comm1RxChar);
  comm->OnCts = TNotifyEvent(&form, &TCommTestForm::Comm1Cts);
  const AnsiString text = WriteComponentResource(&form);
  EXPECT_NE(text.find("EventChars.XOnChar = 'A'"), AnsiString::npos) << text;
  EXPECT_NE(text.find("MonitorEvents = [evCts, evRxChar]"), AnsiString::npos) << text;
  EXPECT_NE(text.find("OnRxChar = Comm1RxChar"), AnsiString::npos) << text;

  TCommTestForm back(nullptr);
  ReadComponentResource(&back, text);
  ASSERT_NE(back.Comm1, nullptr);
  TComm* c = back.Comm1;
  EXPECT_EQ(c->DeviceName(), "/dev/ttyUSB3");
  EXPECT_EQ(c->ReadTimeout(), 500);
  EXPECT_EQ(c->WriteTimeout(), 700);
  EXPECT_EQ(c->ReadBufSize(), 1024);
  EXPECT_EQ(c->WriteBufSize(), 512);
  EXPECT_EQ(c->SuspendTime(), 9u);
  EXPECT_EQ(c->MonitorEvents(), (TCommEventTypes { evRxChar, evCts }));
  EXPECT_EQ(c->BaudRate(), br115200);
  EXPECT_EQ(c->Parity(), paEven);
  EXPECT_EQ(c->StopBits(), sb20);
  EXPECT_EQ(c->DataBits(), da7);
  EXPECT_EQ(c->EventChars()->XOnChar(), 'A');
  EXPECT_EQ(c->EventChars()->XOffChar(), 0x13);
  EXPECT_EQ(c->EventChars()->EvtChar(), '\n');
  EXPECT_EQ(c->Options(), (TCommOptions { coNullStrip, coParityCheck }));
  EXPECT_EQ(c->FlowControl(), fcCTS);
  ASSERT_TRUE(c->OnRxChar);
  c->OnRxChar(c, 5);
  EXPECT_EQ(back.Received, 5);
  EXPECT_TRUE(c->OnCts);
  EXPECT_FALSE(c->OnBreak);
  EXPECT_FALSE(c->Enabled());
}

TEST_F(CommStreaming, DefaultsAreLeftOutAndAnEmptyMonitorEventsReadsBackAsAllNine) {
  TCommTestForm form(nullptr);
  form.SetName("Form1");
  TComm* comm = AddComm(form);
  AnsiString text = WriteComponentResource(&form);
  for (const char* name : { "ReadTimeout", "WriteTimeout", "ReadBufSize", "WriteBufSize", "SuspendTime", "BaudRate",
                            "Parity", "StopBits", "DataBits", "EventChars", "Options", "FlowControl", "OnRxChar" })
    EXPECT_EQ(text.find(name), AnsiString::npos) << name << "\n" << text;
  EXPECT_NE(text.find("DeviceName = 'Com2'"), AnsiString::npos) << text;  // no stored default: always written
  EXPECT_NE(text.find("MonitorEvents = [evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, "
                      "evTxEmpty]"),
            AnsiString::npos)
      << text;

  // [] equals the stored default, so it is not written, and a reader keeps the constructor's nine.
  comm->SetMonitorEvents({});
  text = WriteComponentResource(&form);
  EXPECT_EQ(text.find("MonitorEvents"), AnsiString::npos) << text;
  TCommTestForm back(nullptr);
  ReadComponentResource(&back, text);
  ASSERT_NE(back.Comm1, nullptr);
  EXPECT_EQ(back.Comm1->MonitorEvents(), kAllEvents);
}

TEST_F(CommStreaming, AssignCopiesTheEventCharsWithoutTouchingThePort) {
  auto line = CreateFakeCommDevice("FAKE-ASSIGN");
  TComm a(nullptr), b(nullptr);
  b.SetDeviceName("FAKE-ASSIGN");
  b.Open();
  a.EventChars()->SetXOffChar('X');
  a.EventChars()->SetErrorChar('?');
  a.EventChars()->SetEofChar(0x1A);
  b.EventChars()->Assign(a.EventChars());
  EXPECT_EQ(line->Settings().XoffChar, 0x13);  // the port learns of them at the next settings update
  b.SetParity(paOdd);
  EXPECT_EQ(line->Settings().XoffChar, 'X');
  EXPECT_EQ(b.EventChars()->XOnChar(), 0x11);
  EXPECT_EQ(b.EventChars()->XOffChar(), 'X');
  EXPECT_EQ(b.EventChars()->ErrorChar(), '?');
  EXPECT_EQ(b.EventChars()->EofChar(), 0x1A);
  EXPECT_THROW(b.EventChars()->Assign(&a), EConvertError);  // a component is no set of chars
}

TEST_F(CommStreaming, SettingsReadFromAFormAreAppliedByOpen) {
  PtyPair pty;
  TCommTestForm form(nullptr);
  const AnsiString text =
      "object Form1: TCommTestForm\n"
      "  object Comm1: TComm\n"
      "    DeviceName = '" +
      pty.Path() +
      "'\n"
      "    BaudRate = br57600\n"
      "    Parity = paOdd\n"
      "    StopBits = sb20\n"
      "    Options = [coNullStrip]\n"
      "    OnRxChar = Comm1RxChar\n"
      "  end\n"
      "end\n";
  ReadComponentResource(&form, text);
  ASSERT_NE(form.Comm1, nullptr);
  form.Comm1->Open();
  const termios t = pty.MasterTermios();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
  EXPECT_EQ(t.c_cflag & (PARODD | CSTOPB), static_cast<tcflag_t>(PARODD | CSTOPB));
  pty.Send(std::string("a\0b", 3));
  EXPECT_TRUE(PumpUntil([&] { return form.Received == 2; }));  // the NUL was stripped
}

}  // namespace
}  // namespace xj::test
