// The replacement of the global allocation functions behind AllocationGuard. Every plain form is
// replaced, so that each allocation and its release pair up whichever form the library uses (the
// aligned forms stay the library's, pairing among themselves).
#include "support/allocation_guard.h"

#include <atomic>
#include <cstdlib>
#include <new>

// GCC takes the pairing of these replacements with malloc and free for a mismatch once they are
// inlined into their callers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<bool> g_armed{false};
std::atomic<long> g_allocations{0};

void* counted_alloc(std::size_t size) {
  if (g_armed.load(std::memory_order_relaxed)) g_allocations.fetch_add(1);
  return std::malloc(size ? size : 1);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = counted_alloc(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = counted_alloc(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return counted_alloc(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return counted_alloc(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

namespace rokan::test {

AllocationGuard::AllocationGuard() {
  g_allocations = 0;
  g_armed = true;
}
AllocationGuard::~AllocationGuard() {
  g_armed = false;
}
long AllocationGuard::count() const {
  return g_allocations.load();
}

}  // namespace rokan::test
