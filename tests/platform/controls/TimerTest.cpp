// TTimer under the manual clock: periods and restarts, what it needs to run, freeing inside OnTimer, no
// overlapping ticks, exceptions, and ticks inside message boxes.

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

class TimerTest : public ControlsTest {
 protected:
  TTimer* NewTimer(TComponent* owner, UINT interval, std::function<void()> fn) {
    auto* t = new TTimer(owner);
    t->SetInterval(interval);
    t->SetOnTimer(TNotifyEvent::FromCallable([fn](TObject*) { fn(); }));
    return t;
  }
};

TEST_F(TimerTest, TicksEveryIntervalAndEveryChangeRestartsThePeriod) {
  std::vector<uint64_t> at;
  TTimer* t = NewTimer(nullptr, 100, [&] { at.push_back(xt::Now()); });
  const uint64_t start = xt::Now();
  xt::Advance(1000);
  EXPECT_EQ(at.size(), 10u);
  EXPECT_EQ(at.front(), start + 100);
  at.clear();
  xt::Advance(50);
  t->SetEnabled(false);
  t->SetEnabled(true);  // the period starts again here
  xt::Advance(100);
  ASSERT_EQ(at.size(), 1u);
  EXPECT_EQ(at[0], start + 1150);
  t->SetInterval(30);
  xt::Advance(30);
  EXPECT_EQ(at.size(), 2u);
  delete t;
}

TEST_F(TimerTest, RunsOnlyWithAnIntervalEnabledAndAHandler) {
  int ticks = 0;
  auto* t = new TTimer(nullptr);
  t->SetInterval(10);
  xt::Advance(100);
  t->SetOnTimer(On<TNotifyEvent>([&](TObject*) { ++ticks; }));
  t->SetInterval(0);
  xt::Advance(100);
  t->SetInterval(10);
  t->SetEnabled(false);
  xt::Advance(100);
  EXPECT_EQ(ticks, 0);
  t->SetEnabled(true);
  xt::Advance(100);
  EXPECT_EQ(ticks, 10);
  delete t;
}

TEST_F(TimerTest, FreedInsideItsOwnHandlerOrWithItsOwner) {
  int ticks = 0;
  TTimer* self = nullptr;
  self = NewTimer(nullptr, 10, [&] {
    ++ticks;
    delete self;
  });
  xt::Advance(100);
  EXPECT_EQ(ticks, 1);

  TForm* form = NewForm();
  auto life = form->LifeToken();
  int formTicks = 0;
  NewTimer(form, 10, [&] {
    ++formTicks;
    delete form;
  });
  xt::Advance(100);
  EXPECT_EQ(formTicks, 1);
  EXPECT_TRUE(life.expired());
}

TEST_F(TimerTest, ANestedLoopInsideTheHandlerGetsNoSecondTick) {
  int depth = 0, maxDepth = 0, ticks = 0;
  TTimer* t = NewTimer(nullptr, 10, [&] {
    ++ticks;
    maxDepth = std::max(maxDepth, ++depth);
    xt::Jump(50);
    Application->ProcessMessages();
    --depth;
  });
  xt::Advance(10);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(maxDepth, 1);
  delete t;
}

TEST_F(TimerTest, AnExceptionInOnTimerIsShownAndTheTimerGoesOn) {
  int ticks = 0;
  TTimer* t = NewTimer(nullptr, 100, [&] {
    if (++ticks == 1) throw Exception("timer failed");
  });
  xt::Advance(300);
  EXPECT_EQ(ticks, 3);
  ASSERT_EQ(xt::ModalRecords().size(), 1u);
  EXPECT_EQ(xt::ModalRecords()[0].text, "timer failed.");
  delete t;
}

TEST_F(TimerTest, TicksGoOnInsideMessageBoxes) {
  int ticks = 0;
  TTimer* t = NewTimer(nullptr, 100, [&] { ++ticks; });
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.caption, "确认");
    EXPECT_EQ(r.type & MB_TYPEMASK, (UINT)MB_YESNO);
    xt::Advance(300);
    return IDYES;
  });
  EXPECT_EQ(MessageDlg("继续吗?", mtConfirmation, { mbYes, mbNo }), mrYes);
  EXPECT_EQ(ticks, 3);
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.text, "消息");
    xt::Advance(200);
    return IDOK;
  });
  ShowMessage("消息");
  EXPECT_EQ(ticks, 5);
  delete t;
}

}  // namespace
