// Run-time loaded libraries over dlopen, their ordinal tables, and the built-in modules whose exports
// the platform registers itself (USER32).

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/win32/KernelObjects.h"
#include "platform/win32/OrdinalExports.h"

namespace xj {
namespace {

class ModuleObject final : public KernelObject {
 public:
  bool ClosedByCloseHandle() const override { return false; }

  void* Library = nullptr;  // dlopen handle; null for a built-in module
  std::string BuiltinName;  // "USER32"
  bool Program = false;     // the program itself: never unloaded
  int References = 0;
  HANDLE Handle = nullptr;
};

struct Builtin {
  std::shared_ptr<ModuleObject> module;
  std::map<std::string, void*> exports;
};

struct Registry {
  std::mutex lock;
  std::map<void*, std::shared_ptr<ModuleObject>> libraries;  // by dlopen handle
  std::map<std::string, Builtin> builtins;                   // by normalised name
  std::shared_ptr<ModuleObject> program;
};

Registry& Modules() {
  static Registry* registry = new Registry;
  return *registry;
}

// "user32.dll" -> "USER32"; names with a directory are never built-in.
std::string BuiltinKey(const char* name) {
  std::string key(name);
  if (key.find_first_of("/\\:") != std::string::npos) return {};
  if (key.size() > 4 && strcasecmp(key.c_str() + key.size() - 4, ".dll") == 0) key.resize(key.size() - 4);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

bool IsKnownBuiltin(const std::string& key) { return key == "USER32"; }

// The caller holds the registry lock.
Builtin& BuiltinEntry(Registry& registry, const std::string& key) {
  Builtin& entry = registry.builtins[key];
  if (!entry.module) {
    entry.module = std::make_shared<ModuleObject>();
    entry.module->BuiltinName = key;
    entry.module->Handle = RegisterHandle(entry.module);
  }
  return entry;
}

HMODULE AsModule(HANDLE h) { return reinterpret_cast<HMODULE>(h); }
HANDLE AsHandle(HMODULE h) { return reinterpret_cast<HANDLE>(h); }

std::shared_ptr<ModuleObject> LookupModule(HMODULE h) { return LookupHandleAs<ModuleObject>(AsHandle(h)); }

const XjOrdinalExport* OrdinalTable(void* library) {
  return static_cast<const XjOrdinalExport*>(dlsym(library, XJ_ORDINAL_TABLE_SYMBOL));
}

void* FindProc(Registry& registry, const ModuleObject& module, LPCSTR name) {
  if (!module.BuiltinName.empty()) {
    if (IS_INTRESOURCE(name)) return nullptr;
    const Builtin& entry = registry.builtins[module.BuiltinName];
    auto it = entry.exports.find(name);
    return it == entry.exports.end() ? nullptr : it->second;
  }
  if (!IS_INTRESOURCE(name))
    if (void* proc = dlsym(module.Library, name)) return proc;
  const XjOrdinalExport* table = OrdinalTable(module.Library);
  if (!table) return nullptr;
  const auto ordinal = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(name));
  for (; table->ordinal != 0; ++table) {
    if (IS_INTRESOURCE(name) ? table->ordinal == ordinal : (table->name && std::strcmp(table->name, name) == 0))
      return table->proc;
  }
  return nullptr;
}

}  // namespace

void RegisterBuiltinExport(const char* module, const char* name, void* proc) {
  if (!module || !name) return;
  const std::string key = BuiltinKey(module);
  if (key.empty()) return;
  Registry& registry = Modules();
  std::lock_guard<std::mutex> lock(registry.lock);
  BuiltinEntry(registry, key).exports[name] = proc;
}

}  // namespace xj

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  xj::Registry& registry = xj::Modules();
  const std::string key = xj::BuiltinKey(lpLibFileName);
  if (key == "USER32") xj::RegisterUser32Exports();
  {
    std::lock_guard<std::mutex> lock(registry.lock);
    if (!key.empty() && (xj::IsKnownBuiltin(key) || registry.builtins.count(key))) {
      xj::Builtin& entry = xj::BuiltinEntry(registry, key);
      ++entry.module->References;
      return xj::AsModule(entry.module->Handle);
    }
  }
  void* library = dlopen(xj::PathToHost(lpLibFileName).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(registry.lock);
  auto& module = registry.libraries[library];
  if (!module) {
    module = std::make_shared<xj::ModuleObject>();
    module->Library = library;
    module->Handle = xj::RegisterHandle(module);
  }
  ++module->References;  // one dlopen reference per LoadLibraryA, given back by FreeLibrary
  return xj::AsModule(module->Handle);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  xj::Registry& registry = xj::Modules();
  if (lpModuleName && xj::BuiltinKey(lpModuleName) == "USER32") xj::RegisterUser32Exports();
  std::lock_guard<std::mutex> lock(registry.lock);
  if (!lpModuleName) {
    if (!registry.program) {
      registry.program = std::make_shared<xj::ModuleObject>();
      registry.program->Library = dlopen(nullptr, RTLD_NOW);
      registry.program->Program = true;
      registry.program->Handle = xj::RegisterHandle(registry.program);
    }
    return xj::AsModule(registry.program->Handle);
  }
  const std::string key = xj::BuiltinKey(lpModuleName);
  if (!key.empty() && (xj::IsKnownBuiltin(key) || registry.builtins.count(key)))
    return xj::AsModule(xj::BuiltinEntry(registry, key).module->Handle);
  if (void* library = dlopen(xj::PathToHost(lpModuleName).c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(library);  // NOLOAD still counts a reference
    auto it = registry.libraries.find(library);
    if (it != registry.libraries.end()) return xj::AsModule(it->second->Handle);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  auto module = xj::LookupModule(hModule);
  if (!module) return nullptr;
  if (!lpProcName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  xj::Registry& registry = xj::Modules();
  std::lock_guard<std::mutex> lock(registry.lock);
  if (!module->Library && module->BuiltinName.empty()) {  // unloaded in the meantime
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* proc = xj::FindProc(registry, *module, lpProcName);
  if (!proc) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(proc);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  auto module = xj::LookupModule(hLibModule);
  if (!module) return FALSE;
  xj::Registry& registry = xj::Modules();
  std::unique_lock<std::mutex> lock(registry.lock);
  if (module->Program) return TRUE;
  if (!module->BuiltinName.empty()) {  // built-in modules stay for the life of the program
    if (module->References > 0) --module->References;
    return TRUE;
  }
  if (module->References <= 0 || !module->Library) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  void* library = module->Library;
  if (--module->References == 0) {
    registry.libraries.erase(library);
    module->Library = nullptr;
    xj::ReleaseHandle(module->Handle);
  }
  dlclose(library);
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string host;
  if (!hModule) {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n > 0) host.assign(buffer.data(), static_cast<size_t>(n));
  } else {
    auto module = xj::LookupModule(hModule);
    if (!module) return 0;
    if (!module->BuiltinName.empty()) {
      host = module->BuiltinName + ".dll";
    } else if (module->Program) {
      return GetModuleFileNameA(nullptr, lpFilename, nSize);
    } else {
      std::lock_guard<std::mutex> lock(xj::Modules().lock);
      link_map* map = nullptr;
      if (module->Library && dlinfo(module->Library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name)
        host = map->l_name;
    }
  }
  if (host.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::string path = xj::PathFromHost(host);
  if (path.size() >= nSize) {
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
