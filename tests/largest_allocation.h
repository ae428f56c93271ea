#pragma once
// The largest single allocation through operator new since it was last reset, so that a test can
// show that a refused header allocated nothing of its size, or that a decode held no more than its
// picture. Include it in one source file of a test program: it replaces that program's operator new.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace plate::testing {
inline std::atomic<std::size_t> g_largest_new{0};
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"  // new and delete here both use malloc
#endif
void* operator new(std::size_t size) {
  std::size_t seen = plate::testing::g_largest_new.load();
  while (size > seen && !plate::testing::g_largest_new.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
