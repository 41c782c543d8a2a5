#pragma once
// Test scaffolding shared by every suite: a scratch directory of the test's own, environment variables
// set for one scope, and whole-file reads and writes. ctest runs test cases as separate processes, several
// at once, so nothing here uses a fixed path.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace xj::test {

// A fresh directory under the system's temporary directory, removed with its contents at the end.
class ScratchDir {
 public:
  explicit ScratchDir(std::string_view prefix = "xj") {
    std::string tmpl = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (::mkdtemp(tmpl.data()))
      FPath = tmpl;
    else
      ADD_FAILURE() << "cannot create a scratch directory";
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // A path inside the directory (host bytes, UTF-8).
  std::string operator/(std::string_view name) const { return FPath + "/" + std::string(name); }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

// Sets an environment variable (or with no value removes it) until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = ::getenv(name)) FOld = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ScopedEnv(const char* name, const char* value)
      : ScopedEnv(name, value ? std::optional<std::string>(value) : std::nullopt) {}
  ~ScopedEnv() {
    if (FOld)
      ::setenv(FName, FOld->c_str(), 1);
    else
      ::unsetenv(FName);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteHostFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// A UTF-8 literal as the bytes the file system sees.
inline std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

}  // namespace xj::test
