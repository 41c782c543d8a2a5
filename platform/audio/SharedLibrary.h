#pragma once
// A shared library opened when first needed, its functions found by name. The sound libraries
// (libsndfile and ALSA, a dozen shared libraries with what they need) are opened so: a program that
// never plays a sound does not load them when it starts.

#include <string>

namespace xj::audio {

class SharedLibrary {
 public:
  explicit SharedLibrary(const char* soname);

  // Points `fn` at the library's function `name`; a library or a function that cannot be found is
  // noted in Error() and leaves `fn` null.
  template <class F>
  void Bind(F*& fn, const char* name) {
    fn = reinterpret_cast<F*>(Find(name));
  }
  // True when the library and every function asked for were found.
  bool Ok() const { return FError.empty(); }
  const std::string& Error() const { return FError; }

 private:
  void* Find(const char* name);

  std::string FName;
  void* FHandle { nullptr };  // kept open for the process's life: its functions may be called at any time
  std::string FError;
};

}  // namespace xj::audio
