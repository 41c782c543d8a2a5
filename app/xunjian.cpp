// The console's entry routine: the application object, the three forms in order (the first becomes the
// main form), then the message loop until the main form closes.

#include "app/About.h"
#include "app/Dialog.h"
#include "app/Kaldo.h"
#include "app/Main.h"

int main() {
  try {
    LoadDeviceLibrary();
    Application->Initialize();
    Application->SetTitle(kProgramTitle);
    Application->CreateForm(Form1);
    Application->CreateForm(FormDialog);
    Application->CreateForm(FormAbout);
    Application->Run();
  } catch (Exception& E) {
    Application->ShowException(&E);
  }
  return 0;
}
