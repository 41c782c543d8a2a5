#include "platform/audio/SharedLibrary.h"

#include <dlfcn.h>

namespace xj::audio {

SharedLibrary::SharedLibrary(const char* soname) : FName(soname) {
  FHandle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) {
    const char* why = dlerror();
    FError = std::string("cannot load ") + soname + (why ? std::string(": ") + why : std::string());
  }
}

void* SharedLibrary::Find(const char* name) {
  if (!FHandle) return nullptr;
  void* fn = dlsym(FHandle, name);
  if (!fn && FError.empty()) FError = FName + " has no " + name;
  return fn;
}

}  // namespace xj::audio
