// The message dialog and the about box: their controls, pictures and modal results, and the help menu.

#include "components/CTL_TransBtn.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/app/ConsoleTestSupport.h"

using namespace apptest;

namespace {

class FormsTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (HasFatalFailure()) return;
    Start();
  }
};

// The main form as its resource lays it out under the menu bar: the event list's panel inside its
// group box, the group box clear of the status bar, and both following the form's height.
TEST_F(FormsTest, TheEventListStaysInsideItsGroupBoxAsTheFormGrows) {
  TGroupBox* box = Form1->GroupBoxHardware;
  TPanel* panel = Form1->Panel6;
  for (int taller : { 0, 57 }) {
    SCOPED_TRACE(taller);
    Form1->SetHeight(529 + taller);
    xt::PumpUntilIdle();
    EXPECT_EQ(box->Height(), 403 + taller);
    EXPECT_EQ(panel->Top() + panel->Height(), box->Height() - 12);
    EXPECT_EQ(Form1->LBMsg->Height(), panel->Height() - 2);
    EXPECT_EQ(box->Top() + box->Height() + 45, Form1->StatusBar1->Top());
  }
}

TEST_F(FormsTest, EachDialogButtonEndsTheModalShowWithItsResult) {
  struct Case {
    TTransparentButton* TFormDialog::*button;
    int result;
  } cases[] = { { &TFormDialog::ButtonOk, mrYes },
                { &TFormDialog::ButtonCancel, mrNo },
                { &TFormDialog::ButtonClose, mrNo } };
  FormDialog->Label1->SetCaption("确定要删除录音文件吗？");
  for (const Case& c : cases) {
    TTransparentButton* b = FormDialog->*c.button;
    xt::AnswerModal([b](const xt::ModalRecord& r) -> LONG_PTR {
      EXPECT_EQ(r.kind, xt::ModalRecord::Form);
      ClickControl(b);
      return xt::kKeepOpen;
    });
    EXPECT_EQ(FormDialog->ShowModal(), c.result) << b->Name();
    EXPECT_FALSE(FormDialog->Visible());
  }
}

TEST_F(FormsTest, TheDialogShowsItsPictureAndThreeTwoCellButtons) {
  EXPECT_FALSE(FormDialog->Visible());
  EXPECT_EQ(FormDialog->Caption(), "提示信息");
  // The JPEG sizes the image to itself.
  EXPECT_EQ(FormDialog->Image->Width(), 100);
  EXPECT_EQ(FormDialog->Image->Height(), 75);
  EXPECT_EQ(FormDialog->Image->Picture()->Width(), 100);
  for (TTransparentButton* b : { FormDialog->ButtonOk, FormDialog->ButtonCancel, FormDialog->ButtonClose }) {
    EXPECT_EQ(b->NumGlyphs(), 2) << b->Name();
    EXPECT_EQ(b->FrameStyle(), fsIndent);
    EXPECT_EQ(b->TextAlign(), ttaRight);
    EXPECT_FALSE(b->AutoGray());
    EXPECT_EQ(b->Cursor(), crHandPoint);
    EXPECT_EQ(b->Parent(), FormDialog->Panel1);
  }
  EXPECT_EQ(FormDialog->ButtonOk->Glyph()->Width(), 36);
  EXPECT_EQ(FormDialog->ButtonClose->Glyph()->Width(), 32);
  EXPECT_EQ(FormDialog->ButtonClose->GlyphRect().Width(), 16);
  EXPECT_EQ(FormDialog->ButtonOk->Caption(), "确 认  ");
}

TEST_F(FormsTest, TheHelpMenuShowsTheAboutBoxAndItsButtonClosesIt) {
  EXPECT_EQ(FormAbout->Caption(), AnsiString("关于") + kProgramTitle);
  // The 64 × 56 picture is stretched over the image control.
  EXPECT_EQ(FormAbout->Image1->Picture()->Width(), 64);
  EXPECT_EQ(FormAbout->Image1->Picture()->Height(), 56);
  EXPECT_EQ(FormAbout->Image1->Width(), 97);
  EXPECT_EQ(FormAbout->Image1->Height(), 77);
  bool shown = false;
  xt::AnswerModal([](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    xt::KeyDown('A', xt::ssNone, false);  // 关于巡检程序(&A)
    xt::KeyUp('A', xt::ssNone, false);
    return xt::kKeepOpen;
  });
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Form);
    shown = FormAbout->Visible();
    ClickControl(FormAbout->SpeedButton2);
    return xt::kKeepOpen;
  });
  Key('H', xt::ssAlt);
  xt::PumpUntilIdle();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(FormAbout->Visible());
  EXPECT_TRUE(Form1->Visible());
}

}  // namespace
