#pragma once
// A shared library opened when first needed, its functions found by name. Libraries that only some
// runs use are opened so (Xlib for a display, libsndfile and ALSA for sound): a program that never uses
// them does not load them, and what they need, when it starts.

#include <dlfcn.h>

#include <string>

namespace xj {

class SharedLibrary {
 public:
  explicit SharedLibrary(const char* soname) : FName(soname) {
    // Kept open for the process's life: its functions may be called at any time, from any thread.
    FHandle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) {
      const char* why = dlerror();
      FError = "cannot load " + FName + (why ? std::string(": ") + why : std::string());
    }
  }

  // Points `fn` at the library's function `name`; a library or a function that cannot be found is
  // noted in Error() and leaves `fn` null.
  template <class F>
  void Bind(F*& fn, const char* name) {
    void* found = FHandle ? dlsym(FHandle, name) : nullptr;
    if (FHandle && !found && FError.empty()) FError = FName + " has no " + name;
    fn = reinterpret_cast<F*>(found);
  }
  // True when the library and every function asked for were found.
  bool Ok() const { return FError.empty(); }
  const std::string& Error() const { return FError; }

 private:
  std::string FName;
  void* FHandle { nullptr };
  std::string FError;
};

}  // namespace xj
