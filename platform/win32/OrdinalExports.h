#pragma once
// How a shared library makes its operations reachable by ordinal. A library exports one C array
// named `xj_ordinal_table`, ended by an entry with ordinal 0; GetProcAddress with an ordinal
// (MAKEINTRESOURCE(n)) looks the ordinal up there, and a lookup by name falls back to it.

#include <cstdint>

extern "C" {
struct XjOrdinalExport {
  uint32_t ordinal;
  const char* name;
  void* proc;
};
}

#define XJ_ORDINAL_TABLE_SYMBOL "xj_ordinal_table"
