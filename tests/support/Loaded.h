#pragma once
// Whether this process has loaded a shared library: its name appears among the process's mappings.

#include <fstream>
#include <string>

namespace xj::test {

inline bool LibraryLoaded(const char* soname) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find(soname) != std::string::npos) return true;
  return false;
}

}  // namespace xj::test
