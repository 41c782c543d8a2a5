#pragma once
// What the heap holds, for tests of what a structure costs: the sanitizer's count where it replaces malloc,
// else glibc's.
#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define XJ_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XJ_TEST_ASAN 1
#endif
#endif
#ifdef XJ_TEST_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace xj::test {

// The bytes the program holds on the heap now.
inline size_t HeapInUse() {
#ifdef XJ_TEST_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}

// What the heap gained while Make ran.
template <class F>
size_t HeapGrowth(F Make) {
  const size_t before = HeapInUse();
  Make();
  return HeapInUse() - before;
}

}  // namespace xj::test
