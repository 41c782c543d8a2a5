// A skinned form: the common controls, a menu bar, a tool bar and a skin switch.
//
//   skinned-form [skins folder]
//
// The skins folder defaults to the one installed with the libraries (XUNJIAN_SKINS_DIR at build time).
// Without a display it runs headless: XJ_EXIT_AFTER=3000 XJ_SCREENSHOT=form.png skinned-form
#include "DemoForm.h"

int main(int argc, char** argv) {
  try {
    Application->Initialize();
    Application->SetTitle("皮肤示例");
    TDemoForm::SkinsDir = argc > 1 ? AnsiString(argv[1]) : AnsiString(XUNJIAN_SKINS_DIR);
    TDemoForm* form = nullptr;
    Application->CreateForm(form);
    Application->Run();
  } catch (Exception& E) {
    Application->ShowException(&E);
    return 1;
  }
  return 0;
}
