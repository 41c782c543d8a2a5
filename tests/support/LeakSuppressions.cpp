// fontconfig keeps a configuration it never frees (it is realised once, when a font is first drawn);
// leak checking in sanitizer builds ignores what it holds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
