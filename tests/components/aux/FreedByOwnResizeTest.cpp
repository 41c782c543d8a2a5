// The components' controls, and the stock ones whose size changes carry on after the inherited step, each
// freed by its own OnResize as a program gives it a new size on a shown form: the handler runs once and
// nothing touches the freed control afterwards (the sanitizer build watches).

#include <functional>
#include <string>
#include <vector>

#include "components/AHMTCommandLabel.h"
#include "components/AHMTLabel.h"
#include "components/CTL_KRShapedForm.h"
#include "components/CTL_TransBtn.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/components/aux/AuxTestUtil.h"

using namespace auxtest;
using namespace ctltest;

namespace {

class FreedByOwnResizeTest : public ControlsTest {};

template <class T>
std::function<TControl*(TForm*)> Maker() {
  return [](TForm* Form) -> TControl* {
    auto* c = new T(Form);
    c->SetParent(Form);
    c->SetBounds(10, 10, 80, 40);
    return c;
  };
}

TEST_F(FreedByOwnResizeTest, EachControlFreedByItsOwnOnResizeIsNotTouchedAfterwards) {
  TForm* form = NewForm(100, 100, 300, 200);
  form->Show();
  const std::vector<std::pair<std::string, std::function<TControl*(TForm*)>>> kinds {
    { "TAHMLabel", Maker<TAHMLabel>() },
    { "TAHMCommandLabel", Maker<TAHMCommandLabel>() },
    { "TTransparentButton", Maker<TTransparentButton>() },
    { "TKRShapedForm",
      [](TForm* Form) -> TControl* {
        auto* s = new TKRShapedForm(Form);
        s->SetParent(Form);
        TBitmap picture;
        Fill(picture, 20, 10, clRed);
        s->Picture()->SetBitmap(&picture);
        return s;
      } },
    { "TImage", Maker<TImage>() },
    { "TRadioGroup",
      [](TForm* Form) -> TControl* {
        auto* g = new TRadioGroup(Form);
        g->SetParent(Form);
        g->SetBounds(10, 10, 120, 90);
        g->Items()->Add("one");
        g->Items()->Add("two");
        return g;
      } },
  };
  for (const auto& [name, make] : kinds) {
    SCOPED_TRACE(name);
    TControl* c = make(form);
    xt::PumpUntilIdle();
    const auto life = c->LifeToken();
    int calls = 0;
    c->OnResize = Calling<TNotifyEvent>([&calls, c, life] {
      ++calls;
      if (!life.expired()) delete c;
    });
    c->SetBounds(14, 16, 151, 77);
    xt::PumpUntilIdle();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(life.expired());
    if (!life.expired()) delete c;
  }
}

}  // namespace
