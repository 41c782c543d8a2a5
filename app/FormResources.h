#pragma once
// The console's form resources (Main.dfm, About.dfm, Dialog.dfm beside this header), compiled into the
// program so that it needs no file beside it. Each form's unit registers its text for its class.

namespace formres {
extern const char* const Main;
extern const char* const About;
extern const char* const Dialog;
}  // namespace formres
