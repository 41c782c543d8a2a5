// TAHMCommandLabel: the target of every command and prefix case, opened for real through a recording
// opener named by XDG_OPEN_PROGRAM (it must get the target as its one argument, with no shell between);
// the event command; and the colours of hovering, pressing, following and leaving, by injected input.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "components/AHMTCommandLabel.h"
#include "platform/win32/ShellApi.h"
#include "tests/components/aux/AuxTestUtil.h"
#include "tests/support/Wait.h"

using namespace auxtest;
using namespace ctltest;

namespace {

constexpr TColor kPurple = 0x800080, kRed = 0x0000FF, kGreen = 0x00FF00;

TEST(CommandTarget, EachCommandPutsItsPrefixOnceInAnyLetterCase) {
  struct Case {
    TAHMCommand command;
    const char* value;
    const char* target;
  };
  const Case cases[] = {
    { runNothing, "/tmp/doc.txt", "/tmp/doc.txt" },
    { runMAIL, "someone@example.com", "mailto:someone@example.com" },
    { runMAIL, "mailto:someone@example.com", "mailto:someone@example.com" },
    { runURL, "www.example.com", "http://www.example.com" },
    { runURL, "http://www.example.com", "http://www.example.com" },
    { runURL, "HTTP://Example.com", "HTTP://Example.com" },
    { runURL, "https://example.com", "http://https://example.com" },  // another scheme is a value like any
    { runFTP, "ftp.example.com", "ftp://ftp.example.com" },
    { runFTP, "FTP://ftp.example.com", "FTP://ftp.example.com" },
    { runFILE, "/tmp/doc.txt", "file:/tmp/doc.txt" },
    { runFILE, "file:/tmp/doc.txt", "file:/tmp/doc.txt" },
    { runEVENT, "x", "eventx" },
  };
  for (const Case& c : cases) EXPECT_EQ(CommandTarget(c.command, c.value), c.target) << c.command << " " << c.value;
}

// A temporary directory with an opener that records its argument count and arguments.
class Opener {
 public:
  Opener() {
    char pattern[] = "/tmp/xj-aux-opener-XXXXXX";
    FDir = mkdtemp(pattern);
    const std::string script = FDir + "/open.sh";
    std::ofstream(script) << "#!/bin/sh\n"
                             "out=\"$AUX_OPEN_LOG\"\n"
                             "printf '%s\\n' \"$#\" \"$@\" > \"$out.part\" && mv \"$out.part\" \"$out\"\n";
    chmod(script.c_str(), 0755);
    std::ofstream(FDir + "/doc.txt") << "document\n";
    FOldProgram = getenv("XDG_OPEN_PROGRAM") ? getenv("XDG_OPEN_PROGRAM") : "";
    setenv("XDG_OPEN_PROGRAM", script.c_str(), 1);
  }
  ~Opener() {
    if (FOldProgram.empty())
      unsetenv("XDG_OPEN_PROGRAM");
    else
      setenv("XDG_OPEN_PROGRAM", FOldProgram.c_str(), 1);
    unsetenv("AUX_OPEN_LOG");
    std::filesystem::remove_all(FDir);
  }
  const std::string& Dir() const { return FDir; }
  // Names the record the next opener writes.
  std::string Expect(const std::string& Name) {
    const std::string log = FDir + "/" + Name + ".log";
    setenv("AUX_OPEN_LOG", log.c_str(), 1);
    return log;
  }
  // The record's lines once the opener wrote it (it runs detached and renames the record into place
  // whole), or "(none)" when it never comes.
  static std::string Read(const std::string& Log) {
    std::string text = "(none)";
    xj::test::WaitUntil([&] {
      std::ifstream in { Log };
      if (!in) return false;
      std::stringstream s;
      s << in.rdbuf();
      text = s.str();
      return true;
    });
    return text;
  }

 private:
  std::string FDir;
  std::string FOldProgram;
};

class CommandLabelTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 300, 200);
    label = new TAHMCommandLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(20, 20, 120, 20);
    other = new TTestShape(form);
    other->SetParent(form);
    other->SetBounds(20, 100, 50, 20);
    form->Show();
    xt::PumpUntilIdle();
  }
  // Presses far enough apart in time never make a double click.
  void Press() {
    xt::Advance(1000);
    const TPoint p = label->ClientToScreen(TPoint(5, 5));
    xt::MouseMove(p.X, p.Y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  void Release(int X = 5, int Y = 5) {
    const TPoint p = label->ClientToScreen(TPoint(X, Y));
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
  }
  void MoveTo(TControl* Control, int X, int Y) {
    const TPoint p = Control->ClientToScreen(TPoint(X, Y));
    xt::MouseMove(p.X, p.Y);
  }
  TForm* form {};
  TAHMCommandLabel* label {};
  TTestShape* other {};
};

TEST_F(CommandLabelTest, APressOpensTheTargetAsTheOpenersOneArgument) {
  Opener opener;
  const std::string doc = opener.Dir() + "/doc.txt";
  const std::string trap = "www.example.com/a b;touch " + opener.Dir() + "/pwned;$(touch " + opener.Dir() + "/pwned)";
  struct Case {
    TAHMCommand command;
    std::string caption;
    std::string value;
    std::string target;
  };
  const Case cases[] = {
    { runNothing, "doc", doc, doc },
    { runMAIL, "mail", "someone@example.com", "mailto:someone@example.com" },
    // What the label shows plays no part: only the value decides about the prefix.
    { runMAIL, "mailto:boss@example.com", "someone@example.com", "mailto:someone@example.com" },
    { runURL, "http://www.example.com", "http://www.example.com", "http://www.example.com" },
    { runURL, "web", trap, "http://" + trap },
    { runFTP, "ftp", "ftp.example.com", "ftp://ftp.example.com" },
    { runFILE, "file", doc, "file:" + doc },
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    label->SetCommand(c.command);
    label->SetCaption(c.caption);
    label->SetCaptionValue(c.value);
    const std::string log = opener.Expect("call" + std::to_string(++n));
    Press();
    Release();
    EXPECT_EQ(Opener::Read(log), "1\n" + c.target + "\n");
  }
  EXPECT_FALSE(std::filesystem::exists(opener.Dir() + "/pwned"));
}

TEST_F(CommandLabelTest, TheEventCommandRaisesRunEventOnThePressAndNeverCallsTheShell) {
  std::vector<std::string> calls;
  xj::ShellExecuteHook previous =
      xj::SetShellExecuteHook([&](const xj::ShellExecuteCall& c) { calls.push_back(c.File); });
  std::vector<std::string> log;
  label->SetCommand(runEVENT);
  label->SetCaptionValue("event anything");
  label->RunEvent = On<TNotifyEvent>([&](TObject* s) { log.push_back(s == label ? "run" : "?"); });
  label->OnClick = On<TNotifyEvent>([&](TObject*) { log.push_back("click"); });
  Press();
  EXPECT_EQ(log, (std::vector<std::string> { "run" }));  // on the press, before any click
  Release();
  EXPECT_EQ(log, (std::vector<std::string> { "run", "click" }));
  label->RunEvent = nullptr;
  Press();
  Release();
  label->SetCommand(runURL);
  Press();
  Release();
  xj::SetShellExecuteHook(previous);
  EXPECT_EQ(calls, (std::vector<std::string> { "http://event anything" }));
}

TEST_F(CommandLabelTest, ColoursFollowHoverPressReleaseAndLeaving) {
  xj::ShellExecuteHook previous = xj::SetShellExecuteHook([](const xj::ShellExecuteCall&) {});
  EXPECT_EQ(label->Font()->Color(), clBlue);
  MoveTo(label, 5, 5);
  EXPECT_EQ(label->Font()->Color(), kRed);  // hovering
  EXPECT_TRUE(label->MouseCapture());
  MoveTo(other, 5, 5);
  EXPECT_EQ(label->Font()->Color(), clBlack);  // left before following: the normal colour (black in code)
  EXPECT_FALSE(label->MouseCapture());

  Press();
  EXPECT_EQ(label->Font()->Color(), clBlack);  // pressed: the normal colour
  EXPECT_TRUE(label->Followed());
  Release();
  EXPECT_EQ(label->Font()->Color(), kPurple);  // released: followed, although the mouse is still over it
  MoveTo(label, 8, 6);
  EXPECT_EQ(label->Font()->Color(), kPurple);
  MoveTo(other, 5, 5);
  EXPECT_EQ(label->Font()->Color(), kPurple);  // leaving once followed
  EXPECT_FALSE(label->MouseCapture());
  MoveTo(label, 5, 5);
  EXPECT_EQ(label->Font()->Color(), kRed);  // back: hovering again
  MoveTo(other, 5, 5);

  // A click elsewhere on the form after leaving reaches the form, not the label.
  int formClicks = 0;
  other->OnClick = On<TNotifyEvent>([&](TObject*) { ++formClicks; });
  ClickAt(other, 5, 5);
  EXPECT_EQ(formClicks, 1);
  xj::SetShellExecuteHook(previous);
}

TEST_F(CommandLabelTest, NoHoverColourWhileTheFormIsNotActive) {
  TForm* front = NewForm(600, 400, 200, 100);
  front->Show();
  xt::PumpUntilIdle();
  ASSERT_FALSE(form->Active());
  MoveTo(label, 5, 5);
  EXPECT_EQ(label->Font()->Color(), clBlue);
  MoveTo(other, 5, 5);
}

TEST_F(CommandLabelTest, ALabelReadFromAFormTakesItsNormalColourFromItsFont) {
  const char* text =
      "object Form1: TForm\n  Left = 100\n  Top = 100\n  Width = 300\n  Height = 200\n"
      "  object Link1: TAHMCommandLabel\n    Left = 10\n    Top = 20\n    Font.Color = clLime\n"
      "  end\nend\n";
  TForm* read = NewForm();
  ReadComponentResource(read, text);
  read->Show();
  xt::PumpUntilIdle();
  auto* link = dynamic_cast<TAHMCommandLabel*>(read->FindComponent("Link1"));
  ASSERT_NE(link, nullptr);
  xj::ShellExecuteHook previous = xj::SetShellExecuteHook([](const xj::ShellExecuteCall&) {});
  const TPoint p = link->ClientToScreen(TPoint(3, 3));
  xt::MouseMove(p.X, p.Y);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(link->Font()->Color(), kGreen);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  xj::SetShellExecuteHook(previous);
}

class TClickProbe : public TAHMCommandLabel {
 public:
  using TAHMCommandLabel::Click;
  using TAHMCommandLabel::TAHMCommandLabel;
};

TEST_F(CommandLabelTest, ClickOnlyWhileEnabled) {
  TClickProbe probe(nullptr);
  int clicks = 0;
  probe.OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  probe.Click();
  probe.SetEnabled(false);
  probe.Click();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
